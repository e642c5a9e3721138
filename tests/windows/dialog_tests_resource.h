#pragma once

// Resources of the dialog framework's test program only; they stay clear of the program's ids and
// of the other test programs'. No resource or control of any kind has the id ID_TEST_MISSING.
#define IDD_TEST_CONTROLS       9301
#define IDD_TEST_PAGE           9302
#define IDI_TEST_ICON           9303
#define ID_TEST_MISSING         9399

#define IDC_TEST_EDIT1          9401
#define IDC_TEST_EDIT2          9402
#define IDC_TEST_STATIC         9403
#define IDC_TEST_BUTTON         9404
#define IDC_TEST_ICON_STATIC    9405
#define IDC_TEST_LIST           9406
#define IDC_TEST_SLIDER         9407
#define IDC_TEST_SCROLL         9408
#define IDC_TEST_LISTVIEW       9409
#define IDC_TEST_TAB            9410

#define IDS_TEST_PAGE           9601
#define IDS_TEST_RANGE          9602
#define IDS_TEST_REAL_RANGE     9603
