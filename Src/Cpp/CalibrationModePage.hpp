#pragma once

#include "CalibrationPage.hpp"

// The wizard's first page: reset, automatic measurement, or an external source whose reference
// frequency Fext (100 to 4000 Hz) the user types or steps with the up-down. Only a valid Fext
// lets the wizard go on.
class CalibrationModePage : public CalibrationPage {
public:
    static constexpr double MinExternalFrequency = 100.0;
    static constexpr double MaxExternalFrequency = 4000.0;
    static constexpr int StartExternalFrequency = 440;

    explicit CalibrationModePage(CalibrationState& state);

    INT_PTR HandlePageMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    INT_PTR HandleNotify(const NMHDR& header);
    // The Fext field and its up-down serve the external source only.
    void EnableExternalFrequency();
    // Takes the mode and, for the external source, Fext; answers whether the page must stay.
    INT_PTR Leave();
};
