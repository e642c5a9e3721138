#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <string>

#include "ExpectException.hpp"
#include "FailingMemory.hpp"
#include "ImportPatch.hpp"
#include "MessageBoxWatcher.hpp"
#include "ModalDriver.hpp"
#include "TestDialog.hpp"
#include "dialog_tests_resource.h"

namespace {

constexpr const char* Source = "Cpp/YGuiDialogBase";

TEST(DialogProc, HandsOverEveryMessageFromInitDialogOnExceptTheFont) {
    TestDialog dialog(IDD_TEST_CONTROLS);
    dialog.onMessage = [&](UINT message, WPARAM, LPARAM) -> INT_PTR {
        if (message != WM_APP) return FALSE;
        dialog.SetMessageResult(5);
        return TRUE;
    };
    ModalDriver driver({WaitFor([&] { return dialog.IsVisible(); }), Do([&] {
                            HWND window = dialog.GetHandle();
                            SendMessageA(window, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), TRUE);
                            EXPECT_EQ(5, SendMessageA(window, WM_APP, 0, 0));
                            dialog.EndOk();
                        })});
    EXPECT_EQ(YGuiDialog::CodeOk, dialog.RunModal());

    EXPECT_TRUE(driver.Finished());
    ASSERT_FALSE(dialog.messages.empty());
    EXPECT_EQ(static_cast<UINT>(WM_INITDIALOG), dialog.messages.front());
    EXPECT_EQ(dialog.messages.end(), std::find(dialog.messages.begin(), dialog.messages.end(), static_cast<UINT>(WM_SETFONT)));
}

TEST(DialogProc, AnExceptionInTheHandlerCostsOneReportAndThatMessageOnly) {
    MessageBoxWatcher watcher;
    TestDialog dialog(IDD_TEST_CONTROLS);
    bool initFinished = false;
    dialog.onMessage = [&](UINT message, WPARAM, LPARAM) -> INT_PTR {
        if (message == WM_INITDIALOG) {
            dialog.IsChecked(IDC_TEST_MISSING);
            initFinished = true;
        }
        if (message == WM_APP) dialog.GetControlId(nullptr);
        if (message != WM_APP + 1) return FALSE;
        dialog.SetMessageResult(9);
        return TRUE;
    };
    LRESULT failed = -1, handled = -1;
    ModalDriver driver({WaitFor([&] { return dialog.IsVisible() && watcher.Boxes().size() == 1; }), Do([&] {
                            failed = SendMessageA(dialog.GetHandle(), WM_APP, 0, 0);
                            handled = SendMessageA(dialog.GetHandle(), WM_APP + 1, 0, 0);
                        }),
                        WaitFor([&] { return watcher.Boxes().size() == 2; }), Do([&] { dialog.EndCancel(); })});
    EXPECT_EQ(YGuiDialog::CodeCancel, dialog.RunModal());

    EXPECT_TRUE(driver.Finished());
    EXPECT_FALSE(initFinished);
    EXPECT_EQ(0, failed);
    EXPECT_EQ(9, handled);
    std::vector<ShownMessageBox> boxes = watcher.Boxes();
    ASSERT_EQ(2u, boxes.size());
    EXPECT_EQ("Exception", boxes[0].caption);
    EXPECT_EQ("GUI Error\n\nFile: Cpp/YGuiDialogBase\nLine: 54", boxes[0].text);
    EXPECT_EQ("GUI Error\n\nFile: Cpp/YGuiDialogBase\nLine: 73", boxes[1].text);
}

int windowsCreated = 0;

LRESULT CALLBACK CountCreated(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_CREATEWND) ++windowsCreated;
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

TEST(YGuiDialog, WithoutATemplateThrowsBeforeAnyWindowExists) {
    HHOOK hook = SetWindowsHookExA(WH_CBT, CountCreated, nullptr, GetCurrentThreadId());
    TestDialog dialog(0);
    EXPECT_YTHROW(dialog.RunModal(), YSystemException::KindGui, 2130, Source);
    EXPECT_YTHROW(dialog.CreateModeless(), YSystemException::KindGui, 2146, Source);
    UnhookWindowsHookEx(hook);
    EXPECT_EQ(0, windowsCreated);
}

