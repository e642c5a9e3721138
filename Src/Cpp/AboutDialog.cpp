#include "AboutDialog.hpp"

#include <objbase.h>
#include <shellapi.h>

#include "YModule.hpp"
#include "resource.h"

#ifndef _WIN64
static_assert(sizeof(SHELLEXECUTEINFOA) == 60, "the request the opener gives the shell");
#endif

namespace {

// A font like `original`, changed by `adjust`; null when it cannot be made.
template <class Adjust>
HFONT DerivedFont(HFONT original, Adjust adjust) {
    LOGFONTA font = {};
    if (!GetObjectA(original, sizeof font, &font)) return nullptr;
    adjust(font);
    return CreateFontIndirectA(&font);
}

void DeleteFont(HFONT& font) {
    if (font) DeleteObject(font);
    font = nullptr;
}

}  // namespace

AboutDialog::AboutDialog() : handCursor(LoadCursorA(ModuleInstance(), MAKEINTRESOURCEA(IDC_LINK_CURSOR))) {
    SetTemplate(IDD_ABOUT);
    SetParentHandle(GetActiveWindow());
}

AboutDialog::~AboutDialog() { ReleaseFonts(); }

INT_PTR AboutDialog::HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG: {
        CenterWindow(window);
        YString address;
        address.LoadResource(IDS_WEB_ADDRESS);
        SetControlText(IDC_LINK, address);
        MakeFonts();
        break;
    }
    case WM_CTLCOLORSTATIC: return ColourStatic(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
    case WM_SETCURSOR:
        // The link is no notifying static, so the mouse over it is the dialog's.
        if (!PointerOverLink()) break;
        SetCursor(handCursor);
        SetMessageResult(TRUE);
        return TRUE;
    case WM_LBUTTONUP:
        if (PointerOverLink()) StartOpener();
        break;
    case WM_DESTROY: ReleaseFonts(); break;
    case WM_CLOSE: EndOk(); break;
    case WM_COMMAND:
        if (HIWORD(wParam) == BN_CLICKED && LOWORD(wParam) == IDOK) EndOk();
        break;
    }
    return 0;
}

// The two statics draw with fonts of their own, which they select themselves: a font selected
// while they ask for their colours would not last where the static selects its font afterwards.
void AboutDialog::MakeFonts() {
    auto dialogFont = reinterpret_cast<HFONT>(SendMessageA(GetHandle(), WM_GETFONT, 0, 0));
    linkFont = DerivedFont(dialogFont, [](LOGFONTA& font) { font.lfUnderline = TRUE; });
    titleFont = DerivedFont(dialogFont, [](LOGFONTA& font) { font.lfWeight = TitleWeight; });
    // A font that could not be made leaves the static with the dialog's.
    if (linkFont) SendMessageA(GetControl(IDC_LINK), WM_SETFONT, reinterpret_cast<WPARAM>(linkFont), FALSE);
    if (titleFont) SendMessageA(GetControl(IDC_ABOUT_TITLE), WM_SETFONT, reinterpret_cast<WPARAM>(titleFont), FALSE);
}

INT_PTR AboutDialog::ColourStatic(HDC context, HWND control) {
    if (control == GetControl(IDC_LINK)) SetTextColor(context, LinkColour);
    else if (control != GetControl(IDC_ABOUT_TITLE)) return 0;
    SetBkMode(context, TRANSPARENT);
    return reinterpret_cast<INT_PTR>(GetStockObject(NULL_BRUSH));
}

bool AboutDialog::PointerOverLink() const {
    POINT pointer = {};
    GetCursorPos(&pointer);
    RECT link;
    GetWindowRect(GetControl(IDC_LINK), &link);
    return PtInRect(&link, pointer) != FALSE;
}

void AboutDialog::StartOpener() {
    HANDLE opener = CreateThread(nullptr, 0, OpenWebAddress, nullptr, 0, nullptr);
    if (opener) CloseHandle(opener);
}

// The address comes from the module's string table, not from the box, which may be gone by now.
// The shell may hand the request to extensions that need COM, in a single-threaded apartment.
DWORD WINAPI AboutDialog::OpenWebAddress(LPVOID) {
    HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    char address[AddressLength];
    SHELLEXECUTEINFOA request = {};
    request.cbSize = sizeof request;
    request.fMask = SEE_MASK_FLAG_DDEWAIT | SEE_MASK_NOCLOSEPROCESS;
    request.lpVerb = "Open";
    request.lpFile = address;
    request.nShow = SW_SHOWNORMAL;
    if (LoadStringA(ModuleInstance(), IDS_WEB_ADDRESS, address, sizeof address) == 0 || !ShellExecuteExA(&request)) {
        MessageBeep(MB_OK);
    } else if (request.hProcess) {
        // The shell hands over the started process; nobody needs it.
        CloseHandle(request.hProcess);
    }
    if (SUCCEEDED(com)) CoUninitialize();
    return 0;
}

void AboutDialog::ReleaseFonts() {
    DeleteFont(linkFont);
    DeleteFont(titleFont);
}
