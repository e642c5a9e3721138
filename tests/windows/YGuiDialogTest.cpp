#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>

#include "ExpectException.hpp"
#include "ImportPatch.hpp"
#include "MessageBoxWatcher.hpp"
#include "ModalDriver.hpp"
#include "YGuiDialog.hpp"
#include "YGuiPropertyPage.hpp"
#include "YGuiPropertySheet.hpp"
#include "dialog_tests_resource.h"

namespace {

// A dialog of the test template whose handler the test supplies (answering 0 without one).
class TestDialog : public YGuiDialog {
public:
    TestDialog() { SetTemplate(IDD_TEST_CONTROLS); }
    // A modeless window goes with its object; a modal one is gone already.
    ~TestDialog() override { DestroyWindow(GetHandle()); }
    INT_PTR HandleMessage(HWND, UINT message, WPARAM wParam, LPARAM lParam) override {
        return onMessage ? onMessage(message, wParam, lParam) : 0;
    }
    // Creates the dialog modelessly and shows it in front.
    void Open() {
        CreateModeless();
        Show();
        SetForegroundWindow(GetHandle());
    }
    std::function<INT_PTR(UINT message, WPARAM wParam, LPARAM lParam)> onMessage;
};

// From WM_INITDIALOG on, every message but the font reaches the handler, whose answer goes back;
// a handler that throws costs one report and that message only. Without a template nothing is made.
TEST(DialogProc, HandsOverEveryMessageFromInitDialogOnAndOutlivesAFailingHandler) {
    MessageBoxWatcher watcher;
    TestDialog dialog, none;
    std::vector<UINT> messages;
    dialog.onMessage = [&](UINT message, WPARAM, LPARAM) -> INT_PTR {
        messages.push_back(message);
        if (message == WM_INITDIALOG) dialog.GetControl(ID_TEST_MISSING);
        if (message == WM_APP) dialog.GetControlId(nullptr);
        if (message == WM_APP + 1) dialog.SetMessageResult(9);
        return message == WM_APP + 1;
    };
    std::vector<LRESULT> answers;
    ModalDriver driver({WaitFor([&] { return dialog.IsVisible(); }), Do([&] {
                            for (UINT message : {WM_SETFONT, WM_APP, WM_APP + 1})
                                answers.push_back(SendMessageA(dialog.GetHandle(), message, 0, 0));
                            dialog.EndOk();
                        })});
    EXPECT_EQ(YGuiDialog::CodeOk, dialog.RunModal());
    EXPECT_TRUE(driver.Finished());
    EXPECT_EQ((std::vector<LRESULT>{0, 0, 9}), answers);
    EXPECT_TRUE(messages.front() == WM_INITDIALOG && !std::count(messages.begin(), messages.end(), WM_SETFONT));
    ASSERT_EQ(2u, watcher.Boxes().size());
    EXPECT_EQ("GUI Error\n\nFile: Cpp/YGuiDialogBase\nLine: 54", watcher.Boxes()[0].text);
    EXPECT_EQ("GUI Error\n\nFile: Cpp/YGuiDialogBase\nLine: 73", watcher.Boxes()[1].text);
    none.SetTemplate(0);
    EXPECT_YTHROW(none.RunModal(), YSystemException::KindGui, 2130, "Cpp/YGuiDialogBase");
    EXPECT_YTHROW(none.CreateModeless(), YSystemException::KindGui, 2146, "Cpp/YGuiDialogBase");
}

// A window is centred on its owner within the work area: pushed onto it from beyond its top-left
// corner, flush with its right and bottom edges when larger than it.
// A second monitor right of the first one, which the system reports for any window.
RECT secondWorkArea;
HWND askedAbout = nullptr;
HMONITOR WINAPI MonitorOf(HWND window, DWORD) { return askedAbout = window, reinterpret_cast<HMONITOR>(0x5ec0); }
BOOL WINAPI InfoOf(HMONITOR monitor, LPMONITORINFO info) {
    info->rcMonitor = info->rcWork = secondWorkArea;
    return monitor == reinterpret_cast<HMONITOR>(0x5ec0);
}

TEST(Centring, CentresOnTheOwnerWithinTheWorkAreaOfItsMonitor) {
    RECT area, bounds;
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
    HWND owner = CreateWindowExA(0, "STATIC", "", WS_POPUP, 100, 100, 400, 300, nullptr, nullptr, nullptr, nullptr);
    HWND window = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 101, 51, owner, nullptr, nullptr, nullptr);
    std::vector<LONG> corners;
    for (int move : {0, -500, 1}) {
        if (move < 0) SetWindowPos(owner, nullptr, area.left + move, area.top + move, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        move > 0 ? CenterWindowSized(window, area.right - area.left + 300, area.bottom - area.top + 200) : CenterWindow(window);
        GetWindowRect(window, &bounds);
        corners.insert(corners.end(), {bounds.left, bounds.top});
    }
    EXPECT_EQ((std::vector<LONG>{100 + (400 - 101) / 2, 100 + (300 - 51) / 2, area.left, area.top, area.left - 300, area.top - 200}),
              corners);
    // An owner on a second monitor: the work area is that monitor's.
    secondWorkArea = {area.right, area.top, area.right + 800, area.top + 600};
    {
        ImportPatch monitorOf{"user32.dll", "MonitorFromWindow", reinterpret_cast<void*>(MonitorOf)};
        ImportPatch infoOf{"user32.dll", "GetMonitorInfoA", reinterpret_cast<void*>(InfoOf)};
        SetWindowPos(owner, nullptr, area.right + 100, area.top + 100, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        CenterWindow(window);
    }
    GetWindowRect(window, &bounds);
    EXPECT_EQ(std::make_pair(owner, area.right + 100 + (400 - 101) / 2), std::make_pair(askedAbout, bounds.left));
    DestroyWindow(owner);
}

// Validators share one failure flag: only the first bad field is reported, in an error box of the
// dialog, and gets the focus; a number out of range shows the range; one in range is the value.
// Texts are read up to 255 characters; formatted ones go to a control or the title, cut to 256.
// A dialog shown is visible; one tooltip of the dialog covers the listed controls and the dialog
// answers it their texts; scroll requests move the bar within its range; a list box's text is
// read whole; list views answer whether an item was inserted, set or read. Icons come in their
// sizes; the dialog destroys the icons it loaded, once replaced or with itself, and no others.
TEST(ControlHelpers, ValidatorsTextsScrollBarsListsToolTipsAndIconsKeepTheirRules) {
    MessageBoxWatcher watcher;
    TestDialog windowless;
    static const ToolTipEntry tips[] = {{IDC_TEST_EDIT1, "Plain tip"}, {IDC_TEST_EDIT2, "Another"}, {-1, nullptr}};
    static const IconEntry bigIcons[] = {{IDC_TEST_BUTTON, IDI_TEST_ICON}, {-1, -1}};
    const auto iconWidth = [](LRESULT icon) {  // 0 for an icon that is gone
        ICONINFO info = {};
        BITMAP bitmap = {};
        if (!GetIconInfo(reinterpret_cast<HICON>(icon), &info)) return 0L;
        GetObjectA(info.hbmColor, sizeof bitmap, &bitmap);
        DeleteObject(info.hbmColor);
        DeleteObject(info.hbmMask);
        return bitmap.bmWidth;
    };
    LRESULT foreign = reinterpret_cast<LRESULT>(CopyIcon(LoadIconA(nullptr, IDI_APPLICATION))), small, large, shown;
    auto dialog = std::make_unique<TestDialog>();
    dialog->Open();
    ASSERT_TRUE(dialog->IsVisible() && dialog->CreateToolTips(tips));
    HWND tooltip = FindWindowExA(nullptr, nullptr, TOOLTIPS_CLASSA, nullptr);
    while (GetWindow(tooltip, GW_OWNER) != dialog->GetHandle()) tooltip = FindWindowExA(nullptr, tooltip, TOOLTIPS_CLASSA, nullptr);
    NMTTDISPINFOA request = {{nullptr, reinterpret_cast<UINT_PTR>(dialog->GetControl(IDC_TEST_EDIT2))}};
    dialog->GetToolTipText(&request, tips);  // with the module that holds string-table ids
    EXPECT_TRUE(SendMessageA(tooltip, TTM_GETTOOLCOUNT, 0, 0) == 2 && request.lpszText == tips[1].text &&
                request.hinst == GetModuleHandleA(nullptr));

    dialog->SetScrollBarRange(IDC_TEST_SCROLL, 0, 100, 10);
    std::vector<int> positions;
    for (auto [code, thumb] : {std::pair(SB_LINEDOWN, 0), {SB_PAGEDOWN, 0}, {SB_PAGEUP, 0}, {SB_THUMBTRACK, 50}, {SB_ENDSCROLL, 7},
                               {SB_BOTTOM, 0}, {SB_LINEUP, 0}, {SB_TOP, 0}}) {
        dialog->HandleScrollBar(dialog->GetControl(IDC_TEST_SCROLL), MAKEWPARAM(code, thumb));
        positions.push_back(dialog->GetScrollBarPos(IDC_TEST_SCROLL));
    }
    dialog->SetScrollBarRange(IDC_TEST_SCROLL, 0, 50, 0);
    dialog->SetScrollBarPos(IDC_TEST_SCROLL, 45);
    positions.push_back(dialog->GetScrollBarPos(IDC_TEST_SCROLL));
    EXPECT_EQ((std::vector<int>{1, 11, 1, 50, 50, 91, 90, 0, 41}), positions) << "the page of 10 stays";

    static const char* const notes[] = {"E2", "A2", nullptr};
    YString read;
    dialog->AddListStrings(IDC_TEST_LIST, notes);
    dialog->GetListText(IDC_TEST_LIST, 1, read);
    dialog->GetListText(IDC_TEST_LIST, 2, read);
    EXPECT_EQ("A2", std::string(read.CStr())) << "no item 2: the text stays";
    LVCOLUMNA column = {LVCF_WIDTH, 0, 60};
    LVITEMA row = {LVIF_STATE, 0, 0, LVIS_SELECTED, LVIS_SELECTED};
    EXPECT_TRUE(dialog->InsertListViewColumn(IDC_TEST_LISTVIEW, 0, &column) && dialog->InsertListViewItem(IDC_TEST_LISTVIEW, &row) &&
                dialog->SetListViewItem(IDC_TEST_LISTVIEW, &row));
    row.iItem = 7;
    EXPECT_FALSE(dialog->SetListViewItem(IDC_TEST_LISTVIEW, &row) || dialog->GetListViewItem(IDC_TEST_LISTVIEW, &row)) << "FALSE, not -1";

    auto text = [&](int id, const std::string& set = "") {
        char shown[512] = {0};
        if (!set.empty()) SetDlgItemTextA(dialog->GetHandle(), id, set.c_str());
        GetWindowTextA(id ? dialog->GetControl(id) : dialog->GetHandle(), shown, sizeof shown);
        return std::string(shown);
    };
    text(IDC_TEST_EDIT1, "12 ");
    text(IDC_TEST_EDIT2, "446");
    bool failed = false, rangeFailed = false, passed = false;
    int first = 5, second = 7, third = 0;
    dialog->ValidateInt(failed, IDC_TEST_EDIT1, first, 0, 100, IDS_TEST_RANGE);
    dialog->ValidateInt(failed, IDC_TEST_EDIT2, second, 438, 445, IDS_TEST_RANGE);
    EXPECT_EQ(dialog->GetControl(IDC_TEST_EDIT1), GetFocus());
    dialog->ValidateInt(rangeFailed, IDC_TEST_EDIT2, second, 438, 445, IDS_TEST_RANGE);
    dialog->ValidateInt(passed, IDC_TEST_EDIT2, third, 438, 446, IDS_TEST_RANGE);
    EXPECT_TRUE(failed && rangeFailed && !passed && first == 5 && second == 7 && third == 446);
    std::string reports;
    for (const ShownMessageBox& box : watcher.Boxes())
        reports += box.caption + ": " + box.text + (box.owner == dialog->GetHandle() && box.style == MB_ICONHAND ? "\n" : "?\n");
    EXPECT_EQ("Error: Illegal Integer Number\nError: Out of range: [438..445]\n", reports);

    text(IDC_TEST_STATIC, std::string(300, 'w'));
    EXPECT_TRUE(dialog->GetControlText(IDC_TEST_STATIC, read) && read.Length() == 255);
    SetControlTextF(dialog.get(), IDC_TEST_STATIC, "%d Hz, %s", 440, "A4");
    SetControlTextF(dialog.get(), 0, "%s", std::string(300, 't').c_str());
    EXPECT_EQ("440 Hz, A4" + std::string(256, 't'), text(IDC_TEST_STATIC) + text(0));
    EXPECT_YTHROW(SetControlTextF(&windowless, 0, "title"), YSystemException::KindGui, 441, "Cpp/YGuiDialogBase");

    HWND button = dialog->GetControl(IDC_TEST_BUTTON);
    SendMessageA(button, BM_SETIMAGE, IMAGE_ICON, foreign);
    dialog->SetButtonIcon(IDC_TEST_BUTTON, IDI_TEST_ICON);
    small = SendMessageA(button, BM_GETIMAGE, IMAGE_ICON, 0);
    EXPECT_EQ(16, iconWidth(small));
    dialog->SetButtonIconsLarge(bigIcons);
    large = SendMessageA(button, BM_GETIMAGE, IMAGE_ICON, 0);
    dialog->SetStaticIcon(IDC_TEST_ICON_STATIC, IDI_TEST_ICON);
    shown = SendMessageA(dialog->GetControl(IDC_TEST_ICON_STATIC), STM_GETICON, 0, 0);
    EXPECT_TRUE(iconWidth(small) == 0 && iconWidth(large) == 32 && iconWidth(shown) == 16) << "the one replaced is gone";
    dialog.reset();
    EXPECT_TRUE(iconWidth(large) == 0 && iconWidth(shown) == 0 && iconWidth(foreign) != 0) << "gone with the dialog, the foreign one stays";
    DestroyIcon(reinterpret_cast<HICON>(foreign));
}

// A page of the test template that refuses, once, the notification it is told to.
class TestPage : public YGuiPropertyPage {
public:
    explicit TestPage(WORD templateId = IDD_TEST_PAGE) : templateId(templateId) {}
    // Writes the size, instance and procedure too: the library must put its own in.
    void FillPage(PROPSHEETPAGEA* record) override {
        *record = {8, PSP_USETITLE, nullptr, {MAKEINTRESOURCEA(templateId)}, {}, MAKEINTRESOURCEA(IDS_TEST_PAGE)};
    }
    INT_PTR HandleMessage(HWND, UINT message, WPARAM, LPARAM lParam) override {
        if (message != WM_NOTIFY || reinterpret_cast<NMHDR*>(lParam)->code != refuse) return FALSE;
        refuse = 0;
        SetMessageResult(TRUE);
        return TRUE;
    }
    UINT refuse = 0;
    const WORD templateId;
};

class TestSheet : public YGuiPropertySheet {
public:
    void FillHeader(PROPSHEETHEADERA* header) override { header->dwFlags = PSH_PROPSHEETPAGE | PSH_NOAPPLYNOW; }
};

// The last of OK, Cancel and the close box decides the result, whatever the page refused before;
// without pages nothing is shown.
TEST(PropertySheets, TheLastOfOkCancelAndTheCloseBoxDecidesTheResult) {
    EXPECT_FALSE(TestSheet().Run());
    const std::pair<UINT, WPARAM> ok = {WM_COMMAND, IDOK}, cancel = {WM_COMMAND, IDCANCEL}, closeBox = {WM_SYSCOMMAND, SC_CLOSE};
    for (auto [first, last, accepted] : {std::tuple(cancel, ok, true), {ok, cancel, false}, {ok, closeBox, false}}) {
        TestSheet sheet;
        auto* page = new TestPage;
        page->refuse = first == cancel ? PSN_QUERYCANCEL : PSN_APPLY;
        page->SetSheet(&sheet);
        sheet.AddPage(page);
        ModalDriver driver({WaitFor([&] { return IsWindowVisible(sheet.GetHandle()); }), Do([&, first = first, last = last] {
                                PostMessageA(sheet.GetHandle(), first.first, first.second, 0);
                                PostMessageA(sheet.GetHandle(), last.first, last.second, 0);
                            })});
        EXPECT_EQ(accepted, sheet.Run());
        EXPECT_TRUE(driver.Finished());
    }
}

// Pages in a tab control are created on their first selection, then only hidden; a page may refuse
// to be left; one without its template cannot be shown.
TEST(TabHostedPages, AreCreatedOnFirstSelectionAndOnlyHiddenAfterwards) {
    TestDialog dialog, broken;
    TestPage* pages[] = {new TestPage, new TestPage, new TestPage};
    for (TestPage* page : pages) dialog.AddPage(page);
    dialog.onMessage = [&](UINT message, WPARAM wParam, LPARAM lParam) -> INT_PTR {
        bool stop = false;
        if (message != WM_NOTIFY || !dialog.HandleTabNotify(IDC_TEST_TAB, static_cast<int>(wParam), reinterpret_cast<NMHDR*>(lParam), stop))
            return FALSE;
        dialog.SetMessageResult(stop);
        return TRUE;
    };
    dialog.Open();
    dialog.CreatePageTabs(IDC_TEST_TAB);
    HWND tab = dialog.GetControl(IDC_TEST_TAB);
    std::string shown;
    for (int index : {0, 2, 1, 0}) {
        RECT bounds;
        SendMessageA(tab, TCM_GETITEMRECT, index, reinterpret_cast<LPARAM>(&bounds));
        SendMessageA(tab, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM((bounds.left + bounds.right) / 2, (bounds.top + bounds.bottom) / 2));
        SendMessageA(tab, WM_LBUTTONUP, 0, MAKELPARAM((bounds.left + bounds.right) / 2, (bounds.top + bounds.bottom) / 2));
        for (TestPage* page : pages) shown += !page->GetHandle() ? '_' : IsWindowVisible(page->GetHandle()) ? 'V' : 'h';
        shown += ' ';
        pages[2]->refuse = index == 2 ? PSN_KILLACTIVE : 0;
    }
    EXPECT_EQ("V__ h_V h_V V_h ", shown);
    broken.AddPage(new TestPage(ID_TEST_MISSING));
    broken.Open();
    EXPECT_YTHROW(broken.CreatePageTabs(IDC_TEST_TAB), YSystemException::KindUnknown, 1990, "Cpp/YGuiDialogBase");
}

}  // namespace