TEST(Subclassing, RoutesControlMessagesAndReusesFreedEntries) {
    MessageBoxWatcher watcher;
    TestDialog dialog(IDD_TEST_CONTROLS);
    dialog.Open();
    std::vector<int> seen;
    dialog.onControlMessage = [&](int id, int* handled, UINT message, WPARAM, LPARAM) -> LRESULT {
        if (message == WM_APP) seen.push_back(id);
        if (message == WM_APP + 1) dialog.GetControl(IDC_TEST_MISSING);
        // The buddy field claims a text length of its own; everything else goes on.
        if (id == IDC_TEST_BUDDY && message == WM_GETTEXTLENGTH) {
            *handled = 1;
            return 42;
        }
        return 0;
    };
    HWND first = dialog.GetControl(IDC_TEST_EDIT1), second = dialog.GetControl(IDC_TEST_EDIT2), third = dialog.GetControl(IDC_TEST_BUDDY);
    LONG_PTR editProcedure = GetWindowLongPtrA(first, GWLP_WNDPROC);

    dialog.SubclassControl(IDC_TEST_EDIT1);
    dialog.SubclassControl(IDC_TEST_EDIT2);
    dialog.UnsubclassControl(IDC_TEST_EDIT1);
    EXPECT_EQ(editProcedure, GetWindowLongPtrA(first, GWLP_WNDPROC));
    dialog.SubclassControl(IDC_TEST_BUDDY);
    dialog.UnsubclassControl(IDC_TEST_CHECK);  // never subclassed: nothing happens

    const YDynArray<SubclassEntry>& table = dialog.SubclassTable();
    ASSERT_EQ(2, table.Count());
    EXPECT_EQ(third, table[0].control);
    EXPECT_EQ(second, table[1].control);

    for (HWND control : {second, third, first, third, second}) SendMessageA(control, WM_APP, 0, 0);
    EXPECT_EQ((std::vector<int>{IDC_TEST_EDIT2, IDC_TEST_BUDDY, IDC_TEST_BUDDY, IDC_TEST_EDIT2}), seen);

    // A handler that leaves the flag at 0 changes nothing; one that sets it answers for the control.
    SetWindowTextA(second, "tuned");
    EXPECT_EQ(5, SendMessageA(second, WM_GETTEXTLENGTH, 0, 0));
    EXPECT_EQ(42, SendMessageA(third, WM_GETTEXTLENGTH, 0, 0));

    // A failing control handler is reported like a failing dialog handler; the control goes on.
    EXPECT_EQ(0, SendMessageA(second, WM_APP + 1, 0, 0));
    ASSERT_EQ(1u, watcher.Boxes().size());
    EXPECT_EQ("GUI Error\n\nFile: Cpp/YGuiDialogBase\nLine: 54", watcher.Boxes()[0].text);
    EXPECT_EQ(5, SendMessageA(second, WM_GETTEXTLENGTH, 0, 0));
}

TEST(Subclassing, AControlStaysAsItWasWhenTheTableCannotGrow) {
    TestDialog dialog(IDD_TEST_CONTROLS);
    dialog.Open();
    HWND edit = dialog.GetControl(IDC_TEST_EDIT1);
    LONG_PTR editProcedure = GetWindowLongPtrA(edit, GWLP_WNDPROC);
    {
        FailingMemory noMemory;
        EXPECT_YTHROW(dialog.SubclassControl(IDC_TEST_EDIT1), YSystemException::KindNoMemory, YDynArray<SubclassEntry>::LineNoMemoryNewTable,
                      YDynArray<SubclassEntry>::SourceFile);
    }
    EXPECT_EQ(editProcedure, GetWindowLongPtrA(edit, GWLP_WNDPROC));
    EXPECT_EQ(0, dialog.SubclassTable().Count());
}

RECT WorkArea() {
    RECT area;
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
    return area;
}

RECT BoundsOf(HWND window) {
    RECT bounds;
    GetWindowRect(window, &bounds);
    return bounds;
}

// A second monitor right of the first one, which the system reports for any window.
const HMONITOR SecondMonitor = reinterpret_cast<HMONITOR>(0x5ec0);
RECT secondWorkArea;
HWND askedAbout = nullptr;
HMONITOR WINAPI MonitorOf(HWND window, DWORD) { return askedAbout = window, SecondMonitor; }
BOOL WINAPI InfoOf(HMONITOR monitor, LPMONITORINFO info) {
    if (monitor != SecondMonitor || info->cbSize < sizeof(MONITORINFO)) return FALSE;
    info->rcMonitor = info->rcWork = secondWorkArea;
    info->dwFlags = 0;
    return TRUE;
}

TEST(Centring, CentresOnTheOwnerWithinTheWorkArea) {
    HWND owner = CreateWindowExA(0, "STATIC", "", WS_POPUP, 100, 100, 400, 300, nullptr, nullptr, nullptr, nullptr);
    HWND window = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 101, 51, owner, nullptr, nullptr, nullptr);
    RECT area = WorkArea();

    CenterWindow(window);
    EXPECT_EQ(100 + (400 - 101) / 2, BoundsOf(window).left);
    EXPECT_EQ(100 + (300 - 51) / 2, BoundsOf(window).top);

    // Centred on an owner beyond the top-left corner: pushed onto the work area.
    SetWindowPos(owner, nullptr, area.left - 500, area.top - 500, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    CenterWindow(window);
    EXPECT_EQ(area.left, BoundsOf(window).left);
    EXPECT_EQ(area.top, BoundsOf(window).top);

    // Larger than the work area: flush with its right and bottom edges, the window keeps its size.
    int width = area.right - area.left + 300, height = area.bottom - area.top + 200;
    CenterWindowSized(window, width, height);
    EXPECT_EQ(area.right - width, BoundsOf(window).left);
    EXPECT_EQ(area.bottom - height, BoundsOf(window).top);
    EXPECT_EQ(101, BoundsOf(window).right - BoundsOf(window).left);

    // An owner on the second monitor: the work area is that monitor's.
    secondWorkArea = {area.right, area.top, area.right + 800, area.top + 600};
    {
        ImportPatch monitorOf{"user32.dll", "MonitorFromWindow", reinterpret_cast<void*>(MonitorOf)};
        ImportPatch infoOf{"user32.dll", "GetMonitorInfoA", reinterpret_cast<void*>(InfoOf)};
        SetWindowPos(owner, nullptr, area.right + 100, area.top + 100, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        CenterWindow(window);
    }
    EXPECT_EQ(owner, askedAbout);
    EXPECT_EQ(area.right + 100 + (400 - 101) / 2, BoundsOf(window).left);

    // Without an owner the desktop is the reference.
    HWND alone = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 301, 201, nullptr, nullptr, nullptr, nullptr);
    RECT desktop = BoundsOf(GetDesktopWindow());
    CenterWindow(alone);
    EXPECT_EQ((desktop.left + desktop.right - 301) / 2, BoundsOf(alone).left);
    for (HWND w : {alone, window, owner}) DestroyWindow(w);
}

