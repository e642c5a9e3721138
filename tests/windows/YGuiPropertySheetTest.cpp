#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "ExpectException.hpp"
#include "MessageBoxWatcher.hpp"
#include "ModalDriver.hpp"
#include "TestDialog.hpp"
#include "YGuiPropertyPage.hpp"
#include "YGuiPropertySheet.hpp"
#include "dialog_tests_resource.h"

namespace {

// The wizard's Next button, as the common controls number it.
constexpr int NextButtonId = 0x3024;

// What the pages went through, in order: "A+" activated, "A-" asked to be left, "Ax" window
// destroyed, "A~" page deleted.
std::vector<std::string> events;

class TestPage : public YGuiPropertyPage {
public:
    TestPage(char name, WORD templateId) : name(1, name), templateId(templateId) {}
    ~TestPage() override { events.push_back(name + "~"); }

    void FillPage(PROPSHEETPAGEA* record) override {
        record->dwFlags = PSP_USETITLE;
        record->pszTemplate = MAKEINTRESOURCEA(templateId);
        record->pszTitle = MAKEINTRESOURCEA(IDS_TEST_PAGE_A + (name[0] - 'A'));
        if (scribble) {
            // Members the library owns; it must put its own values in.
            record->dwSize = 8;
            record->hInstance = nullptr;
            record->pfnDlgProc = nullptr;
        }
    }

    INT_PTR HandleMessage(HWND, UINT message, WPARAM, LPARAM lParam) override {
        if (message == WM_DESTROY) events.push_back(name + "x");
        if (message == WM_APP) GetControl(IDC_TEST_MISSING);
        if (message != WM_NOTIFY) return 0;
        switch (reinterpret_cast<NMHDR*>(lParam)->code) {
        case PSN_SETACTIVE: events.push_back(name + "+"); return 0;
        case PSN_KILLACTIVE: events.push_back(name + "-"); return Refuse(refuseLeaving);
        case PSN_QUERYCANCEL: return Refuse(refuseCancel);
        case PSN_APPLY: return Refuse(refuseApply, PSNRET_INVALID_NOCHANGEPAGE);
        default: return 0;
        }
    }

    bool scribble = false;
    bool refuseLeaving = false, refuseCancel = false, refuseApply = false;

private:
    // Answers "no" once.
    INT_PTR Refuse(bool& refuse, LONG_PTR answer = TRUE) {
        if (!refuse) return FALSE;
        refuse = false;
        SetMessageResult(answer);
        return TRUE;
    }

    std::string name;
    WORD templateId;
};

class TestSheet : public YGuiPropertySheet {
public:
    explicit TestSheet(DWORD flags) : flags(flags) {}
    void FillHeader(PROPSHEETHEADERA* header) override {
        ++headersFilled;
        header->dwFlags = flags;
    }
    // Adds page A, B or C, in the sheet's way.
    TestPage* Add(char name) {
        auto* page = new TestPage(name, static_cast<WORD>(IDD_TEST_PAGE_A + (name - 'A')));
        page->SetSheet(this);
        AddPage(page);
        return page;
    }
    HWND CurrentPage() const { return reinterpret_cast<HWND>(SendMessageA(GetHandle(), PSM_GETCURRENTPAGEHWND, 0, 0)); }

