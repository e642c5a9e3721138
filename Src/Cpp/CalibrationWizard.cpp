#include "CalibrationWizard.hpp"

#include "CalibrationModePage.hpp"
#include "CalibrationResultPage.hpp"
#include "CalibrationRunPage.hpp"
#include "YSystemException.hpp"

CalibrationWizard::CalibrationWizard(SampleClock& clock) {
    SetParentHandle(GetActiveWindow());
    // A throw leaves the pages added so far to the sheet, which deletes them.
    Add(new CalibrationModePage(state), LineNoMemoryModePage);
    Add(new CalibrationRunPage(state, clock), LineNoMemoryRunPage);
    Add(new CalibrationResultPage(state), LineNoMemoryResultPage);
}

void CalibrationWizard::FillHeader(PROPSHEETHEADERA* header) { header->dwFlags = PSH_WIZARD | PSH_PROPSHEETPAGE | PSH_NOAPPLYNOW; }

void CalibrationWizard::Add(CalibrationPage* page, int line) {
    if (!page) throw YSystemException(YSystemException::KindNoMemory, line, SourceFile);
    page->SetSheet(this);
    AddPage(page);
}
