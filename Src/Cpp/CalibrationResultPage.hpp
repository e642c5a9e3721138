#pragma once

#include "CalibrationPage.hpp"

// The wizard's last page: shows what was found and, on Finish, and only then, puts the rate into
// effect for the next analysed block and stores it in the settings.
class CalibrationResultPage : public CalibrationPage {
public:
    explicit CalibrationResultPage(CalibrationState& state);

    INT_PTR HandlePageMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void ShowResult();
    void Apply();
};
