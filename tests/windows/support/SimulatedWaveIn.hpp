#pragma once

#include <windows.h>
#include <mmsystem.h>

#include <deque>
#include <string>
#include <vector>

struct YWaveInFunctions;

// Stands in for the system's wave-input devices while it lives: YWaveIn talks to this object
// instead of the multimedia services. Tests choose its devices, its answers and its position,
// and return queued buffers through the real window messages that a device would post.
class SimulatedWaveIn {
public:
    SimulatedWaveIn();
    ~SimulatedWaveIn();
    SimulatedWaveIn(const SimulatedWaveIn&) = delete;
    SimulatedWaveIn& operator=(const SimulatedWaveIn&) = delete;

    // The devices: their number as reported, and the names that capability queries find (a query
    // succeeds for every index that has a name).
    unsigned deviceCount = 1;
    std::vector<std::string> names{"Simulated Input"};

    // Answers; 0 means success. A buffer is named by its header's user value (1 or 2); 0 for none.
    MMRESULT openResult = MMSYSERR_NOERROR;
    MMRESULT startResult = MMSYSERR_NOERROR;
    MMRESULT resetResult = MMSYSERR_NOERROR;
    MMRESULT closeResult = MMSYSERR_NOERROR;
    DWORD_PTR failPrepareOf = 0;
    DWORD_PTR failAddOf = 0;
    // The device is gone: every operation on an open device fails.
    bool gone = false;

    // The capture position in samples.
    unsigned position = 0;

    // What the program did.
    int opens = 0, closes = 0, starts = 0, resets = 0;
    bool isOpen = false;
    WAVEFORMATEX openedFormat = {};
    DWORD_PTR callback = 0;
    DWORD openFlags = 0;
    std::deque<WAVEHDR*> queue;  // queued buffers, in the order the device fills them

    HWND Window() const { return reinterpret_cast<HWND>(callback); }
    HWAVEIN Handle() const;
    // The user values of the queued buffers, in queue order.
    std::vector<DWORD_PTR> Queued() const;

    // Fills the first queued buffer with `bytes` bytes of a pattern derived from `seed`, takes
    // it from the queue and posts the notification to the window. False when nothing is queued.
    bool Return(unsigned bytes, unsigned char seed = 0);
    // Dispatches every message waiting for this thread.
    static void Pump();

private:
    static SimulatedWaveIn* current;
    static const YWaveInFunctions* Table();
    bool Valid(HWAVEIN device) const;
    void Notify(WAVEHDR* header);

    static MMRESULT WINAPI Open(LPHWAVEIN device, UINT deviceId, LPCWAVEFORMATEX format, DWORD_PTR callback,
                                DWORD_PTR instance, DWORD flags);
    static MMRESULT WINAPI Prepare(HWAVEIN device, LPWAVEHDR header, UINT size);
    static MMRESULT WINAPI Unprepare(HWAVEIN device, LPWAVEHDR header, UINT size);
    static MMRESULT WINAPI Add(HWAVEIN device, LPWAVEHDR header, UINT size);
    static MMRESULT WINAPI Start(HWAVEIN device);
    static MMRESULT WINAPI Reset(HWAVEIN device);
    static MMRESULT WINAPI Position(HWAVEIN device, LPMMTIME time, UINT size);
    static MMRESULT WINAPI Close(HWAVEIN device);
    static MMRESULT WINAPI Caps(UINT_PTR deviceId, LPWAVEINCAPSA caps, UINT size);
    static UINT WINAPI Count();
    static MMRESULT WINAPI ErrorText(MMRESULT result, LPSTR text, UINT size);
};

// Fills `bytes` with the pattern that SimulatedWaveIn::Return writes for `seed`.
std::vector<unsigned char> SimulatedSamples(unsigned bytes, unsigned char seed);
