#pragma once

#include <windows.h>
#include <mmsystem.h>

#include <deque>
#include <string>
#include <vector>

// Stands in for the system's wave-input devices while it lives: YWaveIn talks to this object
// instead of the multimedia services. Tests choose its devices and answers, and return queued
// buffers through the window messages a device posts.
struct SimulatedWaveIn {
    SimulatedWaveIn();
    ~SimulatedWaveIn();
    // Fills the first queued buffer with `bytes` bytes of SimulatedSamples(bytes, seed), takes it
    // from the queue, posts its notification and dispatches the messages waiting. False when
    // nothing is queued.
    bool Return(unsigned bytes, unsigned char seed = 0);
    // Dispatches every message waiting for this thread.
    static void Pump();

    // The number of devices as reported; a capability query succeeds for every index with a name.
    unsigned deviceCount = 1;
    std::vector<std::string> names{"Simulated Input"};
    // The operation that fails with MMSYSERR_ALLOCATED ("open", "prepare", "unprepare", "add",
    // "start", "reset", "position", "close"), for the buffer whose user value is `failingBuffer`
    // (0: any buffer).
    std::string failing;
    DWORD_PTR failingBuffer = 0;
    // The capture position in samples; every query moves it by `positionStep`, a clock that runs
    // while the program works.
    unsigned position = 0, positionStep = 0;

    int opens = 0;
    bool isOpen = false;
    WAVEFORMATEX format = {};
    HWND window = nullptr;
    std::deque<WAVEHDR*> queue;  // the queued buffers, in the order the device fills them
};

std::vector<unsigned char> SimulatedSamples(unsigned bytes, unsigned char seed);