TEST(ToolTips, OneTooltipAsksTheDialogForTheTextsOfItsControls) {
    static const ToolTipEntry tips[] = {{IDC_TEST_EDIT1, "Plain tip"}, {IDC_TEST_CHECK, MAKEINTRESOURCEA(IDS_TEST_TIP)}, {-1, nullptr}};
    TestDialog dialog(IDD_TEST_CONTROLS);
    dialog.onMessage = [&](UINT message, WPARAM, LPARAM lParam) -> INT_PTR {
        auto* request = reinterpret_cast<NMTTDISPINFOA*>(lParam);
        if (message == WM_NOTIFY && request->hdr.code == TTN_NEEDTEXTA) dialog.GetToolTipText(request, tips);
        return 0;
    };
    dialog.Open();
    ASSERT_TRUE(dialog.CreateToolTips(tips));

    HWND tooltip = FindWindowExA(nullptr, nullptr, TOOLTIPS_CLASSA, nullptr);
    while (tooltip && GetWindow(tooltip, GW_OWNER) != dialog.GetHandle()) tooltip = FindWindowExA(nullptr, tooltip, TOOLTIPS_CLASSA, nullptr);
    ASSERT_NE(nullptr, tooltip);
    EXPECT_EQ(2, SendMessageA(tooltip, TTM_GETTOOLCOUNT, 0, 0));
    auto tipOf = [&](int id) {
        char text[80] = {0};
        TTTOOLINFOA tool = {};
        tool.cbSize = sizeof tool;
        tool.hwnd = dialog.GetHandle();
        tool.uId = reinterpret_cast<UINT_PTR>(dialog.GetControl(id));
        tool.lpszText = text;
        SendMessageA(tooltip, TTM_GETTEXTA, sizeof text, reinterpret_cast<LPARAM>(&tool));
        return std::string(text);
    };
    EXPECT_EQ("Plain tip", tipOf(IDC_TEST_EDIT1));
    EXPECT_EQ("Tip from the string table", tipOf(IDC_TEST_CHECK));

    NMTTDISPINFOA other = {};
    other.hdr.idFrom = reinterpret_cast<UINT_PTR>(dialog.GetControl(IDC_TEST_RADIO1));
    other.lpszText = const_cast<char*>("untouched");
    dialog.GetToolTipText(&other, tips);
    EXPECT_STREQ("untouched", other.lpszText);
    EXPECT_EQ(nullptr, other.hinst);
}

TEST(Menus, TheWrappersWorkOnTheDialogsMenuBar) {
    TestDialog dialog(IDD_TEST_CONTROLS);
    dialog.Open();
    dialog.SetMenuItemState(IDM_TEST_AUTO, MFS_CHECKED);
    EXPECT_TRUE(dialog.GetMenuItemState(IDM_TEST_AUTO) & MF_CHECKED);
    dialog.CheckMenuRadio(IDM_TEST_GUITAR, IDM_TEST_OTHER, IDM_TEST_CHROMATIC);
    EXPECT_TRUE(dialog.GetMenuItemState(IDM_TEST_CHROMATIC) & MF_CHECKED);
    EXPECT_FALSE(dialog.GetMenuItemState(IDM_TEST_GUITAR) & MF_CHECKED);

    // The wrappers set the record's size themselves.
    MENUITEMINFOA item = {};
    item.fMask = MIIM_STRING;
    item.dwTypeData = const_cast<char*>("&Piano");
    dialog.WriteMenuItem(IDM_TEST_GUITAR, &item);
    char text[32] = {0};
    item = MENUITEMINFOA{};
    item.fMask = MIIM_STRING;
    item.dwTypeData = text;
    item.cch = sizeof text;
    dialog.ReadMenuItem(IDM_TEST_GUITAR, &item);
    EXPECT_STREQ("&Piano", text);
}

}  // namespace
