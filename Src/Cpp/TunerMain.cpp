#include "TunerMain.hpp"

#include "AudioSourceDialog.hpp"
#include "TunerAnalyzer.hpp"
#include "TunerDialog.hpp"
#include "TunerMixer.hpp"
#include "TunerSettings.hpp"
#include "TunerState.hpp"
#include "YMessageBox.hpp"
#include "YModule.hpp"
#include "YSystemException.hpp"
#include "resource.h"

void ReportDeviceError(const TunerAnalyzer& analyzer) {
    YString reason;
    reason.LoadResource(IDS_CANT_OPEN_WAVE_IN);
    reason += analyzer.GetErrorText();
    ErrorBox(IDS_ERROR_TITLE, reason);
}

namespace {

int RunTuner(TunerAnalyzer& analyzer, TunerMixer& mixer) {
    LoadSettings(ModuleDirectory(), static_cast<int>(TunerAnalyzer::GetNumDevices()));
    if (TunerAnalyzer::GetNumDevices() == 0) {
        ErrorBox(IDS_ERROR_TITLE, IDS_CANT_OPEN_WAVE_IN);
        return 1;
    }
    analyzer.SetHop(fastUpdates ? TunerAnalyzer::FastHop : TunerAnalysis::BlockLength);
    // Before the device loop: a device chosen in the Audio Source Settings dialog captures at once.
    analyzer.Setup();
    // The user may choose another device, or give up.
    while (!analyzer.Open(waveInDevice)) {
        ReportDeviceError(analyzer);
        AudioSourceDialog dialog(analyzer, mixer);
        if (dialog.RunModal() != YGuiDialog::CodeOk) return 1;
    }
    // A device chosen in the dialog comes with its mixer open, saved and set up already; saving
    // it again would take the program's own routing for the card's.
    if (!mixer.IsOpen()) {
        if (mixer.Open(static_cast<unsigned>(waveInDevice), MIXER_OBJECTF_WAVEIN)) {
            mixer.SaveState();
            mixer.ApplySource();
        } else {
            inputSource = InputSourceMixerDefault;
        }
    }

    TunerDialog window(analyzer, mixer);
    analyzer.LoadCurrentTuning();
    analyzer.Start();
    window.RunModal();
    return 0;
}

}  // namespace

int TunerMain(TunerAnalyzer& analyzer, TunerMixer& mixer) {
    int code = RunTuner(analyzer, mixer);
    EndRun(analyzer, mixer);
    return code;
}

void EndRun(TunerAnalyzer& analyzer, TunerMixer& mixer) {
    // A device that went away while the tuner ran (its sound server ended, say) can be neither
    // stopped nor closed any more. There is nothing left to undo then, and the run still ends
    // normally, its settings saved. Close stops capture first.
    try {
        analyzer.Close();
    } catch (const YSystemException&) {
    }
    mixer.Release();
    if (theSettings.IsModified()) theSettings.Save();
}
