#pragma once

// Resources of the dialog framework's test program only; they stay clear of the program's ids and
// of the other test programs'.

// Dialog templates
#define IDD_TEST_CONTROLS       9301
#define IDD_TEST_TABS           9302
#define IDD_TEST_PAGE_A         9303
#define IDD_TEST_PAGE_B         9304
#define IDD_TEST_PAGE_C         9305
#define IDD_TEST_MISSING        9399

// Menu and icons
#define IDM_TEST_MENU           9310
#define IDI_TEST_ICON           9311
#define IDI_TEST_MISSING        9319

// Menu commands
#define IDM_TEST_GUITAR         9320
#define IDM_TEST_CHROMATIC      9321
#define IDM_TEST_OTHER          9322
#define IDM_TEST_AUTO           9323

// Controls of IDD_TEST_CONTROLS
#define IDC_TEST_EDIT1          9401
#define IDC_TEST_EDIT2          9402
#define IDC_TEST_BUDDY          9403
#define IDC_TEST_UPDOWN         9404
#define IDC_TEST_CHECK          9405
#define IDC_TEST_RADIO1         9406
#define IDC_TEST_RADIO2         9407
#define IDC_TEST_RADIO3         9408
#define IDC_TEST_BUTTON         9409
#define IDC_TEST_STATIC         9410
#define IDC_TEST_ICON_STATIC    9411
#define IDC_TEST_COMBO          9412
#define IDC_TEST_LIST           9413
#define IDC_TEST_VSLIDER        9414
#define IDC_TEST_HSLIDER        9415
#define IDC_TEST_PROGRESS       9416
#define IDC_TEST_SCROLL         9417
#define IDC_TEST_LISTVIEW       9418
#define IDC_TEST_ICON_AREA      9419
#define IDC_TEST_LONE_UPDOWN    9420
#define IDC_TEST_MISSING        9499

// Controls of IDD_TEST_TABS and the pages
#define IDC_TEST_TAB            9501
#define IDC_TEST_PAGE_EDIT      9502

// Strings
#define IDS_TEST_PAGE_A         9601
#define IDS_TEST_PAGE_B         9602
#define IDS_TEST_PAGE_C         9603
#define IDS_TEST_RANGE          9604
#define IDS_TEST_TIP            9605
#define IDS_TEST_ITEM_ONE       9606
#define IDS_TEST_ITEM_TWO       9607
#define IDS_TEST_REAL_RANGE     9608
#define IDS_TEST_MISSING        9699
