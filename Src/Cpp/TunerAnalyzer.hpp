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
// It alone drives its capture: opening, starting, a change of device or of hop and closing all go
// through it, and each starts the stream afresh, so that no sample of an earlier stream (another
// device's, say) reaches the analysis.
class TunerAnalyzer : private YWaveIn {
public:
    // wParam values of the WM_USER message sent to analysisTarget.
    static constexpr WPARAM ResultReady = 1;
    static constexpr WPARAM TuningLoaded = 2;
    static constexpr int SampleRate = 11025;
    static constexpr int FastHop = 1024;

    // Sets the format and the initial tuning target (guitar mode, automatic string choice).
    TunerAnalyzer();

    // Prepares the transform; once. Blocks that arrive before are dropped.
    void Setup();

    // Analyses a full block and posts WM_USER wParam 1 to analysisTarget, unless that window is
    // still busy with the previous result.
    void OnData(YByteBuffer& buffer, unsigned bytesRecorded) override;

    // Opens `device` with the current hop; false when it does not open (GetErrorText tells why).
    // The stream starts afresh: what an earlier one left in the sample window is forgotten.
    bool Open(unsigned device);
    // Start starts capture on the open device; Close stops it and closes the device, in any state.
    using YWaveIn::Close;
    using YWaveIn::Start;
    // Samples between results: TunerAnalysis::BlockLength, or FastHop for fast updates. Takes
    // effect when the device is opened next.
    void SetHop(int samples);
    int Hop() const { return GetBlockLength(); }
    // Closes capture, opens `device` with the current hop and starts it: a change of device, or of
    // hop on the same device. False, with capture closed, when the device does not open.
    bool Restart(unsigned device);

    using YWaveIn::GetDeviceNames;
    using YWaveIn::GetErrorText;
    using YWaveIn::GetFormat;
    using YWaveIn::GetNumDevices;
    using YWaveIn::GetPosition;
    using YWaveIn::IsOpen;
    using YWaveIn::IsRecording;

    // The full blocks since the device was last opened that gave no result (with Precise
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
    bool analysisReady = false;
    SampleWindow window;
    int blocksWithoutResult = 0;
};
