#include "TunerAnalyzer.hpp"

#include "TunerState.hpp"
#include "TuningModel.hpp"

HWND analysisTarget = nullptr;

namespace {

void NotifyTuningLoaded() {
    if (analysisTarget) SendMessageA(analysisTarget, WM_USER, TunerAnalyzer::TuningLoaded, 0);
}

}  // namespace

TunerAnalyzer::TunerAnalyzer() {
    analysisBusy = false;
    autoString = true;
    tunerMode = TunerModeGuitar;
    selectedString = 0;
    noteIndex = 0;
    calibrationRate = 1.0;
    SetFormat({SampleRate, 16, 1});
    SetTuningLoadedHook(NotifyTuningLoaded);
}

void TunerAnalyzer::Setup() {
    analysis.Setup();
    analysisReady = true;
}

void TunerAnalyzer::OnData(YByteBuffer& buffer, unsigned bytesRecorded) {
    // Capture may start before the analysis is ready: start-up's Audio Source Settings dialog
    // starts the device the user chooses at once.
    if (!analysisReady) return;
    bool full, analysed;
    if (Hop() == TunerAnalysis::BlockLength) {
        full = bytesRecorded == TunerAnalysis::BlockBytes;
        analysed = analysis.AnalyzeBlock(buffer, bytesRecorded, GetFormat().sampleRate, GetLoadPercent());
    } else if (bytesRecorded != static_cast<unsigned>(buffer.Size())) {
        // A short hop means the stream was interrupted: the next block starts afresh.
        window.Clear();
        full = analysed = false;
    } else {
        full = window.Add(buffer.Data(), bytesRecorded);
        analysed = full && analysis.AnalyzeBlock(window.Block(), TunerAnalysis::BlockBytes, GetFormat().sampleRate, GetLoadPercent());
    }
    if (full && !analysed) ++blocksWithoutResult;
    if (analysed && analysisTarget && !analysisBusy) PostMessageA(analysisTarget, WM_USER, ResultReady, 0);
}

bool TunerAnalyzer::Open(unsigned device) {
    window.Clear();
    blocksWithoutResult = 0;
    return YWaveIn::Open(device);
}

void TunerAnalyzer::SetHop(int samples) {
    SetBlockLength(samples);
    window.Clear();
}

bool TunerAnalyzer::Restart(unsigned device) {
    Close();
    if (!Open(device)) return false;
    Start();
    return true;
}

void TunerAnalyzer::LoadCurrentTuning() { ::LoadCurrentTuning(analysis.StringOffsets); }
