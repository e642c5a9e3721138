// fretlark-drive: works the running tuner's main window from outside, as a user would, for the
// end-to-end tests and the demo. Each call finds the window by its caption, does one thing and
// prints what it read; control texts travel across processes with WM_GETTEXT, pixels come from
// the screen.
//
//   fretlark-drive wait SECONDS        until the main window shows; prints how long after its
//                                      process started that was
//   fretlark-drive result SECONDS      until the main window shows a measured frequency
//   fretlark-drive watch SECONDS       reads the measured frequency every 20 ms for that long and
//                                      prints how often it changed (results), the slowest answer
//                                      and how many requests went unanswered
//   fretlark-drive shows ID TEXT SECONDS  until control ID of the main window shows TEXT (blanks
//                                      around it aside); prints when that was, in milliseconds
//                                      since 1970, to time the window against outside events
//   fretlark-drive texts               the window's caption, control texts and layout, key=value
//   fretlark-drive command ID          a menu command or button click (WM_COMMAND)
//   fretlark-drive capture ID FILE     the client area of control ID, or the whole window with
//                                      frame and menu for 0, as a BMP file
//   fretlark-drive snapshot ID FILE    capture and texts of one and the same result
//   fretlark-drive close               the close box (WM_CLOSE)
//   fretlark-drive boxes SECONDS       waits that long, then prints every message box shown and
//                                      whether a main window exists, and closes the boxes
//   fretlark-drive open ID             a menu command that opens a dialog: posted, so that the call
//                                      returns while the dialog runs
//
// The tuner's other dialogs are found by their caption; each call waits up to five seconds for
// the dialog to show:
//
//   fretlark-drive in CAPTION controls       every control, those of a property sheet's pages too:
//                                            ID=text, ID.enabled=0|1, ID.visible=0|1, and for
//                                            buttons ID.checked=N, for list boxes
//                                            ID.items=a,b,... and ID.selected=N, for combo boxes
//                                            ID.items=a|b|... and ID.selected=N, for sliders
//                                            ID.position=N as the control holds it (a vertical
//                                            one's top is its minimum)
//   fretlark-drive in CAPTION click ID       a click on button ID (on a property sheet, of the page
//                                            that shows), posted (it may open another dialog) and
//                                            only when the button shows and is enabled; prints
//                                            clicked=1 or 0
//   fretlark-drive in CAPTION set ID TEXT    the text of control ID replaced (WM_SETTEXT)
//   fretlark-drive in CAPTION capture ID FILE  the client area of control ID as a BMP file
//   fretlark-drive in CAPTION select ID N    item N of combo box ID chosen as a user does
//   fretlark-drive in CAPTION slide ID N     the thumb of slider ID moved to N
//   fretlark-drive in CAPTION close          the dialog's close box (SC_CLOSE), posted
//   fretlark-drive in CAPTION type ID TEXT   the characters of TEXT typed into control ID
//   fretlark-drive in CAPTION key ID VK N    the key VK (a virtual-key code) pressed N times on ID
//   fretlark-drive in CAPTION arrow ID up|down N
//                                            N clicks on an arrow of up-down control ID
//   fretlark-drive in CAPTION item ID INDEX single|double
//                                            a click or a double click on item INDEX of list box ID
//   fretlark-drive gone CAPTION SECONDS      until no dialog of that caption shows
//
// Exit codes: 0 done, 1 no such window (in time), 2 bad arguments.
#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <string>
#include <vector>

#include "resource.h"

namespace {

constexpr UINT TimeoutMilliseconds = 5000;
constexpr int MessageTextId = 0xFFFF;

std::string WindowText(HWND window) {
    char text[512] = "";
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG,
                             TimeoutMilliseconds, &length))
        return "";
    return text;
}

bool IsDialog(HWND window) {
    char className[32] = "";
    GetClassNameA(window, className, sizeof className);
    return std::string(className) == "#32770";
}