    DWORD flags;
    int headersFilled = 0;
};

constexpr DWORD WizardFlags = PSH_WIZARD | PSH_PROPSHEETPAGE | PSH_NOAPPLYNOW;
constexpr DWORD SheetFlags = PSH_PROPSHEETPAGE | PSH_NOAPPLYNOW;

TEST(PropertySheets, AWizardShowsItsPagesInTheOrderTheyWereAdded) {
    events.clear();
    TestSheet sheet(WizardFlags);
    TestPage* a = sheet.Add('A');
    TestPage* b = sheet.Add('B');
    TestPage* c = sheet.Add('C');
    c->scribble = true;
    a->refuseLeaving = true;
    auto pressNext = [&] { SendMessageA(sheet.GetHandle(), PSM_PRESSBUTTON, PSBTN_NEXT, 0); };
    auto nextEnabled = [&] { return IsWindowEnabled(GetDlgItem(sheet.GetHandle(), NextButtonId)) != FALSE; };
    bool enabledRightAfter = false;
    ModalDriver driver({WaitFor([&] { return a->GetHandle() && sheet.CurrentPage() == a->GetHandle(); }), Do(pressNext), Do(pressNext),
                        WaitFor([&] { return sheet.CurrentPage() == b->GetHandle(); }), Do([&] {
                            b->SetWizardButtons(PSWIZB_BACK);
                            enabledRightAfter = nextEnabled();
                        }),
                        WaitFor([&] { return !nextEnabled(); }), Do([&] { b->SelectPageById(IDD_TEST_PAGE_C); }),
                        WaitFor([&] { return sheet.CurrentPage() == c->GetHandle(); }),
                        Do([&] { PostMessageA(sheet.GetHandle(), WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0); })});
    EXPECT_FALSE(sheet.Run());

    EXPECT_TRUE(driver.Finished());
    EXPECT_TRUE(enabledRightAfter) << "the buttons change only after the message is handled";
    EXPECT_EQ((std::vector<std::string>{"A+", "A-", "A-", "B+", "B-", "C+", "Ax", "Bx", "Cx"}), events);
}

// Runs a sheet of pages A and B, closed by the messages `close` posts to it; the result of Run.
bool RunClosedBy(const std::vector<std::pair<UINT, WPARAM>>& close, bool refuseCancel = false, bool refuseApply = false) {
    TestSheet sheet(SheetFlags);
    TestPage* a = sheet.Add('A');
    sheet.Add('B');
    a->refuseCancel = refuseCancel;
    a->refuseApply = refuseApply;
    std::vector<ModalDriver::Step> steps = {WaitFor([&] { return IsWindowVisible(sheet.GetHandle()); })};
    for (const auto& message : close) steps.push_back(Do([&sheet, message] { PostMessageA(sheet.GetHandle(), message.first, message.second, 0); }));
    ModalDriver driver(steps);
    bool accepted = sheet.Run();
    EXPECT_TRUE(driver.Finished());
    return accepted;
}

TEST(PropertySheets, TheLastOfOkCancelAndTheCloseBoxDecidesTheResult) {
    const std::pair<UINT, WPARAM> ok = {WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED)}, cancel = {WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED)},
                                  closeBox = {WM_SYSCOMMAND, SC_CLOSE};
    // The first command of each pair is refused by the page, so the sheet stays for the second.
    EXPECT_TRUE(RunClosedBy({cancel, ok}, true));
    EXPECT_FALSE(RunClosedBy({ok, cancel}, false, true));
    EXPECT_FALSE(RunClosedBy({ok, closeBox}, false, true));
}

TEST(PropertySheets, WithoutPagesRunShowsNothing) {
    TestSheet sheet(WizardFlags);
    EXPECT_FALSE(sheet.Run());
    EXPECT_EQ(0, sheet.headersFilled);
}

