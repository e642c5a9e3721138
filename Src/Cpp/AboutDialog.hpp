#pragma once

#include "YGuiDialog.hpp"

// Help > About: the program's name and version and a link to the web address of the string
// table, drawn blue and underlined, with a hand cursor over it. Releasing the mouse button over
// the link opens the address with the system's handler on a thread of its own, which nobody waits
// for and which touches nothing of the box.
class AboutDialog : public YGuiDialog {
public:
    static constexpr COLORREF LinkColour = RGB(0, 0, 224);
    static constexpr LONG TitleWeight = FW_SEMIBOLD;
    static constexpr int AddressLength = 256;

    // Owned by the window active now.
    AboutDialog();
    ~AboutDialog() override;

    INT_PTR HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    // The link underlined and the title semi-bold, made from the dialog's font.
    void MakeFonts();
    // The link and the title draw on the dialog's background, the link in blue.
    INT_PTR ColourStatic(HDC context, HWND control);
    // Where the pointer is now, not where a message says it was.
    bool PointerOverLink() const;
    static void StartOpener();
    static DWORD WINAPI OpenWebAddress(LPVOID);
    void ReleaseFonts();

    HCURSOR handCursor;
    // Made when the window opens, deleted with it.
    HFONT linkFont = nullptr;
    HFONT titleFont = nullptr;
};
