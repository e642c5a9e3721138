#include "TunerMain.hpp"

#include "TunerAnalyzer.hpp"
#include "TunerDialog.hpp"
#include "TunerSettings.hpp"
#include "TunerState.hpp"
#include "YMessageBox.hpp"
#include "YModule.hpp"
#include "resource.h"

void ReportDeviceError(const TunerAnalyzer& analyzer) {
    YString reason;
    reason.LoadResource(IDS_CANT_OPEN_WAVE_IN);
    reason += analyzer.GetErrorText();
    ErrorBox(IDS_ERROR_TITLE, reason);
}

int TunerMain(TunerAnalyzer& analyzer) {
    LoadSettings(ModuleDirectory(), static_cast<int>(TunerAnalyzer::GetNumDevices()));
    if (TunerAnalyzer::GetNumDevices() == 0) {
        ErrorBox(IDS_ERROR_TITLE, IDS_CANT_OPEN_WAVE_IN);
        return 1;
    }
    analyzer.SetHop(fastUpdates ? TunerAnalyzer::FastHop : TunerAnalysis::BlockLength);
    if (!analyzer.Open(waveInDevice)) {
        ReportDeviceError(analyzer);
        return 1;
    }

    TunerDialog window(analyzer);
    analyzer.Setup();
    analyzer.LoadCurrentTuning();
    analyzer.Start();
    window.RunModal();
    analyzer.Stop();
    analyzer.Close();
    return 0;
}
