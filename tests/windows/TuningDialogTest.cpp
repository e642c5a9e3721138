// The tuning dialogs as the user works them: the Tuning Settings dialog runs modally on a settings
// file of the test's own, and every step clicks, types and drags inside its modal loop. Creating a
// tuning, the root frequency's limits and OK's writes through the real main window are checked end
// to end (tests/tools/fretlark_window_test.py).
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <string>
#include <vector>

#include "ImportPatch.hpp"
#include "MessageBoxWatcher.hpp"
#include "ModalDriver.hpp"
#include "TunerAnalyzer.hpp"
#include "TunerSettingsFixture.hpp"
#include "TunerState.hpp"
#include "TuningSettingsDialog.hpp"
#include "resource.h"

namespace {

using Steps = std::vector<ModalDriver::Step>;

const char* const ThreeTunings =
    "[Tuning]\nCurrentTuning = Open_G\n[Tunings]\nStandard = -29, -24, -19, -14, -10, -5\n"
    "Open_G = -31, -26, -19, -14, -10, -7\nDADGAD = -31, -24, -19, -14, -12, -7\n";

int beeps = 0;
BOOL WINAPI CountSimpleBeep(UINT type) { return beeps += type == 0xFFFFFFFF; }

std::string TextOf(HWND window) {
    char text[256] = "";
    GetWindowTextA(window, text, sizeof text);
    return text;
}

HWND Dialog(const char* caption) {
    HWND found = FindWindowA("#32770", caption);
    return found && IsWindowVisible(found) ? found : nullptr;
}

void Press(HWND dialog, int id) {
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

class TuningDialogs : public TunerSettingsFixture {
protected:
    // Runs the Tuning Settings dialog over `file`, loaded as at start-up, with the steps inside it.
    // The last step ends the dialog; one that stays open is stopped by the driver as a failure.
    INT_PTR Run(const std::string& file, Steps steps) {
        LoadFile(file);
        analyzer.LoadCurrentTuning();
        TuningSettingsDialog dialog(analyzer);
        steps.insert(steps.begin(), WaitFor([&] { return (window = Dialog("Tuning Settings")) != nullptr; }));
        steps.push_back(WaitFor([] { return false; }));
        ModalDriver driver(steps);
        INT_PTR code = dialog.RunModal();
        EXPECT_NE(ModalDriver::AbortCode, code);
        return code;
    }

    HWND Control(int id) const { return GetDlgItem(window, id); }
    bool Enabled(int id) const { return IsWindowEnabled(Control(id)) != 0; }
    LRESULT List(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const {
        return SendMessageA(Control(IDC_TUNING_LIST), message, wParam, lParam);
    }

    // Each item as drawn, then its name: 'c' with the dot of the current tuning, 'o' with the
    // hollow circle, upper case when its name is highlighted; "Co:Standard,DADGAD".
    std::string Items() const {
        UpdateWindow(Control(IDC_TUNING_LIST));
        HDC context = GetDC(Control(IDC_TUNING_LIST));
        std::string marks, names;
        for (int position = 0; position < List(LB_GETCOUNT); ++position) {
            RECT item;
            List(LB_GETITEMRECT, position, reinterpret_cast<LPARAM>(&item));
            bool dot = GetPixel(context, item.left + 7, item.top + 8) == RGB(0, 0, 0);
            bool highlighted = GetPixel(context, item.right - 2, item.top + 2) == GetSysColor(COLOR_HIGHLIGHT);
            marks += highlighted ? (dot ? 'C' : 'O') : (dot ? 'c' : 'o');
            char name[64] = "";
            List(LB_GETTEXT, position, reinterpret_cast<LPARAM>(name));
            names += (position ? "," : "") + std::string(name);
        }
        ReleaseDC(Control(IDC_TUNING_LIST), context);
        return marks + ":" + names;
    }
    std::string Notes() const {
        std::string notes;
        for (int string = 0; string < TuningStringCount; ++string) notes += (string ? "," : "") + TextOf(Control(IDC_STRING_NOTE_0 + string));
        return notes;
    }
    void ClickItem(int position, bool twice = false) {
        int height = static_cast<int>(List(LB_GETITEMHEIGHT));
        LPARAM at = MAKELPARAM(30, position * height + height / 2);
        for (UINT down : {WM_LBUTTONDOWN, WM_LBUTTONDBLCLK}) {
            List(down, MK_LBUTTON, at);
            List(WM_LBUTTONUP, 0, at);
            if (!twice) return;
        }
    }
    static void Type(HWND edit, const char* text) {
        for (; *text; ++text) SendMessageA(edit, WM_CHAR, static_cast<unsigned char>(*text), 1);
    }

    // Create, the name typed, and OK: the new tuning is in the list when the steps have run.
    Steps Create(const char* name) {
        return {Do([this] { Press(window, IDC_CREATE_TUNING); }), WaitFor([] { return Dialog("Create Tuning") != nullptr; }), Do([name] {
                    Type(GetDlgItem(Dialog("Create Tuning"), IDC_TUNING_NAME), name);
                    Press(Dialog("Create Tuning"), IDOK);
                }),
                WaitFor([] { return Dialog("Create Tuning") == nullptr; })};
    }

    static std::string Keys() {
        std::string keys;
        for (int index = 0; index < theSettings.KeyCount(SectionTunings); ++index) {
            YString key;
            theSettings.KeyAt(SectionTunings, index, key);
            keys += (index ? "," : "") + std::string(key.CStr());
        }
        return keys;
    }

    TunerAnalyzer analyzer;
    HWND window = nullptr;
};

TEST_F(TuningDialogs, EditsMoveSelectionAndDotAndCancelDiscardsThem) {
    MessageBoxWatcher watcher;
    std::string whileDragging;
    Steps steps = {Do([&] {
                       EXPECT_EQ("oCo:Standard,Open_G,DADGAD", Items()) << "the current tuning is selected";
                       EXPECT_EQ("D2,G2,D3,G3,B3,D4", Notes());
                       EXPECT_EQ(12, SendMessageA(Control(IDC_STRING_SLIDER_5), TBM_GETPAGESIZE, 0, 0));
                       EXPECT_EQ(Control(IDC_TUNING_LIST), GetFocus());
                       // The note follows the thumb while it is dragged, down to A0.
                       HWND slider = Control(IDC_STRING_SLIDER_0);
                       RECT thumb;
                       SendMessageA(slider, TBM_GETTHUMBRECT, 0, reinterpret_cast<LPARAM>(&thumb));
                       int y = (thumb.top + thumb.bottom) / 2;
                       SendMessageA(slider, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM((thumb.left + thumb.right) / 2, y));
                       SendMessageA(slider, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(0, y));
                       whileDragging = TextOf(Control(IDC_STRING_NOTE_0));
                       SendMessageA(slider, WM_LBUTTONUP, 0, MAKELPARAM(0, y));
                   })};
    // Deleting selects the one before, or the new first one; the last notes stay when none is left.
    for (const char* left : {"Co:Standard,DADGAD|E2,A2,D3,G3,B3,E4", "C:DADGAD|D2,A2,D3,G3,A3,D4", ":|D2,A2,D3,G3,A3,D4", ":|D2,A2,D3,G3,A3,D4"})
        steps.insert(steps.end(), {Do([this] { Press(window, IDC_DELETE_TUNING); }), Do([this, left] { EXPECT_EQ(left, Items() + "|" + Notes()); })});
    steps.push_back(Do([&] { EXPECT_FALSE(Enabled(IDOK) || Enabled(IDC_STRING_SLIDER_3)); }));
    for (const Steps& more : {Create("Nashville"),
                              Steps{Do([&] {
                                  EXPECT_EQ("C:Nashville", Items()) << "the only tuning is the current one";
                                  EXPECT_TRUE(Enabled(IDOK) && Enabled(IDC_STRING_SLIDER_3));
                              })},
                              Create("Drop_D"), Steps{Do([&] {
                                  EXPECT_EQ("cO:Nashville,Drop_D", Items()) << "a new tuning leaves the dot";
                                  ClickItem(1, true);
                                  EXPECT_EQ("oC:Nashville,Drop_D", Items());
                                  SendMessageA(window, WM_CLOSE, 0, 0);
                              })}})
        steps.insert(steps.end(), more.begin(), more.end());
    EXPECT_EQ(YGuiDialog::CodeCancel, Run(ThreeTunings, steps));
    EXPECT_EQ("A0", whileDragging);
    EXPECT_TRUE(watcher.Boxes().empty());
    EXPECT_EQ("Standard,Open_G,DADGAD", Keys());
    EXPECT_EQ("Open_G", Stored("Tuning", "CurrentTuning"));
    EXPECT_EQ(-31, analyzer.TuningOffsets()[0]);
}

TEST_F(TuningDialogs, NamesAreFilteredAsTypedCheckedAgainOnOkAndUniqueAmongTheLiveTunings) {
    MessageBoxWatcher watcher;
    beeps = 0;
    ImportPatch beep("user32.dll", "MessageBeep", reinterpret_cast<void*>(CountSimpleBeep));
    ASSERT_TRUE(beep.Installed());
    HWND create = nullptr, edit = nullptr;
    auto okEnabled = [&] { return IsWindowEnabled(GetDlgItem(create, IDOK)) != 0; };
    Steps steps = {Do([&] { Press(window, IDC_CREATE_TUNING); }), WaitFor([&] { return (create = Dialog("Create Tuning")) != nullptr; }),
                   Do([&] {
                       edit = GetDlgItem(create, IDC_TUNING_NAME);
                       Type(edit, " -");
                       EXPECT_EQ("", TextOf(edit));
                       EXPECT_EQ(2, beeps);
                       Type(edit, "x\b");
                       EXPECT_FALSE(okEnabled()) << "empty again";
                       Type(edit, "ABCDEFGHIJ0123456789K");
                       EXPECT_EQ("ABCDEFGHIJ0123456789", TextOf(edit));
                       EXPECT_TRUE(okEnabled());
                       // Pasted text passes the filter: OK checks it.
                       SetWindowTextA(edit, "Bad name");
                       Press(create, IDOK);
                   }),
                   WaitFor([&] { return beeps == 3; }), Do([&] {
                       SetWindowTextA(edit, "standard");
                       Press(create, IDOK);
                   }),
                   WaitFor([&] { return watcher.Boxes().size() == 1; }), Do([&] {
                       EXPECT_TRUE(IsWindowVisible(create)) << "still asking";
                       Press(create, IDCANCEL);
                   }),
                   WaitFor([] { return Dialog("Create Tuning") == nullptr; }), Do([&] {
                       EXPECT_EQ("oCo:Standard,Open_G,DADGAD", Items());
                       ClickItem(0);
                       Press(window, IDC_DELETE_TUNING);
                   })};
    // A name that only a deleted tuning had is free again.
    Steps more = Create("STANDARD");
    steps.insert(steps.end(), more.begin(), more.end());
    steps.push_back(Do([&] { Press(window, IDOK); }));
    EXPECT_EQ(YGuiDialog::CodeOk, Run(ThreeTunings, steps));
    ASSERT_EQ(1u, watcher.Boxes().size());
    EXPECT_EQ("Fretlark Error/Tuning name already exists.", watcher.Boxes()[0].caption + "/" + watcher.Boxes()[0].text);
    EXPECT_EQ("Open_G,DADGAD,STANDARD", Keys()) << "the old key is gone, the new one is last";
    EXPECT_EQ("-29, -24, -19, -14, -10, -5", Stored("Tunings", "Standard"));
}

TEST_F(TuningDialogs, UnreadableTuningsAreHiddenAndOkRemovesThem) {
    const std::string low = "Low = -41, -36, -31, -26, -22, -17\n";
    const struct {
        std::string file;
        const char *items, *keys, *current;
    } cases[] = {
        {"[Tuning]\nCurrentTuning = low\n[Tunings]\nBroken = 1, 2, 3\nStandard = -29, -24, -19, -14, -10, -5\n" + low,
         "oC:Standard,Low", "Standard,Low", "Low"},
        // Without a "Standard" the tuner's fallback names no listed tuning: the first listed one is current.
        {"[Tuning]\nCurrentTuning = Nowhere\n[Tunings]\n" + low + "Open_G = -31, -26, -19, -14, -10, -7\n", "Co:Low,Open_G",
         "Low,Open_G", "Low"},
        // Nothing readable: OK purges the list, and the tuner stores its standard tuning anew.
        {"[Tuning]\nCurrentTuning = Broken\n[Tunings]\nBroken = 1, 2, 3\n", ":", "Standard", "Standard"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(YGuiDialog::CodeOk, Run(c.file, {Do([&] {
                                              EXPECT_EQ(c.items, Items());
                                              EXPECT_EQ(std::string(c.items) != ":", Enabled(IDC_STRING_SLIDER_0));
                                              Press(window, IDOK);
                                          })}));
        EXPECT_EQ(c.keys, Keys()) << c.file;
        EXPECT_EQ(c.current, Stored("Tuning", "CurrentTuning")) << c.file;
    }
    EXPECT_EQ(-29, analyzer.TuningOffsets()[0]);
}

}  // namespace
