#include "SimulatedWaveIn.hpp"

#include <algorithm>
#include <cstring>

#include "YWaveIn.hpp"

namespace {

SimulatedWaveIn* device = nullptr;

// What the device answers to `operation` on `handle`, for the buffer `header` if it concerns one.
MMRESULT Answer(const std::string& operation, HWAVEIN handle, const WAVEHDR* header = nullptr) {
    if (!device->isOpen || handle != reinterpret_cast<HWAVEIN>(device)) return MMSYSERR_INVALHANDLE;
    const bool chosen = !header || !device->failingBuffer || header->dwUser == device->failingBuffer;
    return device->failing == operation && chosen ? MMSYSERR_ALLOCATED : MMSYSERR_NOERROR;
}

void Notify(WAVEHDR* header) { PostMessageA(device->window, MM_WIM_DATA, 0, reinterpret_cast<LPARAM>(header)); }

MMRESULT WINAPI Open(LPHWAVEIN handle, UINT id, LPCWAVEFORMATEX format, DWORD_PTR window, DWORD_PTR user, DWORD flags) {
    ++device->opens;
    if (device->isOpen || id >= device->deviceCount || user || flags != CALLBACK_WINDOW || device->failing == "open")
        return MMSYSERR_ALLOCATED;
    device->format = *format;
    device->window = reinterpret_cast<HWND>(window);
    device->isOpen = true;
    *handle = reinterpret_cast<HWAVEIN>(device);
    return MMSYSERR_NOERROR;
}

MMRESULT WINAPI Prepare(HWAVEIN handle, LPWAVEHDR header, UINT) { return Answer("prepare", handle, header); }
MMRESULT WINAPI Unprepare(HWAVEIN handle, LPWAVEHDR header, UINT) { return Answer("unprepare", handle, header); }

MMRESULT WINAPI Add(HWAVEIN handle, LPWAVEHDR header, UINT) {
    const MMRESULT result = Answer("add", handle, header);
    if (result == MMSYSERR_NOERROR) device->queue.push_back(header);
    return result;
}

MMRESULT WINAPI Start(HWAVEIN handle) { return Answer("start", handle); }

// Like the system's reset: every queued buffer comes back with what was recorded into it.
MMRESULT WINAPI Reset(HWAVEIN handle) {
    const MMRESULT result = Answer("reset", handle);
    auto& queue = device->queue;
    for (; result == MMSYSERR_NOERROR && !queue.empty(); queue.pop_front()) Notify(queue.front());
    return result;
}

MMRESULT WINAPI Position(HWAVEIN handle, LPMMTIME time, UINT) {
    time->u.sample = device->position += device->positionStep;
    return Answer("position", handle);
}

MMRESULT WINAPI Close(HWAVEIN handle) {
    const MMRESULT result = device->queue.empty() ? Answer("close", handle) : WAVERR_STILLPLAYING;
    device->isOpen = device->isOpen && result != MMSYSERR_NOERROR;
    return result;
}

// A name of 32 characters or more fills the field without an ending, as the system leaves it.
MMRESULT WINAPI Caps(UINT_PTR id, LPWAVEINCAPSA caps, UINT) {
    if (id >= device->names.size()) return MMSYSERR_BADDEVICEID;
    const std::string& name = device->names[id];
    std::memcpy(caps->szPname, name.c_str(), std::min(name.size() + 1, sizeof caps->szPname));
    return MMSYSERR_NOERROR;
}

UINT WINAPI Count() { return device->deviceCount; }

const YWaveInFunctions table = {Open, Prepare, Unprepare,          Add, Start, Reset, Position, Close,
                                Caps, Count,   waveInGetErrorTextA};

}  // namespace

SimulatedWaveIn::SimulatedWaveIn() {
    device = this;
    YWaveIn::SetFunctions(&table);
}

SimulatedWaveIn::~SimulatedWaveIn() { YWaveIn::SetFunctions(nullptr); }

bool SimulatedWaveIn::Return(unsigned bytes, unsigned char seed) {
    if (queue.empty()) return false;
    WAVEHDR* header = queue.front();
    queue.pop_front();
    const auto samples = SimulatedSamples(std::min<unsigned>(bytes, header->dwBufferLength), seed);
    std::copy(samples.begin(), samples.end(), header->lpData);
    header->dwBytesRecorded = static_cast<DWORD>(samples.size());
    Notify(header);
    Pump();
    return true;
}

void SimulatedWaveIn::Pump() {
    for (MSG message; PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE);) DispatchMessageA(&message);
}

std::vector<unsigned char> SimulatedSamples(unsigned bytes, unsigned char seed) {
    std::vector<unsigned char> samples(bytes);
    for (unsigned i = 0; i < bytes; ++i) samples[i] = static_cast<unsigned char>(i * 7 + seed);
    return samples;
}