// Message boxes are dialogs with the message-text static; the main window has a menu bar.
bool IsMessageBox(HWND window) { return IsDialog(window) && GetDlgItem(window, MessageTextId); }

BOOL CALLBACK CollectDialog(HWND window, LPARAM list) {
    if (IsWindowVisible(window) && IsDialog(window)) reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
    return TRUE;
}

std::vector<HWND> TopLevelDialogs() {
    std::vector<HWND> found;
    EnumWindows(CollectDialog, reinterpret_cast<LPARAM>(&found));
    return found;
}

HWND MainWindow() {
    for (HWND window : TopLevelDialogs())
        if (!IsMessageBox(window) && GetMenu(window) && WindowText(window).rfind("Fretlark", 0) == 0) return window;
    return nullptr;
}

std::string ControlText(HWND window, int id) {
    HWND control = GetDlgItem(window, id);
    return control ? WindowText(control) : "";
}

bool Visible(HWND window, int id) {
    HWND control = GetDlgItem(window, id);
    return control && IsWindowVisible(control);
}

// Polls until `ready` holds for the main window; false when it did not in time.
template <class Ready>
bool WaitFor(double seconds, Ready ready) {
    DWORD end = GetTickCount() + static_cast<DWORD>(seconds * 1000);
    do {
        HWND window = MainWindow();
        if (window && ready(window)) return true;
        Sleep(10);
    } while (static_cast<LONG>(end - GetTickCount()) > 0);
    return false;
}

double MillisecondsSinceStart(HWND window) {
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
    FILETIME created, exited, kernel, user, now;
    bool known = process && GetProcessTimes(process, &created, &exited, &kernel, &user);
    if (process) CloseHandle(process);
    if (!known) return -1;
    GetSystemTimeAsFileTime(&now);
    auto ticks = [](const FILETIME& time) { return (static_cast<ULONGLONG>(time.dwHighDateTime) << 32) | time.dwLowDateTime; };
    return (ticks(now) - ticks(created)) / 10000.0;
}

int Wait(double seconds) {
    double startup = -1;
    if (!WaitFor(seconds, [&](HWND window) {
            startup = MillisecondsSinceStart(window);
            return true;
        }))
        return 1;
    std::printf("startup_ms=%.0f\n", startup);
    return 0;
}

int WaitForResult(double seconds) {
    return WaitFor(seconds, [](HWND window) { return std::atof(ControlText(window, IDC_MEASURED_FREQUENCY).c_str()) > 0; }) ? 0 : 1;
}

std::string Trimmed(std::string text) {
    text.erase(0, text.find_first_not_of(' '));
    text.erase(text.find_last_not_of(' ') + 1);
    return text;
}

