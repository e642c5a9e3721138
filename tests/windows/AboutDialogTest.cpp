// The about box through its messages, with the pointer's position, the shell and the beep
// replaced, so that the link shows its behaviour without a mouse, a browser or a loudspeaker. Its
// texts in fretlark.exe are checked end to end.
#include <gtest/gtest.h>

#include <windows.h>

#include <objbase.h>
#include <shellapi.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <mutex>
#include <string>
#include <vector>

#include "AboutDialog.hpp"
#include "GdiSlots.hpp"
#include "ImportPatch.hpp"
#include "ModalDriver.hpp"
#include "resource.h"

namespace {

POINT pointer = {};
std::mutex lock;
std::vector<std::string> requests;  // what the opener asked the shell for, as text
std::vector<HANDLE> processes;      // what the shell handed back
std::vector<HANDLE> closed;         // which of them were closed
bool shellSucceeds = true;
std::atomic<int> beeps{0};

BOOL WINAPI PointerAt(LPPOINT at) {
    *at = pointer;
    return TRUE;
}

BOOL WINAPI ShellOpen(SHELLEXECUTEINFOA* request) {
    // The shell wants its caller in a single-threaded apartment of COM.
    APTTYPE apartment;
    APTTYPEQUALIFIER qualifier;
    bool singleThreaded = SUCCEEDED(CoGetApartmentType(&apartment, &qualifier)) && (apartment == APTTYPE_STA || apartment == APTTYPE_MAINSTA);
    bool restEmpty = !request->hwnd && !request->lpParameters && !request->lpDirectory && !request->lpIDList && !request->lpClass;
    char seen[512];
    std::snprintf(seen, sizeof seen, "size %u mask %#lx verb %s file %s show %d rest %s%s", static_cast<unsigned>(request->cbSize),
                  request->fMask, request->lpVerb, request->lpFile, request->nShow, restEmpty ? "empty" : "set",
                  singleThreaded ? " in STA" : "");
    std::lock_guard<std::mutex> guard(lock);
    requests.push_back(seen);
    if (!shellSucceeds) return FALSE;
    // A started process, as the shell gives it to a caller that asks for it; a value that no real
    // handle can take, so that its closing is seen whatever else opens and closes meanwhile.
    if (request->fMask & SEE_MASK_NOCLOSEPROCESS) processes.push_back(request->hProcess = reinterpret_cast<HANDLE>(0x7e570000 + 4 * processes.size()));
    return TRUE;
}

BOOL WINAPI CloseRecorded(HANDLE handle) {
    {
        std::lock_guard<std::mutex> guard(lock);
        if (std::find(processes.begin(), processes.end(), handle) != processes.end()) {
            closed.push_back(handle);
            return TRUE;
        }
    }
    static auto close = reinterpret_cast<BOOL(WINAPI*)(HANDLE)>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "CloseHandle")));
    return close(handle);
}

BOOL WINAPI CountBeep(UINT type) {
    beeps += type == MB_OK;
    return TRUE;
}

// Waits up to five seconds for the opener threads.
template <class Condition>
bool Eventually(Condition condition) {
    for (DWORD start = GetTickCount(); GetTickCount() - start < 5000; Sleep(10))
        if (condition()) return true;
    return condition();
}

LOGFONTA FontOf(HWND window) {
    LOGFONTA font = {};
    GetObjectA(reinterpret_cast<HFONT>(SendMessageA(window, WM_GETFONT, 0, 0)), sizeof font, &font);
    return font;
}

class AboutBoxTest : public ::testing::Test {
protected:
    void SetUp() override {
        about.CreateModeless();
        GetWindowRect(about.GetControl(IDC_LINK), &link);
    }
    void TearDown() override { DestroyWindow(about.GetHandle()); }

    void Mouse(UINT message, LONG x, LONG y) {
        pointer = {x, y};
        // The message's own coordinates lie outside the link: the pointer's position counts.
        SendMessageA(about.GetHandle(), message, message == WM_SETCURSOR ? reinterpret_cast<WPARAM>(about.GetHandle()) : 0,
                     message == WM_SETCURSOR ? MAKELPARAM(HTCLIENT, WM_MOUSEMOVE) : MAKELPARAM(1, 1));
    }
    bool HandOver(LONG x, LONG y) {
        SetCursor(nullptr);
        Mouse(WM_SETCURSOR, x, y);
        return GetCursor() == LoadCursorA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDC_LINK_CURSOR));
    }

    ImportPatch cursorPosition{"user32.dll", "GetCursorPos", reinterpret_cast<void*>(PointerAt)};
    ImportPatch shell{"shell32.dll", "ShellExecuteExA", reinterpret_cast<void*>(ShellOpen)};
    ImportPatch beep{"user32.dll", "MessageBeep", reinterpret_cast<void*>(CountBeep)};
    ImportPatch closeHandle{"kernel32.dll", "CloseHandle", reinterpret_cast<void*>(CloseRecorded)};
    AboutDialog about;
    RECT link = {};
};

