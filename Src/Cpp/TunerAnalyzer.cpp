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

void TunerAnalyzer::OnData(YByteBuffer& buffer, unsigned bytesRecorded) {
    if (analysis.AnalyzeBlock(buffer, bytesRecorded, GetFormat().sampleRate, GetLoadPercent()) && analysisTarget && !analysisBusy)
        PostMessageA(analysisTarget, WM_USER, ResultReady, 0);
}

void TunerAnalyzer::LoadCurrentTuning() { ::LoadCurrentTuning(analysis.StringOffsets); }
