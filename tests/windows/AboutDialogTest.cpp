// The about box through its messages, with the pointer, the shell and the beep replaced, so that
// the link's behaviour shows without a mouse, a browser or a loudspeaker.
#include <gtest/gtest.h>

#include <windows.h>

#include <shellapi.h>

#include <atomic>
#include <mutex>
#include <string>
#include <vector>

#include "AboutDialog.hpp"
#include "GdiSlots.hpp"
#include "ImportPatch.hpp"
#include "ModalDriver.hpp"
#include "resource.h"

namespace {

constexpr const char* WebAddress = "https://fretlark.example.org/";

// What the opener asked the shell for, copied while the call ran.
struct ShellRequest {
    DWORD size, mask;
    HWND owner;
    std::string verb, file;
    bool othersZero;
    int show;
};

POINT pointer = {};
std::mutex lock;
std::vector<ShellRequest> requests;
std::vector<HANDLE> processes;  // what the shell handed back
bool shellSucceeds = true;
std::atomic<int> beeps{0};

BOOL WINAPI PointerAt(LPPOINT at) {
    *at = pointer;
    return TRUE;
}

BOOL WINAPI ShellOpen(SHELLEXECUTEINFOA* request) {
    std::lock_guard<std::mutex> guard(lock);
    requests.push_back({request->cbSize, request->fMask, request->hwnd, request->lpVerb ? request->lpVerb : "",
                        request->lpFile ? request->lpFile : "",
                        !request->lpParameters && !request->lpDirectory && !request->hInstApp && !request->lpIDList &&
                            !request->lpClass && !request->hkeyClass && !request->dwHotKey,
                        request->nShow});
    if (!shellSucceeds) return FALSE;
    // A started process, as the shell gives it to a caller that asks for it.
    if (request->fMask & SEE_MASK_NOCLOSEPROCESS) {
        request->hProcess = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        processes.push_back(request->hProcess);
    }
    return TRUE;
}

BOOL WINAPI CountBeep(UINT type) {
    if (type == MB_OK) ++beeps;
    return TRUE;
}

size_t RequestCount() {
    std::lock_guard<std::mutex> guard(lock);
    return requests.size();
}

// Waits up to five seconds for the opener threads.
template <class Condition>
bool Eventually(Condition condition) {
    for (DWORD start = GetTickCount(); GetTickCount() - start < 5000; Sleep(10))
        if (condition()) return true;
    return condition();
}

bool IsOpenHandle(HANDLE handle) {
    DWORD flags;
    return GetHandleInformation(handle, &flags) != FALSE;
}

// Paints the box and its controls now, which makes the link's and the title's fonts.
void Paint(const AboutDialog& about) {
    RedrawWindow(about.GetHandle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
}

class AboutBoxTest : public ::testing::Test {
protected:
    void SetUp() override {
        requests.clear();
        processes.clear();
        shellSucceeds = true;
        beeps = 0;
        about.CreateModeless();
        about.Show();
        Paint(about);
        GetWindowRect(about.GetControl(IDC_LINK), &link);
    }
    void TearDown() override {
        if (IsWindow(about.GetHandle())) DestroyWindow(about.GetHandle());
    }
    void PointerTo(LONG x, LONG y) { pointer = {x, y}; }
    void Send(UINT message) { SendMessageA(about.GetHandle(), message, 0, MAKELPARAM(1, 1)); }
    HCURSOR CursorAfterMove() {
        SetCursor(nullptr);
        SendMessageA(about.GetHandle(), WM_SETCURSOR, reinterpret_cast<WPARAM>(about.GetHandle()), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
        return GetCursor();
    }

    ImportPatch cursorPosition{"user32.dll", "GetCursorPos", reinterpret_cast<void*>(PointerAt)};
    ImportPatch shell{"shell32.dll", "ShellExecuteExA", reinterpret_cast<void*>(ShellOpen)};
    ImportPatch beep{"user32.dll", "MessageBeep", reinterpret_cast<void*>(CountBeep)};
    AboutDialog about;
    RECT link = {};
};

TEST_F(AboutBoxTest, TheHandShowsOnlyOverTheLink) {
    ASSERT_TRUE(cursorPosition.Installed());
    HCURSOR hand = LoadCursorA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDC_LINK_CURSOR));
    ASSERT_NE(nullptr, hand);
    PointerTo(link.left, link.top);
    EXPECT_EQ(hand, CursorAfterMove());
    PointerTo(link.right - 1, link.bottom - 1);
    EXPECT_EQ(hand, CursorAfterMove());
    for (POINT outside : {POINT{link.left - 1, link.top}, POINT{link.right, link.top}, POINT{link.left, link.bottom}}) {
        PointerTo(outside.x, outside.y);
        EXPECT_NE(hand, CursorAfterMove()) << outside.x << "," << outside.y;
    }
}

TEST_F(AboutBoxTest, EveryReleaseOverTheLinkOpensTheAddressOnItsOwnThread) {
    ASSERT_TRUE(shell.Installed());
    char shown[64] = "";
    GetDlgItemTextA(about.GetHandle(), IDC_LINK, shown, sizeof shown);
    EXPECT_STREQ(WebAddress, shown);

    LONG x = (link.left + link.right) / 2, y = (link.top + link.bottom) / 2;
    // Pressed elsewhere, released over the link; then a click on it. The message's own
    // coordinates (1, 1) lie outside the link: the pointer's position counts.
    PointerTo(x, link.bottom + 5);
    Send(WM_LBUTTONDOWN);
    PointerTo(x, y);
    Send(WM_LBUTTONUP);
    Send(WM_LBUTTONDOWN);
    Send(WM_LBUTTONUP);
    ASSERT_TRUE(Eventually([] { return RequestCount() == 2; }));
    PointerTo(x, link.bottom);
    Send(WM_LBUTTONUP);

    for (const ShellRequest& request : requests) {
        EXPECT_EQ(sizeof(SHELLEXECUTEINFOA), request.size);
        EXPECT_EQ(static_cast<DWORD>(SEE_MASK_FLAG_DDEWAIT | SEE_MASK_NOCLOSEPROCESS), request.mask);
        EXPECT_EQ("Open", request.verb);
        EXPECT_EQ(WebAddress, request.file);
        EXPECT_EQ(nullptr, request.owner);
        EXPECT_EQ(0, request.show);
        EXPECT_TRUE(request.othersZero);
    }
    // The processes the shell started are not the box's to keep.
    EXPECT_TRUE(Eventually([] {
        std::lock_guard<std::mutex> guard(lock);
        for (HANDLE process : processes)
            if (IsOpenHandle(process)) return false;
        return true;
    }));
    EXPECT_EQ(2u, RequestCount()) << "a release below the link opens nothing";
    EXPECT_EQ(0, beeps);
}

TEST_F(AboutBoxTest, AnAddressThatCannotBeOpenedBeepsOnce) {
    ASSERT_TRUE(beep.Installed());
    shellSucceeds = false;
    PointerTo(link.left, link.top);
    Send(WM_LBUTTONUP);
    ASSERT_TRUE(Eventually([] { return beeps == 1; }));
    Sleep(100);
    EXPECT_EQ(1, beeps);
    EXPECT_EQ(1u, RequestCount());
}

LOGFONTA FontOf(HWND window) {
    LOGFONTA font = {};
    GetObjectA(reinterpret_cast<HFONT>(SendMessageA(window, WM_GETFONT, 0, 0)), sizeof font, &font);
    return font;
}

TEST_F(AboutBoxTest, TheLinkIsBlueAndUnderlinedTheTitleSemiBoldAndTheirFontsGoWithTheWindow) {
    HWND window = about.GetHandle();
    LOGFONTA dialogFont = FontOf(window), linkFont = FontOf(about.GetControl(IDC_LINK)), title = FontOf(about.GetControl(IDC_ABOUT_TITLE));
    EXPECT_TRUE(linkFont.lfUnderline);
    EXPECT_EQ(dialogFont.lfWeight, linkFont.lfWeight);
    EXPECT_FALSE(title.lfUnderline);
    EXPECT_EQ(FW_SEMIBOLD, title.lfWeight);
    for (const LOGFONTA& font : {linkFont, title}) {
        EXPECT_STREQ(dialogFont.lfFaceName, font.lfFaceName);
        EXPECT_EQ(dialogFont.lfHeight, font.lfHeight);
    }

    // The colours the statics are given: the link's blue, and the dialog's background under both.
    auto colours = [&](int id, COLORREF& text) {
        HDC context = CreateCompatibleDC(nullptr);
        INT_PTR brush = SendMessageA(window, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(context), reinterpret_cast<LPARAM>(GetDlgItem(window, id)));
        text = GetTextColor(context);
        bool transparent = GetBkMode(context) == TRANSPARENT;
        DeleteDC(context);
        return transparent && brush == reinterpret_cast<INT_PTR>(GetStockObject(NULL_BRUSH));
    };
    COLORREF text;
    EXPECT_TRUE(colours(IDC_LINK, text));
    EXPECT_EQ(RGB(0, 0, 224), text);
    EXPECT_TRUE(colours(IDC_ABOUT_TITLE, text));
    EXPECT_EQ(RGB(0, 0, 0), text) << "the context's own colour";
    EXPECT_FALSE(colours(IDOK, text)) << "anything else keeps the system's colours";

    // The fonts go with the window, not with the object.
    DestroyWindow(window);
    int before = FreeGdiSlots();
    AboutDialog second;
    second.CreateModeless();
    Paint(second);
    EXPECT_LT(FreeGdiSlots(), before);
    DestroyWindow(second.GetHandle());
    EXPECT_EQ(before, FreeGdiSlots());
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
