#include "CalibrationRunPage.hpp"

#include "TunerAnalyzer.hpp"
#include "TunerState.hpp"
#include "resource.h"

namespace {

const int ProgressGroup[] = {IDC_CALIBRATION_PROGRESS, IDC_TIME_LEFT, IDC_CALIBRATION_WAIT, -1};
const int FrequencyGroup[] = {IDC_RAW_LABEL,     IDC_REFERENCE_LABEL,     IDC_RATE_LABEL, IDC_RAW_UNIT, IDC_REFERENCE_UNIT,
                              IDC_RAW_FREQUENCY, IDC_REFERENCE_FREQUENCY, IDC_RATE,       -1};

}  // namespace

CalibrationRunPage::CalibrationRunPage(CalibrationState& state, SampleClock& clock)
    : CalibrationPage(state, IDD_CALIBRATION_RUN), clock(clock) {}

INT_PTR CalibrationRunPage::HandlePageMessage(HWND, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_NOTIFY:
        switch (reinterpret_cast<const NMHDR*>(lParam)->code) {
        case PSN_SETACTIVE: return Activate();
        // Back may leave the page without asking it to be left first.
        case PSN_WIZBACK:
        case PSN_KILLACTIVE: Stop(); break;
        }
        break;
    case WM_TIMER:
        if (wParam == TimerId && timerRunning) Tick();
        break;
    case WM_USER:
        // Blocks count only while the page listens: one posted before it stopped is not news.
        if (wParam == TunerAnalyzer::ResultReady && analysisTarget == GetHandle()) TakeAnalysisResult();
        break;
    case WM_DESTROY: Stop(); break;
    }
    return 0;
}

INT_PTR CalibrationRunPage::Activate() {
    Stop();
    switch (state.mode) {
    case CalibrationState::Automatic: StartMeasurement(); return 0;
    case CalibrationState::ExternalSource: StartListening(); return 0;
    default:
        // Nothing to measure: the wizard passes on to the next page in the direction of travel.
        state.rate = DefaultCalibrationRate;
        SetMessageResult(-1);
        return TRUE;
    }
}

void CalibrationRunPage::StartMeasurement() {
    ShowControls(FrequencyGroup, false);
    ShowControls(ProgressGroup, true);
    secondsElapsed = 0;
    SetProgressRange(IDC_CALIBRATION_PROGRESS, 0, MeasurementSeconds);
    SetProgressPos(IDC_CALIBRATION_PROGRESS, 0);
    ShowTimeLeft();
    YString wait;
    wait.FormatResource(IDS_CALIBRATION_WAIT, PromisedSeconds);
    SetControlText(IDC_CALIBRATION_WAIT, wait);

    startPosition = clock.Samples();
    startTime = clock.Milliseconds();
    timerRunning = true;
    SetTimer(GetHandle(), TimerId, TickMilliseconds, nullptr);
    // Only Cancel while the measurement runs.
    SetWizardButtons(0);
}

void CalibrationRunPage::Tick() {
    ++secondsElapsed;
    SetProgressPos(IDC_CALIBRATION_PROGRESS, secondsElapsed);
    ShowTimeLeft();
    if (secondsElapsed < MeasurementSeconds) return;

    unsigned endPosition = clock.Samples();
    unsigned endTime = clock.Milliseconds();
    Stop();
    // Unsigned differences: either counter may wrap during the measurement.
    double samples = endPosition - startPosition;
    double milliseconds = endTime - startTime;
    state.measuredSamplingRate = samples / milliseconds * 1000.0;
    state.TakeRate(state.measuredSamplingRate / clock.NominalRate());
    SelectPageById(IDD_CALIBRATION_RESULT);
}

void CalibrationRunPage::ShowTimeLeft() {
    YString text;
    text.FormatResource(IDS_TIME_LEFT, MeasurementSeconds - secondsElapsed);
    SetControlText(IDC_TIME_LEFT, text);
}

void CalibrationRunPage::StartListening() {
    ShowControls(ProgressGroup, false);
    ShowControls(FrequencyGroup, true);
    SetControlTextF(this, IDC_REFERENCE_FREQUENCY, "%8.2f", state.externalFrequency);
    // Until a block with a tone arrives there is no calibration, whatever an earlier visit found.
    state.rate = DefaultCalibrationRate;
    SetControlText(IDC_RAW_FREQUENCY, "");
    SetControlTextF(this, IDC_RATE, "%8.6f", state.rate);

    savedTarget = analysisTarget;
    analysisTarget = GetHandle();
    SetWizardButtons(PSWIZB_BACK | PSWIZB_NEXT);
}

void CalibrationRunPage::TakeAnalysisResult() {
    SetControlTextF(this, IDC_RAW_FREQUENCY, "%8.2f", rawFrequency);
    // A block without a tone (too low, or a spectral peak below the noise threshold, as in
    // silence, whose flat spectrum peaks at the top of the range) gives no calibration.
    bool tone = rawFrequency > MinToneFrequency && signalLevel > noiseThreshold * 50;
    state.TakeRate(tone ? state.externalFrequency / rawFrequency : DefaultCalibrationRate);
    SetControlTextF(this, IDC_RATE, "%8.6f", state.rate);
    // The main window keeps showing every block.
    if (savedTarget) PostMessageA(savedTarget, WM_USER, TunerAnalyzer::ResultReady, 0);
}

void CalibrationRunPage::Stop() {
    if (timerRunning) {
        KillTimer(GetHandle(), TimerId);
        timerRunning = false;
    }
    if (analysisTarget == GetHandle()) analysisTarget = savedTarget;
    savedTarget = nullptr;
}
