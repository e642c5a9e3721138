#include "YWaveIn.hpp"

#include <cstring>

#include "YModule.hpp"
#include "YSystemException.hpp"

namespace {

const YWaveInFunctions systemFunctions = {
    waveInOpen,  waveInPrepareHeader, waveInUnprepareHeader, waveInAddBuffer,   waveInStart,         waveInReset,
    waveInGetPosition, waveInClose,   waveInGetDevCapsA,     waveInGetNumDevs, waveInGetErrorTextA,
};

const YWaveInFunctions* device = &systemFunctions;

char errorText[YWaveIn::ErrorTextSize];

[[noreturn]] void Fail(int line) { throw YSystemException(YSystemException::KindUnknown, line, YWaveIn::SourceFile); }

// The sample buffer of a returned header: its user value is 1 or 2.
int BufferIndex(const WAVEHDR& header) {
    if (header.dwUser == 1) return 0;
    if (header.dwUser == 2) return 1;
    return -1;
}

}  // namespace

void YWaveIn::SetFunctions(const YWaveInFunctions* functions) { device = functions ? functions : &systemFunctions; }

YWaveIn::YWaveIn() { std::memset(headers, 0, sizeof headers); }

// A device that can no longer be closed is left to the system; the window goes in any case, and
// with it every notification still waiting, so none can reach the destroyed object.
YWaveIn::~YWaveIn() {
    try {
        Close();
    } catch (const YSystemException&) {
    }
    DestroyHiddenWindow();
}

void YWaveIn::OnData(YByteBuffer&, unsigned) {}

bool YWaveIn::Open(unsigned id) {
    if (isOpen) return true;

    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = WaveInWndProc;
    windowClass.hInstance = ModuleInstance();
    windowClass.lpszClassName = WindowClass;
    RegisterClassA(&windowClass);  // fails harmlessly when an earlier Open registered it

    // A window left by a failed Open serves again.
    if (!window) {
        window = CreateWindowExA(0, WindowClass, WindowTitle, WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, ModuleInstance(), nullptr);
        if (!window) Fail(LineCreateWindow);
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }

    deviceId = id;
    handle = nullptr;
    WAVEFORMATEX waveFormat = {};
    waveFormat.wFormatTag = WAVE_FORMAT_PCM;
    waveFormat.nChannels = static_cast<WORD>(format.channels);
    waveFormat.nSamplesPerSec = static_cast<DWORD>(format.sampleRate);
    waveFormat.wBitsPerSample = static_cast<WORD>(format.bitsPerSample);
    waveFormat.nBlockAlign = static_cast<WORD>(format.channels * format.bitsPerSample / 8);
    waveFormat.nAvgBytesPerSec = waveFormat.nBlockAlign * waveFormat.nSamplesPerSec;
    lastResult = device->open(&handle, deviceId, &waveFormat, reinterpret_cast<DWORD_PTR>(window), 0, CALLBACK_WINDOW);
    if (lastResult != MMSYSERR_NOERROR) {
        handle = nullptr;
        return false;
    }

    // The device is open: whatever fails from here on must not leave it open behind a closed object.
    try {
        bufferBytes = (blockLength * format.bitsPerSample / 8) * format.channels;
        for (int i = 0; i < 2; ++i) {
            buffers[i].SetSize(bufferBytes);
            FillHeader(i);
            if (device->prepareHeader(handle, &headers[i], sizeof(WAVEHDR)) != MMSYSERR_NOERROR)
                Fail(i == 0 ? LinePrepareBuffer1 : LinePrepareBuffer2);
        }
    } catch (const YSystemException&) {
        ReleaseDevice();
        throw;
    }
    isOpen = true;
    return true;
}

void YWaveIn::Close() {
    try {
        Stop();
    } catch (const YSystemException&) {
        // The device failed or went away; its reset below is tried again and may fail as well.
    }
    if (isOpen) {
        device->reset(handle);
        for (WAVEHDR& header : headers) device->unprepareHeader(handle, &header, sizeof(WAVEHDR));
        if (device->close(handle) != MMSYSERR_NOERROR) Fail(LineClose);
    }
    handle = nullptr;
    isOpen = false;
    isRecording = false;
    DestroyHiddenWindow();
}

void YWaveIn::Start() {
    if (isRecording) return;
    if (device->addBuffer(handle, &headers[0], sizeof(WAVEHDR)) != MMSYSERR_NOERROR) Fail(LineQueueBuffer1);
    if (device->addBuffer(handle, &headers[1], sizeof(WAVEHDR)) != MMSYSERR_NOERROR) Fail(LineQueueBuffer2);
    if (device->start(handle) != MMSYSERR_NOERROR) Fail(LineStart);
    isRecording = true;
}

