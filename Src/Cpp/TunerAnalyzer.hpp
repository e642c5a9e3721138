#pragma once

#include <windows.h>

#include "SampleWindow.hpp"
#include "TunerAnalysis.hpp"
#include "YWaveIn.hpp"

// The window that receives the analysis results (WM_USER with wParam 1) and the news that a tuning
// was loaded (wParam 2); null when nobody listens.
extern HWND analysisTarget;

// The tuner's capture-and-analysis object: a wave-input device at 11025 Hz, 16-bit mono, whose
// every full block is analysed as it arrives. The result is announced to analysisTarget; the
// window that shows it then calls MatchNote. With fast updates the device delivers hops of 1024
// samples and the latest 4096 are analysed after each.
class TunerAnalyzer : public YWaveIn {
public:
    // wParam values of the WM_USER message sent to analysisTarget.
    static constexpr WPARAM ResultReady = 1;
    static constexpr WPARAM TuningLoaded = 2;
    static constexpr int SampleRate = 11025;
    static constexpr int FastHop = 1024;

    // Sets the format and the initial tuning target (guitar mode, automatic string choice).
    TunerAnalyzer();

    // Prepares the transform; once, before capture starts.
    void Setup() { analysis.Setup(); }

    // Analyses a full block and posts WM_USER wParam 1 to analysisTarget, unless that window is
    // still busy with the previous result.
    void OnData(YByteBuffer& buffer, unsigned bytesRecorded) override;

    // Samples between results: TunerAnalysis::BlockLength, or FastHop for fast updates. Takes
    // effect when the device is opened next.
    void SetHop(int samples);
    int Hop() const { return GetBlockLength(); }
    // Stops capture, opens `device` again with the current hop and starts it; false, with capture
    // stopped and closed, when the device does not open (GetErrorText tells why).
    bool Restart(unsigned device);

    // The full blocks since the analyzer was made or restarted that gave no result (with Precise
    // Pitch, those without a clear fundamental).
    int BlocksWithoutResult() const { return blocksWithoutResult; }

    // Matches the last measured frequency to the target (see TunerAnalysis::MatchNote).
    void MatchNote() { analysis.MatchNote(); }

    // Loads the current tuning of the settings into the string offsets and then sends WM_USER
    // wParam 2 to analysisTarget, so that it shows the new tuning.
    void LoadCurrentTuning();

    // The current tuning's six string offsets, low string first.
    const int (&TuningOffsets() const)[TunerAnalysis::StringCount] { return analysis.StringOffsets; }

    // The analysis itself, for callers that set the tuning directly (the command-line tools).
    TunerAnalysis& Analysis() { return analysis; }

private:
    TunerAnalysis analysis;
    SampleWindow window;
    int blocksWithoutResult = 0;
};