TEST(PropertySheets, IsCentredWheneverItsSizeIsSet) {
    TestSheet sheet(SheetFlags);
    sheet.Add('A');
    RECT bounds = {}, desktop = {};
    ModalDriver driver({WaitFor([&] { return IsWindowVisible(sheet.GetHandle()); }), Do([&] {
                            HWND window = sheet.GetHandle();
                            SendMessageA(window, WM_SIZE, SIZE_RESTORED, MAKELPARAM(301, 201));
                            GetWindowRect(window, &bounds);
                            GetWindowRect(GetDesktopWindow(), &desktop);
                            PostMessageA(window, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
                        })});
    sheet.Run();
    EXPECT_TRUE(driver.Finished());
    EXPECT_EQ((desktop.left + desktop.right - 301) / 2, bounds.left);
    EXPECT_EQ((desktop.top + desktop.bottom - 201) / 2, bounds.top);
}

TEST(TabHostedPages, AreCreatedOnFirstSelectionAndOnlyHiddenAfterwards) {
    events.clear();
    MessageBoxWatcher watcher;
    auto* dialog = new TestDialog(IDD_TEST_TABS);
    TestPage* pages[] = {new TestPage('A', IDD_TEST_PAGE_A), new TestPage('B', IDD_TEST_PAGE_B), new TestPage('C', IDD_TEST_PAGE_C)};
    for (TestPage* page : pages) dialog->AddPage(page);
    dialog->onMessage = [&](UINT message, WPARAM wParam, LPARAM lParam) -> INT_PTR {
        bool stop = false;
        if (message != WM_NOTIFY || !dialog->HandleTabNotify(IDC_TEST_TAB, static_cast<int>(wParam), reinterpret_cast<NMHDR*>(lParam), stop))
            return FALSE;
        dialog->SetMessageResult(stop);
        return TRUE;
    };
    dialog->Open();
    dialog->CreatePageTabs(IDC_TEST_TAB);

    HWND tab = dialog->GetControl(IDC_TEST_TAB);
    const char* const titles[] = {"Alpha", "Beta", "Gamma"};
    for (int i = 0; i < 3; ++i) {
        char text[16] = {0};
        TCITEMA item = {};
        item.mask = TCIF_TEXT;
        item.pszText = text;
        item.cchTextMax = sizeof text;
        SendMessageA(tab, TCM_GETITEMA, i, reinterpret_cast<LPARAM>(&item));
        EXPECT_STREQ(titles[i], text);
    }
    auto choose = [&](int index) {
        RECT item;
        SendMessageA(tab, TCM_GETITEMRECT, index, reinterpret_cast<LPARAM>(&item));
        LPARAM at = MAKELPARAM((item.left + item.right) / 2, (item.top + item.bottom) / 2);
        SendMessageA(tab, WM_LBUTTONDOWN, MK_LBUTTON, at);
        SendMessageA(tab, WM_LBUTTONUP, 0, at);
        return static_cast<int>(SendMessageA(tab, TCM_GETCURSEL, 0, 0));
    };
    HWND first = pages[0]->GetHandle();
    ASSERT_NE(nullptr, first);
    EXPECT_TRUE(IsWindowVisible(first));
    EXPECT_EQ(nullptr, pages[2]->GetHandle());

    EXPECT_EQ(2, choose(2));
    EXPECT_TRUE(IsWindow(first) && !IsWindowVisible(first));
    EXPECT_TRUE(IsWindowVisible(pages[2]->GetHandle()));
    RECT display = {0, 0, 0, 0}, placed;
    SendMessageA(tab, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&display));
    GetWindowRect(pages[2]->GetHandle(), &placed);
    MapWindowPoints(nullptr, tab, reinterpret_cast<POINT*>(&placed), 2);
    EXPECT_EQ(display.left, placed.left);
    EXPECT_EQ(display.top, placed.top);

    EXPECT_EQ(0, choose(0));
    EXPECT_TRUE(IsWindowVisible(first) && !IsWindowVisible(pages[2]->GetHandle()));
    pages[0]->refuseLeaving = true;
    EXPECT_EQ(0, choose(1));
    EXPECT_EQ(nullptr, pages[1]->GetHandle());

    // Tab pages report their failures like sheet pages.
    EXPECT_EQ(0, SendMessageA(first, WM_APP, 0, 0));
    EXPECT_EQ(1u, watcher.Boxes().size());

    // The dialog object goes while its windows exist: the page windows must go before their pages.
    HWND dialogWindow = dialog->GetHandle();
    SetWindowLongPtrA(dialogWindow, DWLP_USER, 0);
    dialog->SetHandle(nullptr);
    delete dialog;
    EXPECT_FALSE(IsWindow(first));
    DestroyWindow(dialogWindow);
    EXPECT_EQ((std::vector<std::string>{"A+", "A-", "C+", "C-", "A+", "A-", "Ax", "Cx", "C~", "B~", "A~"}), events);
}

TEST(TabHostedPages, APageWithoutItsTemplateCannotBeShown) {
    TestDialog dialog(IDD_TEST_TABS);
    dialog.AddPage(new TestPage('A', IDD_TEST_MISSING));
    dialog.Open();
    EXPECT_YTHROW(dialog.CreatePageTabs(IDC_TEST_TAB), YSystemException::KindUnknown, 1990, "Cpp/YGuiDialogBase");

    TestDialog empty(IDD_TEST_TABS);
    empty.Open();
    empty.CreatePageTabs(IDC_TEST_TAB);
    NMHDR change = {empty.GetControl(IDC_TEST_TAB), IDC_TEST_TAB, static_cast<UINT>(TCN_SELCHANGE)};
    bool stop = true;
    EXPECT_FALSE(empty.HandleTabNotify(IDC_TEST_TAB, IDC_TEST_TAB, &change, stop));
    EXPECT_FALSE(stop);
    EXPECT_EQ(0, SendMessageA(empty.GetControl(IDC_TEST_TAB), TCM_GETITEMCOUNT, 0, 0));
}

}  // namespace
