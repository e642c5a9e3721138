#include "CalibrationResultPage.hpp"

#include "TunerState.hpp"
#include "resource.h"

CalibrationResultPage::CalibrationResultPage(CalibrationState& state) : CalibrationPage(state, IDD_CALIBRATION_RESULT) {}

INT_PTR CalibrationResultPage::HandlePageMessage(HWND, UINT message, WPARAM, LPARAM lParam) {
    if (message != WM_NOTIFY) return 0;
    switch (reinterpret_cast<const NMHDR*>(lParam)->code) {
    case PSN_SETACTIVE:
        ShowResult();
        SetWizardButtons(PSWIZB_FINISH);
        break;
    case PSN_WIZFINISH: Apply(); break;
    }
    return 0;
}

void CalibrationResultPage::ShowResult() {
    YString status;
    switch (state.mode) {
    case CalibrationState::Automatic: status.FormatResource(IDS_MEASURED_RATE, state.measuredSamplingRate, state.rate); break;
    case CalibrationState::ExternalSource: status.FormatResource(IDS_CALIBRATION_RATE, state.rate); break;
    default: status.LoadResource(IDS_NO_CALIBRATION); break;
    }
    SetControlText(IDC_CALIBRATION_STATUS, status);
}

void CalibrationResultPage::Apply() {
    calibrationRate = state.rate;
    theSettings.WriteDouble(SectionAudioInput, KeyCalibration, state.rate);
}
