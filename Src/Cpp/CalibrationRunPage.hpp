#pragma once

#include "CalibrationPage.hpp"
#include "SampleClock.hpp"

// The wizard's second page, which measures. Automatic: for 29 one-second ticks it counts the
// samples that the capture device delivers against the system clock; the rate is the measured
// sampling rate over the nominal one, and the wizard moves on by itself. External source: the page
// takes over the analysis notifications, shows the uncalibrated frequency of every block and
// takes Fext over it as the rate, and passes each notification on to the window it took them
// from. Reset measures nothing: the page steps aside.
//
// Whichever way the page is left (Next, Back, Cancel, the close box, the end of the measurement)
// its timer stops and the analysis notifications go back to their window.
class CalibrationRunPage : public CalibrationPage {
public:
    static constexpr int MeasurementSeconds = 29;
    // What the page tells the user, a little more than the measurement takes.
    static constexpr int PromisedSeconds = 30;
    static constexpr UINT_PTR TimerId = 1;
    static constexpr UINT TickMilliseconds = 1000;
    // A tone at or below this frequency is no reference.
    static constexpr double MinToneFrequency = 10.0;

    CalibrationRunPage(CalibrationState& state, SampleClock& clock);

    INT_PTR HandlePageMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    INT_PTR Activate();
    void StartMeasurement();
    void Tick();
    void ShowTimeLeft();
    void StartListening();
    void TakeAnalysisResult();
    void Stop();

    SampleClock& clock;
    int secondsElapsed = 0;
    unsigned startPosition = 0;
    unsigned startTime = 0;
    bool timerRunning = false;
    HWND savedTarget = nullptr;
};
