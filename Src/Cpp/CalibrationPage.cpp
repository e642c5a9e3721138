#include "CalibrationPage.hpp"

#include "resource.h"

void CalibrationPage::FillPage(PROPSHEETPAGEA* record) {
    record->dwFlags = PSP_USETITLE;
    record->pszTemplate = MAKEINTRESOURCEA(templateId);
    record->pszTitle = MAKEINTRESOURCEA(IDS_CALIBRATION_TITLE);
}
