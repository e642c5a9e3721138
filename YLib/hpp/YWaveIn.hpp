#pragma once

#include <windows.h>
#include <mmsystem.h>

#include <optional>

#include "YArray.hpp"
#include "YByteBuffer.hpp"
#include "YString.hpp"
#include "YSystemException.hpp"
#include "YWaveFormat.hpp"

// The multimedia services that YWaveIn uses, one pointer each. The default table holds the
// system's functions; a test installs its own to stand in for a device.
struct YWaveInFunctions {
    MMRESULT(WINAPI* open)(LPHWAVEIN device, UINT deviceId, LPCWAVEFORMATEX format, DWORD_PTR callback,
                           DWORD_PTR instance, DWORD flags);
    MMRESULT(WINAPI* prepareHeader)(HWAVEIN device, LPWAVEHDR header, UINT headerSize);
    MMRESULT(WINAPI* unprepareHeader)(HWAVEIN device, LPWAVEHDR header, UINT headerSize);
    MMRESULT(WINAPI* addBuffer)(HWAVEIN device, LPWAVEHDR header, UINT headerSize);
    MMRESULT(WINAPI* start)(HWAVEIN device);
    MMRESULT(WINAPI* reset)(HWAVEIN device);
    MMRESULT(WINAPI* getPosition)(HWAVEIN device, LPMMTIME time, UINT timeSize);
    MMRESULT(WINAPI* close)(HWAVEIN device);
    MMRESULT(WINAPI* getDevCaps)(UINT_PTR deviceId, LPWAVEINCAPSA caps, UINT capsSize);
    UINT(WINAPI* getNumDevs)();
    MMRESULT(WINAPI* getErrorText)(MMRESULT result, LPSTR text, UINT textSize);
};

// Records PCM sound from one wave-input device in blocks of `blockLength` samples. Two buffers
// alternate: while OnData works on one, the device fills the other. The device reports a filled
// buffer to a hidden window of the object, so OnData runs on the thread that opened the device,
// inside its message loop.
class YWaveIn {
public:
    static constexpr const char* SourceFile = "Cpp/YWaveIn";
    static constexpr int LineCreateWindow = 95;
    static constexpr int LinePrepareBuffer1 = 142;
    static constexpr int LinePrepareBuffer2 = 145;
    static constexpr int LineClose = 169;
    static constexpr int LineQueueBuffer1 = 189;
    static constexpr int LineQueueBuffer2 = 192;
    static constexpr int LineStart = 195;
    static constexpr int LineReset = 206;

    static constexpr const char* WindowClass = "YLib_WaveInWindowClass";
    static constexpr const char* WindowTitle = "Wave In Window";
    static constexpr int ErrorTextSize = 256;

    YWaveIn();
    virtual ~YWaveIn();
    YWaveIn(const YWaveIn&) = delete;
    YWaveIn& operator=(const YWaveIn&) = delete;

    // False when the device refuses to open (GetLastResult, GetErrorText tell why); true at once
    // when the object is open already.
    bool Open(unsigned deviceId);
    // Stops capture, releases the device and removes the hidden window; safe in any state.
    void Close();
    // Queues both buffers and starts the device; callers start only an open device.
    void Start();
    // Resets the device, which hands back every queued buffer.
    void Stop();

    void SetFormat(const YWaveFormat& newFormat) { format = newFormat; }
    const YWaveFormat& GetFormat() const { return format; }
    void SetBlockLength(int samples) { blockLength = samples; }
    int GetBlockLength() const { return blockLength; }
    bool IsOpen() const { return isOpen; }
    bool IsRecording() const { return isRecording; }

    // Samples captured since the device was started, as the device counts them.
    unsigned GetPosition();
    // How long the last OnData took, as a percentage of a block's duration measured on the
    // device's sample clock; 100 when the program fell behind.
    int GetLoadPercent() const { return loadPercent; }

    // The product names of all wave-input devices; index = device id.
    static void GetDeviceNames(YArray<YString>& names);
    static unsigned GetNumDevices();
    unsigned GetLastResult() const { return lastResult; }
    // The system's text for GetLastResult(), in one program-wide buffer that every call overwrites.
    const char* GetErrorText() const;

    // Replaces the multimedia services; null restores the system's.
    static void SetFunctions(const YWaveInFunctions* functions);

    // Called for every buffer the device returns with data; `bytesRecorded` may be less than a
    // full block, for instance when capture is stopped.
    virtual void OnData(YByteBuffer& buffer, unsigned bytesRecorded);

private:
    static LRESULT CALLBACK WaveInWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void HandleData(WAVEHDR& header);
    // Runs OnData; an error it throws is caught and returned.
    std::optional<YSystemException> Analyse(YByteBuffer& buffer, unsigned bytesRecorded);
    void ReportError(const YSystemException& error);
    void FillHeader(int index);
    void Requeue(int index);
    void ReleaseDevice();
    void DestroyHiddenWindow();

    bool isOpen = false;
    bool isRecording = false;
    bool inHandler = false;
    bool isReporting = false;  // an error of OnData is being shown
    unsigned lastResult = 0;
    unsigned deviceId = 0;
    HWAVEIN handle = nullptr;
    HWND window = nullptr;
    YWaveFormat format;
    int blockLength = 4096;
    int bufferBytes = 0;
    int loadPercent = 0;
    YByteBuffer buffers[2];
    WAVEHDR headers[2];
};
