#include "SimulatedWaveIn.hpp"

#include <algorithm>
#include <cstring>

#include "YWaveIn.hpp"

SimulatedWaveIn* SimulatedWaveIn::current = nullptr;

SimulatedWaveIn::SimulatedWaveIn() {
    current = this;
    YWaveIn::SetFunctions(Table());
}

SimulatedWaveIn::~SimulatedWaveIn() {
    YWaveIn::SetFunctions(nullptr);
    current = nullptr;
}

HWAVEIN SimulatedWaveIn::Handle() const { return reinterpret_cast<HWAVEIN>(const_cast<SimulatedWaveIn*>(this)); }

bool SimulatedWaveIn::Valid(HWAVEIN device) const { return isOpen && !gone && device == Handle(); }

std::vector<DWORD_PTR> SimulatedWaveIn::Queued() const {
    std::vector<DWORD_PTR> users;
    for (const WAVEHDR* header : queue) users.push_back(header->dwUser);
    return users;
}

std::vector<unsigned char> SimulatedSamples(unsigned bytes, unsigned char seed) {
    std::vector<unsigned char> samples(bytes);
    for (unsigned i = 0; i < bytes; ++i) samples[i] = static_cast<unsigned char>(i * 7 + seed);
    return samples;
}

void SimulatedWaveIn::Notify(WAVEHDR* header) {
    header->dwFlags |= WHDR_DONE;
    header->dwFlags &= ~WHDR_INQUEUE;
    PostMessageA(Window(), MM_WIM_DATA, reinterpret_cast<WPARAM>(Handle()), reinterpret_cast<LPARAM>(header));
}

bool SimulatedWaveIn::Return(unsigned bytes, unsigned char seed) {
    if (queue.empty()) return false;
    WAVEHDR* header = queue.front();
    queue.pop_front();
    std::vector<unsigned char> samples = SimulatedSamples(std::min<unsigned>(bytes, header->dwBufferLength), seed);
    if (!samples.empty()) std::memcpy(header->lpData, samples.data(), samples.size());
    header->dwBytesRecorded = static_cast<DWORD>(samples.size());
    Notify(header);
    return true;
}

void SimulatedWaveIn::Pump() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

MMRESULT WINAPI SimulatedWaveIn::Open(LPHWAVEIN device, UINT deviceId, LPCWAVEFORMATEX format, DWORD_PTR callback,
                                      DWORD_PTR, DWORD flags) {
    SimulatedWaveIn& self = *current;
    ++self.opens;
    if (self.isOpen) return MMSYSERR_ALLOCATED;
    if (deviceId >= self.deviceCount) return MMSYSERR_BADDEVICEID;
    if (self.openResult != MMSYSERR_NOERROR) return self.openResult;
    self.openedFormat = *format;
    self.callback = callback;
    self.openFlags = flags;
    self.isOpen = true;
    *device = self.Handle();
    return MMSYSERR_NOERROR;
}

MMRESULT WINAPI SimulatedWaveIn::Prepare(HWAVEIN device, LPWAVEHDR header, UINT size) {
    SimulatedWaveIn& self = *current;
    if (!self.Valid(device) || size != sizeof(WAVEHDR)) return MMSYSERR_INVALHANDLE;
    if (header->dwUser == self.failPrepareOf) return MMSYSERR_NOMEM;
    header->dwFlags |= WHDR_PREPARED;
    return MMSYSERR_NOERROR;
}

MMRESULT WINAPI SimulatedWaveIn::Unprepare(HWAVEIN device, LPWAVEHDR header, UINT size) {
    SimulatedWaveIn& self = *current;
    if (!self.Valid(device) || size != sizeof(WAVEHDR)) return MMSYSERR_INVALHANDLE;
    if (header->dwFlags & WHDR_INQUEUE) return WAVERR_STILLPLAYING;
    header->dwFlags &= ~WHDR_PREPARED;
    return MMSYSERR_NOERROR;
}

MMRESULT WINAPI SimulatedWaveIn::Add(HWAVEIN device, LPWAVEHDR header, UINT size) {
    SimulatedWaveIn& self = *current;
    if (!self.Valid(device) || size != sizeof(WAVEHDR)) return MMSYSERR_INVALHANDLE;
    if (!(header->dwFlags & WHDR_PREPARED)) return WAVERR_UNPREPARED;
    if (header->dwUser == self.failAddOf) return MMSYSERR_NOMEM;
    if (header->dwFlags & WHDR_INQUEUE) return WAVERR_STILLPLAYING;
    header->dwFlags = (header->dwFlags & ~WHDR_DONE) | WHDR_INQUEUE;
    header->dwBytesRecorded = 0;
    self.queue.push_back(header);
    return MMSYSERR_NOERROR;
}

MMRESULT WINAPI SimulatedWaveIn::Start(HWAVEIN device) {
    SimulatedWaveIn& self = *current;
    if (!self.Valid(device)) return MMSYSERR_INVALHANDLE;
    ++self.starts;
    return self.startResult;
}

// Like the system's reset: every queued buffer comes back, with what was recorded into it (here
// nothing).
MMRESULT WINAPI SimulatedWaveIn::Reset(HWAVEIN device) {
    SimulatedWaveIn& self = *current;
    if (!self.Valid(device)) return MMSYSERR_INVALHANDLE;
    ++self.resets;
    if (self.resetResult != MMSYSERR_NOERROR) return self.resetResult;
    while (!self.queue.empty()) {
        self.Notify(self.queue.front());
        self.queue.pop_front();
    }
    return MMSYSERR_NOERROR;
}

MMRESULT WINAPI SimulatedWaveIn::Position(HWAVEIN device, LPMMTIME time, UINT size) {
    SimulatedWaveIn& self = *current;
    if (!self.Valid(device) || size != sizeof(MMTIME)) return MMSYSERR_INVALHANDLE;
    if (time->wType != TIME_SAMPLES) return MMSYSERR_INVALPARAM;
    time->u.sample = self.position;
    return MMSYSERR_NOERROR;
}

MMRESULT WINAPI SimulatedWaveIn::Close(HWAVEIN device) {
    SimulatedWaveIn& self = *current;
    if (!self.Valid(device)) return MMSYSERR_INVALHANDLE;
    if (self.closeResult != MMSYSERR_NOERROR) return self.closeResult;
    if (!self.queue.empty()) return WAVERR_STILLPLAYING;
    ++self.closes;
    self.isOpen = false;
    return MMSYSERR_NOERROR;
}

MMRESULT WINAPI SimulatedWaveIn::Caps(UINT_PTR deviceId, LPWAVEINCAPSA caps, UINT size) {
    SimulatedWaveIn& self = *current;
    if (size != sizeof(WAVEINCAPSA)) return MMSYSERR_INVALPARAM;
    if (deviceId >= self.names.size()) return MMSYSERR_BADDEVICEID;
    std::memset(caps, 0, sizeof *caps);
    std::strncpy(caps->szPname, self.names[deviceId].c_str(), sizeof caps->szPname - 1);
    return MMSYSERR_NOERROR;
}

UINT WINAPI SimulatedWaveIn::Count() { return current->deviceCount; }

// The system's own texts: the program shows whatever the system says.
MMRESULT WINAPI SimulatedWaveIn::ErrorText(MMRESULT result, LPSTR text, UINT size) {
    return waveInGetErrorTextA(result, text, size);
}

const YWaveInFunctions* SimulatedWaveIn::Table() {
    static const YWaveInFunctions table = {Open, Prepare, Unprepare, Add, Start, Reset, Position, Close, Caps, Count, ErrorText};
    return &table;
}