TEST_F(AboutBoxTest, OverTheLinkTheHandShowsAndEveryReleaseOpensTheAddressOnAThreadOfItsOwn) {
    ASSERT_TRUE(cursorPosition.Installed() && shell.Installed() && closeHandle.Installed());
    EXPECT_TRUE(HandOver(link.left, link.top) && HandOver(link.right - 1, link.bottom - 1));
    EXPECT_FALSE(HandOver(link.left - 1, link.top) || HandOver(link.right, link.top) || HandOver(link.left, link.bottom));

    LONG x = (link.left + link.right) / 2, y = (link.top + link.bottom) / 2;
    for (LONG releasedAt : {y, y, link.bottom}) {
        Mouse(WM_LBUTTONDOWN, x, link.bottom + 5);
        Mouse(WM_LBUTTONUP, x, releasedAt);
    }
    char shown[64] = "";
    GetDlgItemTextA(about.GetHandle(), IDC_LINK, shown, sizeof shown);
    std::string expected = "size " + std::to_string(sizeof(SHELLEXECUTEINFOA)) + " mask 0x140 verb Open file " + shown + " show 1 rest empty in STA";
    // The processes the shell started are nobody's to keep; the release below the link opened nothing.
    EXPECT_TRUE(Eventually([&] {
        std::lock_guard<std::mutex> guard(lock);
        return requests == std::vector<std::string>(2, expected) && processes.size() == 2 &&
               std::is_permutation(closed.begin(), closed.end(), processes.begin(), processes.end());
    })) << expected;
    EXPECT_STREQ("https://fretlark.example.org/", shown);
    EXPECT_EQ(0, beeps);

    shellSucceeds = false;
    Mouse(WM_LBUTTONUP, x, y);
    ASSERT_TRUE(Eventually([] { return beeps == 1; }));
    Sleep(100);
    EXPECT_EQ(1, beeps) << "a failed open beeps once, and only that";
}

TEST_F(AboutBoxTest, TheLinkIsBlueAndUnderlinedTheTitleSemiBoldAndTheirFontsGoWithTheWindow) {
    HWND window = about.GetHandle();
    LOGFONTA dialogFont = FontOf(window), linkFont = FontOf(about.GetControl(IDC_LINK)), title = FontOf(about.GetControl(IDC_ABOUT_TITLE));
    EXPECT_TRUE(linkFont.lfUnderline && !title.lfUnderline);
    EXPECT_EQ(std::make_pair(dialogFont.lfWeight, static_cast<LONG>(FW_SEMIBOLD)), std::make_pair(linkFont.lfWeight, title.lfWeight));
    for (const LOGFONTA& font : {linkFont, title}) {
        EXPECT_STREQ(dialogFont.lfFaceName, font.lfFaceName);
        EXPECT_EQ(dialogFont.lfHeight, font.lfHeight);
    }
    // The colours the statics are given: the dialog's background under the link and the title, and
    // the link's blue; the context's black stays for the title; anything else keeps the system's.
    auto colours = [&](int id) {
        HDC context = CreateCompatibleDC(nullptr);
        INT_PTR brush = SendMessageA(window, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(context), reinterpret_cast<LPARAM>(GetDlgItem(window, id)));
        bool transparent = GetBkMode(context) == TRANSPARENT && brush == reinterpret_cast<INT_PTR>(GetStockObject(NULL_BRUSH));
        COLORREF text = GetTextColor(context);
        DeleteDC(context);
        return transparent ? text : CLR_INVALID;
    };
    EXPECT_EQ((std::vector<COLORREF>{RGB(0, 0, 224), RGB(0, 0, 0), CLR_INVALID}),
              (std::vector<COLORREF>{colours(IDC_LINK), colours(IDC_ABOUT_TITLE), colours(IDOK)}));

    DestroyWindow(window);
    int before = FreeGdiSlots();
    AboutDialog second;
    second.CreateModeless();
    EXPECT_LT(FreeGdiSlots(), before);
    DestroyWindow(second.GetHandle());
    EXPECT_EQ(before, FreeGdiSlots()) << "while the object still lives";
}

TEST(AboutBox, OkAndTheCloseBoxBothEndWithOne) {
    for (auto [message, wParam] : {std::pair<UINT, WPARAM>{WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED)}, {WM_SYSCOMMAND, SC_CLOSE}}) {
        AboutDialog about;
        ModalDriver driver({WaitFor([&] { return IsWindowVisible(about.GetHandle()); }),
                            Do([&, message = message, wParam = wParam] { PostMessageA(about.GetHandle(), message, wParam, 0); })});
        EXPECT_EQ(1, about.RunModal());
        EXPECT_TRUE(driver.Finished());
    }
}

}  // namespace
