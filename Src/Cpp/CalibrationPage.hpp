#pragma once

#include <cstddef>

#include "CalibrationState.hpp"
#include "YGuiPropertyPage.hpp"
#include "YMemory.hpp"

// A page of the calibration wizard: its template, titled "Sample Rate Calibration Wizard", and
// the state that the pages share.
class CalibrationPage : public YGuiPropertyPage {
public:
    // Pages come from the library's memory, so that a failed allocation is seen as null (the
    // wizard reports it) and a test can make it fail.
    static void* operator new(std::size_t bytes) noexcept { return YMemory::Allocate(bytes); }
    static void operator delete(void* block) { YMemory::Free(block); }

    void FillPage(PROPSHEETPAGEA* record) override;

protected:
    CalibrationPage(CalibrationState& state, WORD templateId) : state(state), templateId(templateId) {}

    CalibrationState& state;

private:
    WORD templateId;
};