int WaitForText(int id, const std::string& text, double seconds) {
    if (!WaitFor(seconds, [&](HWND window) { return Trimmed(ControlText(window, id)) == text; })) return 1;
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    constexpr ULONGLONG UnixEpoch = 116444736000000000ULL;  // 1970-01-01 in 100 ns since 1601
    ULONGLONG ticks = (static_cast<ULONGLONG>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
    std::printf("at_ms=%llu\n", (ticks - UnixEpoch) / 10000);
    return 0;
}

// The window's caption, control texts and layout, as key=value lines.
std::string Texts(HWND window) {
    RECT bounds, client;
    GetWindowRect(window, &bounds);
    GetClientRect(GetDlgItem(window, IDC_DISPLAY), &client);
    std::string texts;
    auto add = [&texts](const char* key, const std::string& value) { texts += std::string(key) + "=" + value + "\n"; };
    add("caption", WindowText(window));
    const struct {
        const char* key;
        int id;
    } controls[] = {{"measured", IDC_MEASURED_FREQUENCY}, {"required", IDC_REQUIRED_FREQUENCY}, {"target", IDC_TARGET_NOTE},
                    {"difference", IDC_DIFFERENCE},       {"harmonic", IDC_HARMONIC},           {"cpu", IDC_CPU_LOAD},
                    {"note", IDC_NOTE_LABEL}};
    for (const auto& entry : controls) add(entry.key, ControlText(window, entry.id));
    const int strings[] = {IDC_STRING_0, IDC_STRING_1, IDC_STRING_2, IDC_STRING_3, IDC_STRING_4, IDC_STRING_5};
    std::string labels, shown;
    for (int id : strings) {
        labels += (labels.empty() ? "" : ",") + ControlText(window, id);
        shown += Visible(window, id) ? '1' : '0';
    }
    add("strings", labels);
    add("strings_visible", shown);
    const int chromatic[] = {IDC_OCTAVE_DOWN, IDC_NOTE_LABEL, IDC_SEMITONE_STEP, IDC_OCTAVE_UP};
    shown.clear();
    for (int id : chromatic) shown += Visible(window, id) ? '1' : '0';
    add("chromatic_visible", shown);
    // Menu states cannot be read from another process; the height tells whether the details show.
    add("window_height", std::to_string(bounds.bottom - bounds.top));
    add("display_size", std::to_string(client.right) + "x" + std::to_string(client.bottom));
    return texts;
}

// A 24-bit bottom-up BMP of the screen within `area` (screen coordinates).
bool Capture(const RECT& area, const char* path) {
    POINT origin{area.left, area.top};
    int width = area.right - area.left, height = area.bottom - area.top;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, origin.x, origin.y, SRCCOPY);
    SelectObject(memory, previous);

    BITMAPINFOHEADER info{};
    info.biSize = sizeof info;
    info.biWidth = width;
    info.biHeight = height;
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biCompression = BI_RGB;
    int stride = (width * 3 + 3) / 4 * 4;
    std::vector<unsigned char> pixels(static_cast<size_t>(stride) * height);
    GetDIBits(memory, bitmap, 0, height, pixels.data(), reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);

    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof info;
    file.bfSize = file.bfOffBits + static_cast<DWORD>(pixels.size());
    FILE* out = std::fopen(path, "wb");
    if (!out) return false;
    std::fwrite(&file, sizeof file, 1, out);
    std::fwrite(&info, sizeof info, 1, out);
    std::fwrite(pixels.data(), 1, pixels.size(), out);
    return std::fclose(out) == 0;
}

// The client area of control `id`, or the whole window with frame and menu for 0.
bool CaptureControl(HWND window, int id, const char* path) {
    RECT area;
    if (id == 0) {
        GetWindowRect(window, &area);
    } else {
        HWND control = GetDlgItem(window, id);
        if (!control) return false;
        GetClientRect(control, &area);
        MapWindowPoints(control, nullptr, reinterpret_cast<POINT*>(&area), 2);
    }
    return Capture(area, path);
}

// The texts and the pixels of one and the same result: the texts are read before and after the
// capture, and the capture is taken again until both reads agree.
int Snapshot(HWND window, int id, const char* path) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string before = Texts(window);
        if (!CaptureControl(window, id, path)) return 1;
        std::string after = Texts(window);
        if (before == after) {
            std::fputs(after.c_str(), stdout);
            return 0;
        }
    }
    return 1;
}

// Reads the measured frequency every 20 ms for `seconds`: how often it changed (a new result, as
// long as the tone keeps moving), how long the window took to answer at most, and how often it did
// not answer within the time-out.
int Watch(double seconds) {
    HWND window = MainWindow();
    if (!window) return 1;
    HWND measured = GetDlgItem(window, IDC_MEASURED_FREQUENCY);
    std::string last = WindowText(measured);
    int changes = 0, unanswered = 0;
    DWORD slowest = 0, end = GetTickCount() + static_cast<DWORD>(seconds * 1000);
    while (static_cast<LONG>(end - GetTickCount()) > 0) {
        char text[64] = "";
        DWORD_PTR length = 0;
        DWORD asked = GetTickCount();
        if (!SendMessageTimeoutA(measured, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG,
                                 TimeoutMilliseconds, &length)) {
            ++unanswered;
            continue;
        }
        slowest = std::max(slowest, GetTickCount() - asked);
        if (last != text) ++changes;
        last = text;
        Sleep(20);
    }
    std::printf("results=%d\nslowest_ms=%lu\nunanswered=%d\n", changes, slowest, unanswered);
    return 0;
}

