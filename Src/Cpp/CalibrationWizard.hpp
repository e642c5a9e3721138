#pragma once

#include "CalibrationState.hpp"
#include "SampleClock.hpp"
#include "YGuiPropertySheet.hpp"

class CalibrationPage;

// The sample-rate calibration wizard of Setup > Calibrate: it finds the factor between the
// capture device's real sampling rate and the nominal one, which the analysis multiplies into
// every frequency. Three pages: the mode (reset, automatic, external source), the measurement and
// the result. Only Finish changes the program's calibration and its settings; Cancel anywhere
// leaves both as they were.
class CalibrationWizard : public YGuiPropertySheet {
public:
    static constexpr const char* SourceFile = "Cpp/FLDCalibrate";
    static constexpr int LineNoMemoryModePage = 9;
    static constexpr int LineNoMemoryRunPage = 10;
    static constexpr int LineNoMemoryResultPage = 11;

    // The automatic measurement reads `clock`. Owned by the window active now.
    explicit CalibrationWizard(SampleClock& clock);

    void FillHeader(PROPSHEETHEADERA* header) override;

private:
    // Takes a newly allocated page; a page that could not be allocated throws with `line`.
    void Add(CalibrationPage* page, int line);

    CalibrationState state;
};
