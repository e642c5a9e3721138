#pragma once

#include <cstddef>

#include "CalibrationState.hpp"
#include "YGuiPropertyPage.hpp"
#include "YMemory.hpp"

// A page of the calibration wizard: its template, titled "Sample Rate Calibration Wizard", the
// state that the pages share, and the oscilloscope picture on its left, which the page loads and
// releases itself (a static control does not release a picture it loaded from the template).
class CalibrationPage : public YGuiPropertyPage {
public:
    // Pages come from the library's memory, so that a failed allocation is seen as null (the
    // wizard reports it) and a test can make it fail.
    static void* operator new(std::size_t bytes) noexcept { return YMemory::Allocate(bytes); }
    static void operator delete(void* block) { YMemory::Free(block); }

    void FillPage(PROPSHEETPAGEA* record) override;
    // Shows the picture, hands every message to HandlePageMessage and releases the picture.
    INT_PTR HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;

protected:
    virtual INT_PTR HandlePageMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) = 0;

    CalibrationPage(CalibrationState& state, WORD templateId) : state(state), templateId(templateId) {}

    CalibrationState& state;

private:
    WORD templateId;
    HBITMAP picture = nullptr;
};