int Boxes(double seconds) {
    Sleep(static_cast<DWORD>(seconds * 1000));
    int count = 0;
    for (HWND window : TopLevelDialogs()) {
        if (!IsMessageBox(window)) continue;
        ++count;
        std::string text = ControlText(window, MessageTextId);
        for (char& c : text)
            if (c == '\n') c = '|';
        std::printf("box=%s/%s\n", WindowText(window).c_str(), text.c_str());
        PostMessageA(window, WM_COMMAND, IDOK, 0);
    }
    std::printf("box_count=%d\nmain_window=%d\n", count, MainWindow() ? 1 : 0);
    return 0;
}

// A dialog of the tuner other than a message box or the main window, by its caption.
HWND DialogCalled(const std::string& caption) {
    for (HWND window : TopLevelDialogs())
        if (!IsMessageBox(window) && !GetMenu(window) && WindowText(window) == caption) return window;
    return nullptr;
}

struct ControlSearch {
    int id;
    HWND found;
};

BOOL CALLBACK FindVisibleControl(HWND control, LPARAM search) {
    auto* wanted = reinterpret_cast<ControlSearch*>(search);
    if (GetDlgCtrlID(control) == wanted->id && (!wanted->found || IsWindowVisible(control))) wanted->found = control;
    return TRUE;
}