void YWaveIn::Stop() {
    if (!isRecording || !isOpen) return;
    if (device->reset(handle) != MMSYSERR_NOERROR) Fail(LineReset);
    isRecording = false;
}

unsigned YWaveIn::GetPosition() {
    MMTIME time = {};
    time.wType = TIME_SAMPLES;
    device->getPosition(handle, &time, sizeof time);
    return time.u.sample;
}

void YWaveIn::GetDeviceNames(YArray<YString>& names) {
    unsigned count = device->getNumDevs();
    names.SetSize(static_cast<int>(count));
    // A device that appears between the count and the queries finds no place in the array.
    WAVEINCAPSA caps;
    for (unsigned i = 0; i < count && device->getDevCaps(i, &caps, sizeof caps) == MMSYSERR_NOERROR; ++i) {
        char name[sizeof caps.szPname];
        std::memcpy(name, caps.szPname, sizeof name);
        name[sizeof name - 1] = '\0';
        names[static_cast<int>(i)] = name;
    }
}

unsigned YWaveIn::GetNumDevices() { return device->getNumDevs(); }

const char* YWaveIn::GetErrorText() const {
    errorText[0] = '\0';
    device->getErrorText(lastResult, errorText, sizeof errorText);
    errorText[sizeof errorText - 1] = '\0';
    return errorText;
}

LRESULT CALLBACK YWaveIn::WaveInWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != MM_WIM_DATA) return DefWindowProcA(window, message, wParam, lParam);
    auto* self = reinterpret_cast<YWaveIn*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (self && lParam) self->HandleData(*reinterpret_cast<WAVEHDR*>(lParam));
    return 0;
}

void YWaveIn::HandleData(WAVEHDR& header) {
    unsigned bytes = header.dwBytesRecorded;
    // An empty buffer, as a reset returns them, leaves the rotation until the next Start.
    if (bytes == 0) return;
    int index = BufferIndex(header);
    // Only an OnData that dispatches messages lets a notification in here; that buffer is dropped.
    if (inHandler) {
        loadPercent = 100;
        return;
    }
    if (index < 0) return;
    inHandler = true;
    std::optional<YSystemException> error = Analyse(buffers[index], bytes);
    Requeue(index);
    inHandler = false;
    // Only now, with the buffer back in the device's queue and the guard down: the report's own
    // message loop lets the next blocks in, and they are handled as usual.
    if (error) ReportError(*error);
}

// OnData timed on the device's own clock, in samples captured meanwhile. An error in OnData is
// handed back to be reported: it must not unwind through the system's message dispatch.
std::optional<YSystemException> YWaveIn::Analyse(YByteBuffer& buffer, unsigned bytesRecorded) {
    std::optional<YSystemException> error;
    unsigned before = GetPosition();
    try {
        OnData(buffer, bytesRecorded);
    } catch (const YSystemException& caught) {
        error = caught;
    }
    unsigned elapsed = GetPosition() - before;
    if (elapsed > 0) loadPercent = static_cast<int>(elapsed * 100 / static_cast<unsigned>(blockLength));
    return error;
}

// One report at a time: an error that repeats on every block while its report is open is not
// shown again on top of it.
void YWaveIn::ReportError(const YSystemException& error) {
    if (isReporting) return;
    isReporting = true;
    struct Lowered {
        bool& flag;
        ~Lowered() { flag = false; }
    } lowered{isReporting};
    error.Report();
}

void YWaveIn::FillHeader(int index) {
    WAVEHDR& header = headers[index];
    std::memset(&header, 0, sizeof header);
    header.lpData = reinterpret_cast<LPSTR>(buffers[index].Data());
    header.dwBufferLength = static_cast<DWORD>(buffers[index].Size());
    header.dwUser = static_cast<DWORD_PTR>(index + 1);
}

// A buffer that cannot be queued again simply leaves the rotation.
void YWaveIn::Requeue(int index) {
    WAVEHDR& header = headers[index];
    device->unprepareHeader(handle, &header, sizeof header);
    FillHeader(index);
    if (device->prepareHeader(handle, &header, sizeof header) == MMSYSERR_NOERROR)
        device->addBuffer(handle, &header, sizeof header);
}

void YWaveIn::ReleaseDevice() {
    for (WAVEHDR& header : headers) device->unprepareHeader(handle, &header, sizeof(WAVEHDR));
    device->close(handle);
    handle = nullptr;
}

void YWaveIn::DestroyHiddenWindow() {
    if (!window) return;
    ::DestroyWindow(window);
    window = nullptr;
}
