#include "CalibrationModePage.hpp"

#include "resource.h"

namespace {

const RadioEntry ModeGroup[] = {
    {CalibrationState::Reset, IDC_RESET_CALIBRATION},
    {CalibrationState::Automatic, IDC_AUTOMATIC},
    {CalibrationState::ExternalSource, IDC_EXTERNAL_SOURCE},
    {-1, -1},
};
const int ExternalFrequencyControls[] = {IDC_EXTERNAL_FREQUENCY, IDC_EXTERNAL_STEP, -1};

constexpr double FrequencyStep = 1.0;

}  // namespace

CalibrationModePage::CalibrationModePage(CalibrationState& state) : CalibrationPage(state, IDD_CALIBRATION_MODE) {}

INT_PTR CalibrationModePage::HandlePageMessage(HWND, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        InitUpDowns();
        SetRadioGroup(ModeGroup, CalibrationState::Reset);
        SetControlInt(IDC_EXTERNAL_FREQUENCY, StartExternalFrequency);
        EnableExternalFrequency();
        break;
    case WM_COMMAND:
        if (HIWORD(wParam) == BN_CLICKED) EnableExternalFrequency();
        break;
    case WM_NOTIFY: return HandleNotify(*reinterpret_cast<const NMHDR*>(lParam));
    }
    return 0;
}

INT_PTR CalibrationModePage::HandleNotify(const NMHDR& header) {
    switch (header.code) {
    case UDN_DELTAPOS:
        if (header.idFrom == IDC_EXTERNAL_STEP)
            HandleUpDownReal(reinterpret_cast<const NMUPDOWN*>(&header), MinExternalFrequency, MaxExternalFrequency, FrequencyStep);
        return 0;
    case PSN_SETACTIVE: SetWizardButtons(PSWIZB_NEXT); return 0;
    case PSN_KILLACTIVE: return Leave();
    }
    return 0;
}

void CalibrationModePage::EnableExternalFrequency() {
    EnableControls(ExternalFrequencyControls, GetRadioGroup(ModeGroup) == CalibrationState::ExternalSource);
}

INT_PTR CalibrationModePage::Leave() {
    state.mode = GetRadioGroup(ModeGroup);
    if (state.mode != CalibrationState::ExternalSource) return FALSE;
    bool failed = false;
    ValidateReal(failed, IDC_EXTERNAL_FREQUENCY, state.externalFrequency, MinExternalFrequency, MaxExternalFrequency,
                 IDS_ILLEGAL_FREQUENCY);
    if (!failed) return FALSE;
    SetMessageResult(TRUE);
    return TRUE;
}