// Control `id` of the dialog; on a property sheet, whose pages are among its descendants, the one
// of the page that shows.
HWND FindControl(HWND dialog, int id) {
    if (HWND control = GetDlgItem(dialog, id)) return control;
    ControlSearch search{id, nullptr};
    EnumChildWindows(dialog, FindVisibleControl, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// Every input below is sent, not posted: the call returns once the control has handled it (sent
// messages overtake posted ones, so a later read could otherwise miss the input).
LRESULT Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    DWORD_PTR answer = 0;
    SendMessageTimeoutA(window, message, wParam, lParam, SMTO_ABORTIFHUNG, TimeoutMilliseconds, &answer);
    return static_cast<LRESULT>(answer);
}

std::string ClassOf(HWND window) {
    char className[64] = "";
    GetClassNameA(window, className, sizeof className);
    return className;
}

// The messages that read the items of a list box or a combo box.
struct ItemMessages {
    UINT count, length, text, selection;
};

// ID.items (joined by `separator`) and ID.selected of a list or combo box.
void PrintItems(HWND control, int id, const char* separator, ItemMessages messages) {
    std::string items;
    for (int index = 0, count = static_cast<int>(Send(control, messages.count, 0, 0)); index < count; ++index) {
        // Wine carries an item's text to another process only as wide characters.
        wchar_t item[256] = L"";
        char text[256] = "";
        DWORD_PTR length = 0;
        if (Send(control, messages.length, index, 0) >= static_cast<LRESULT>(std::size(item))) continue;
        SendMessageTimeoutW(control, messages.text, index, reinterpret_cast<LPARAM>(item), SMTO_ABORTIFHUNG, TimeoutMilliseconds,
                            &length);
        WideCharToMultiByte(CP_ACP, 0, item, -1, text, sizeof text, nullptr, nullptr);
        items += (index ? separator : "") + std::string(text);
    }
    std::printf("%d.items=%s\n%d.selected=%d\n", id, items.c_str(), id, static_cast<int>(Send(control, messages.selection, 0, 0)));
}

BOOL CALLBACK PrintControl(HWND control, LPARAM) {
    int id = GetDlgCtrlID(control);
    if (id <= 0 || id == MessageTextId) return TRUE;
    std::string text = WindowText(control);
    for (char& c : text)
        if (c == '\n') c = '|';
    std::printf("%d=%s\n%d.enabled=%d\n%d.visible=%d\n", id, text.c_str(), id, IsWindowEnabled(control) ? 1 : 0, id,
                IsWindowVisible(control) ? 1 : 0);
    std::string className = ClassOf(control);
    if (lstrcmpiA(className.c_str(), "ListBox") == 0) PrintItems(control, id, ",", {LB_GETCOUNT, LB_GETTEXTLEN, LB_GETTEXT, LB_GETCURSEL});
    if (lstrcmpiA(className.c_str(), "ComboBox") == 0) PrintItems(control, id, "|", {CB_GETCOUNT, CB_GETLBTEXTLEN, CB_GETLBTEXT, CB_GETCURSEL});
    if (lstrcmpiA(className.c_str(), "Button") == 0)
        std::printf("%d.checked=%d\n", id, static_cast<int>(Send(control, BM_GETCHECK, 0, 0)));
    if (lstrcmpiA(className.c_str(), TRACKBAR_CLASSA) == 0)
        std::printf("%d.position=%d\n", id, static_cast<int>(Send(control, TBM_GETPOS, 0, 0)));
    return TRUE;
}

// A left click, or a double click, at `point` of the control's client area.
void Click(HWND control, POINT point, bool twice) {
    LPARAM at = MAKELPARAM(point.x, point.y);
    Send(control, WM_LBUTTONDOWN, MK_LBUTTON, at);
    Send(control, WM_LBUTTONUP, 0, at);
    if (!twice) return;
    Send(control, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
    Send(control, WM_LBUTTONUP, 0, at);
}

int InDialog(const std::string& caption, int argc, char** argv) {
    HWND dialog = nullptr;
    for (DWORD end = GetTickCount() + TimeoutMilliseconds; !(dialog = DialogCalled(caption)) && static_cast<LONG>(end - GetTickCount()) > 0;)
        Sleep(10);
    if (!dialog) {
        std::fprintf(stderr, "fretlark-drive: no dialog \"%s\"\n", caption.c_str());
        return 1;
    }
    std::string action = argv[0];
    if (action == "controls" && argc == 1) {
        EnumChildWindows(dialog, PrintControl, 0);
        return 0;
    }
    if (action == "close" && argc == 1) {
        PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
        return 0;
    }
    if (argc < 2) return 2;
    HWND control = FindControl(dialog, std::atoi(argv[1]));
    if (!control) return 1;
    if (action == "click" && argc == 2) {
        // As a user clicks: only a button that shows and can be pressed.
        bool clickable = IsWindowVisible(control) && IsWindowEnabled(control) && IsWindowEnabled(dialog);
        if (clickable) PostMessageA(control, BM_CLICK, 0, 0);
        std::printf("clicked=%d\n", clickable ? 1 : 0);
        return 0;
    }
    if (action == "set" && argc == 3) {
        Send(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(argv[2]));
        return 0;
    }
    if (action == "capture" && argc == 3) {
        RECT area;
        GetClientRect(control, &area);
        MapWindowPoints(control, nullptr, reinterpret_cast<POINT*>(&area), 2);
        return Capture(area, argv[2]) ? 0 : 1;
    }
    if (action == "select" && argc == 3) {
        Send(control, CB_SETCURSEL, std::atoi(argv[2]), 0);
        Send(dialog, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(control), CBN_SELCHANGE), reinterpret_cast<LPARAM>(control));
        return 0;
    }
    if (action == "slide" && argc == 3) {
        Send(control, TBM_SETPOS, TRUE, std::atoi(argv[2]));
        return 0;
    }
    if (action == "type" && argc == 3) {
        for (const char* c = argv[2]; *c; ++c) Send(control, WM_CHAR, static_cast<unsigned char>(*c), 1);
        return 0;
    }
    if (action == "key" && argc == 4) {
        for (int count = std::atoi(argv[3]); count > 0; --count) {
            Send(control, WM_KEYDOWN, std::atoi(argv[2]), 1);
            Send(control, WM_KEYUP, std::atoi(argv[2]), 1);
        }
        return 0;
    }
    if (action == "arrow" && argc == 4) {
        RECT client;
        GetClientRect(control, &client);
        // The up arrow is the upper half of a vertical up-down control.
        bool up = std::string(argv[2]) == "up";
        POINT arrow{client.right / 2, up ? client.bottom / 4 : client.bottom * 3 / 4};
        for (int count = std::atoi(argv[3]); count > 0; --count) Click(control, arrow, false);
        return 0;
    }
    if (action == "item" && argc == 4) {
        int index = std::atoi(argv[2]);
        int height = static_cast<int>(Send(control, LB_GETITEMHEIGHT, 0, 0));
        int top = static_cast<int>(Send(control, LB_GETTOPINDEX, 0, 0));
        Click(control, POINT{4, (index - top) * height + height / 2}, std::string(argv[3]) == "double");
        return 0;
    }
    return 2;
}

int Gone(const std::string& caption, double seconds) {
    DWORD end = GetTickCount() + static_cast<DWORD>(seconds * 1000);
    while (DialogCalled(caption)) {
        if (static_cast<LONG>(end - GetTickCount()) <= 0) return 1;
        Sleep(10);
    }
    return 0;
}

int Usage() {
    std::fprintf(stderr, "usage: fretlark-drive wait|result SECONDS | shows ID TEXT SECONDS | texts | command ID | open ID |"
                         " capture|snapshot ID FILE | close |"
                         " boxes SECONDS | watch SECONDS | in CAPTION ACTION... | gone CAPTION SECONDS\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return Usage();
    std::string action = argv[1];
    if (action == "wait" && argc == 3) return Wait(std::atof(argv[2]));
    if (action == "result" && argc == 3) return WaitForResult(std::atof(argv[2]));
    if (action == "shows" && argc == 5) return WaitForText(std::atoi(argv[2]), argv[3], std::atof(argv[4]));
    if (action == "boxes" && argc == 3) return Boxes(std::atof(argv[2]));
    if (action == "watch" && argc == 3) return Watch(std::atof(argv[2]));
    if (action == "in" && argc >= 4) {
        int code = InDialog(argv[2], argc - 3, argv + 3);
        return code == 2 ? Usage() : code;
    }
    if (action == "gone" && argc == 4) return Gone(argv[2], std::atof(argv[3]));
    HWND window = MainWindow();
    if (!window) {
        std::fprintf(stderr, "fretlark-drive: no Fretlark window\n");
        return 1;
    }
    if (action == "texts" && argc == 2) {
        std::fputs(Texts(window).c_str(), stdout);
        return 0;
    }
    if (action == "open" && argc == 3) {
        PostMessageA(window, WM_COMMAND, std::atoi(argv[2]), 0);
        return 0;
    }
    if (action == "command" && argc == 3) {
        DWORD_PTR answer;
        SendMessageTimeoutA(window, WM_COMMAND, std::atoi(argv[2]), 0, SMTO_ABORTIFHUNG, TimeoutMilliseconds, &answer);
        return 0;
    }
    if (action == "capture" && argc == 4) return CaptureControl(window, std::atoi(argv[2]), argv[3]) ? 0 : 1;
    if (action == "snapshot" && argc == 4) return Snapshot(window, std::atoi(argv[2]), argv[3]);
    if (action == "close" && argc == 2) {
        PostMessageA(window, WM_CLOSE, 0, 0);
        return 0;
    }
    return Usage();
}
