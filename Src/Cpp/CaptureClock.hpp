#pragma once

#include <windows.h>
#include <mmsystem.h>

#include "SampleClock.hpp"
#include "TunerAnalyzer.hpp"

// The clocks of a running capture device: its position in samples and the multimedia timer.
class CaptureClock : public SampleClock {
public:
    explicit CaptureClock(TunerAnalyzer& capture) : capture(capture) {}

    unsigned Samples() override { return capture.GetPosition(); }
    unsigned Milliseconds() override { return timeGetTime(); }
    int NominalRate() override { return capture.GetFormat().sampleRate; }

private:
    TunerAnalyzer& capture;
};
