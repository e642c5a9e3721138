// The tuning dialogs as the user works them: the Tuning Settings dialog runs modally on a settings
// file of the test's own, and every step clicks, types and drags inside its modal loop. OK's writes
// through the real main window are checked end to end (tests/tools/fretlark_window_test.py).
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

std::vector<UINT> beeps;
BOOL WINAPI RecordBeep(UINT type) {
    beeps.push_back(type);
    return TRUE;
}

std::string TextOf(HWND window) {
    char text[256] = "";
    GetWindowTextA(window, text, sizeof text);
    return text;
}

template <class Item>
std::string Join(int count, Item item) {
    std::string all;
    for (int index = 0; index < count; ++index) all += (index ? "," : "") + item(index);
    return all;
}

void Click(HWND control, LPARAM at, bool twice = false) {
    for (UINT down : {WM_LBUTTONDOWN, WM_LBUTTONDBLCLK}) {
        SendMessageA(control, down, MK_LBUTTON, at);
        SendMessageA(control, WM_LBUTTONUP, 0, at);
        if (!twice) return;
    }
}

Steps operator+(Steps first, const Steps& second) {
    first.insert(first.end(), second.begin(), second.end());
    return first;
}

class TuningDialogs : public TunerSettingsFixture {
protected:
    // Runs the Tuning Settings dialog over `file`, loaded as at start-up, and the steps inside it.
    INT_PTR Run(const std::string& file, Steps steps) {
        LoadFile(file);
        analyzer.LoadCurrentTuning();
        rootFrequency = 440.0;
        TuningSettingsDialog dialog(analyzer);
        steps.insert(steps.begin(), WaitFor([&] { return (window = Dialog("Tuning Settings")) != nullptr; }));
        size_t count = steps.size(), ran = 0;
        for (ModalDriver::Step& step : steps) step = [step, &ran] { return step() && ++ran; };
        // The last step ends the dialog; one that stays open is stopped by the driver as a failure.
        steps.push_back(WaitFor([] { return false; }));
        ModalDriver driver(steps);
        INT_PTR code = dialog.RunModal();
        EXPECT_EQ(count, ran);
        return code;
    }

    static HWND Dialog(const char* caption) {
        HWND found = FindWindowA("#32770", caption);
        return found && IsWindowVisible(found) ? found : nullptr;
    }
    HWND Control(int id) const { return GetDlgItem(window, id); }
    bool Enabled(int id) const { return IsWindowEnabled(Control(id)) != 0; }
    void Press(int id, HWND in = nullptr) {
        in = in ? in : window;
        PostMessageA(in, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(in, id)));
    }

    std::string Items() const {
        HWND list = Control(IDC_TUNING_LIST);
        return Join(static_cast<int>(SendMessageA(list, LB_GETCOUNT, 0, 0)), [&](int position) {
            char item[64] = "";
            SendMessageA(list, LB_GETTEXT, position, reinterpret_cast<LPARAM>(item));
            return std::string(item);
        });
    }
    // Each item as drawn: 'c' with the dot of the current tuning, 'o' with the hollow circle;
    // upper case when its name is highlighted.
    std::string Marks() const {
        HWND list = Control(IDC_TUNING_LIST);
        UpdateWindow(list);
        HDC context = GetDC(list);
        std::string marks;
        for (int position = 0; position < SendMessageA(list, LB_GETCOUNT, 0, 0); ++position) {
            RECT item;
            SendMessageA(list, LB_GETITEMRECT, position, reinterpret_cast<LPARAM>(&item));
            bool dot = GetPixel(context, item.left + 7, item.top + 8) == RGB(0, 0, 0);
            bool highlighted = GetPixel(context, item.right - 2, item.top + 2) == GetSysColor(COLOR_HIGHLIGHT);
            marks += highlighted ? (dot ? 'C' : 'O') : (dot ? 'c' : 'o');
        }
        ReleaseDC(list, context);
        return marks;
    }
    void ClickItem(int position, bool twice = false) {
        HWND list = Control(IDC_TUNING_LIST);
        int height = static_cast<int>(SendMessageA(list, LB_GETITEMHEIGHT, 0, 0));
        Click(list, MAKELPARAM(30, position * height + height / 2), twice);
    }
    std::string Notes() const {
        return Join(TuningStringCount, [&](int string) { return TextOf(Control(IDC_STRING_NOTE_0 + string)); });
    }
    static void Type(HWND edit, const char* text) {
        for (; *text; ++text) SendMessageA(edit, WM_CHAR, static_cast<unsigned char>(*text), 1);
    }

    // Create, the name typed, and OK: the new tuning is in the list when the steps have run.
    Steps Create(const char* name) {
        return {Do([=] { Press(IDC_CREATE_TUNING); }), WaitFor([] { return Dialog("Create Tuning") != nullptr; }), Do([=] {
                    HWND create = Dialog("Create Tuning");
                    Type(GetDlgItem(create, IDC_TUNING_NAME), name);
                    Press(IDOK, create);
                }),
                WaitFor([] { return Dialog("Create Tuning") == nullptr; })};
    }

    static std::string Keys() {
        return Join(theSettings.KeyCount(SectionTunings), [](int index) {
            YString key;
            theSettings.KeyAt(SectionTunings, index, key);
            return std::string(key.CStr());
        });
    }

    TunerAnalyzer analyzer;
    HWND window = nullptr;
};

TEST_F(TuningDialogs, EditsMoveSelectionAndDotAndCancelDiscardsThem) {
    MessageBoxWatcher watcher;
    std::string whileDragging;
    Steps steps = {Do([&] {
                       EXPECT_EQ("oCo", Marks()) << "the current tuning is selected";
                       EXPECT_EQ("D2,G2,D3,G3,B3,D4", Notes());
                       EXPECT_EQ(12, SendMessageA(Control(IDC_STRING_SLIDER_5), TBM_GETPAGESIZE, 0, 0));
                       EXPECT_EQ(Control(IDC_TUNING_LIST), GetFocus());
                       HWND slider = Control(IDC_STRING_SLIDER_0);
                       RECT thumb;
                       SendMessageA(slider, TBM_GETTHUMBRECT, 0, reinterpret_cast<LPARAM>(&thumb));
                       int y = (thumb.top + thumb.bottom) / 2;
                       SendMessageA(slider, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM((thumb.left + thumb.right) / 2, y));
                       SendMessageA(slider, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(0, y));
                       whileDragging = TextOf(Control(IDC_STRING_NOTE_0));
                       SendMessageA(slider, WM_LBUTTONUP, 0, MAKELPARAM(0, y));
                       Press(IDC_DELETE_TUNING);
                   }),
                   Do([&] {
                       EXPECT_EQ("Standard,DADGAD", Items());
                       EXPECT_EQ("Co", Marks()) << "the one before the deleted one";
                       EXPECT_EQ("E2,A2,D3,G3,B3,E4", Notes());
                       Press(IDC_DELETE_TUNING);
                   }),
                   Do([&] {
                       EXPECT_EQ("C", Marks()) << "the new first one";
                       EXPECT_EQ("D2,A2,D3,G3,A3,D4", Notes());
                       Press(IDC_DELETE_TUNING);
                   }),
                   Do([&] {
                       EXPECT_EQ("", Items());
                       EXPECT_FALSE(Enabled(IDOK));
                       EXPECT_FALSE(Enabled(IDC_STRING_SLIDER_3));
                       EXPECT_EQ("D2,A2,D3,G3,A3,D4", Notes()) << "the last notes stay";
                       Press(IDC_DELETE_TUNING);  // nothing to delete
                   })};
    steps = steps + Create("Nashville") + Steps{Do([&] {
                EXPECT_EQ("C", Marks()) << "the only tuning is the current one";
                EXPECT_TRUE(Enabled(IDOK));
                EXPECT_TRUE(Enabled(IDC_STRING_SLIDER_3));
            })} + Create("Drop_D") +
            Steps{Do([&] {
                EXPECT_EQ("cO", Marks()) << "a new tuning leaves the dot";
                ClickItem(1, true);
                EXPECT_EQ("oC", Marks());
                SendMessageA(window, WM_CLOSE, 0, 0);
            })};
    EXPECT_EQ(YGuiDialog::CodeCancel, Run(ThreeTunings, steps));
    EXPECT_EQ("A0", whileDragging);
    EXPECT_TRUE(watcher.Boxes().empty());
    EXPECT_EQ("Standard,Open_G,DADGAD", Keys());
    EXPECT_EQ("Open_G", Stored("Tuning", "CurrentTuning"));
    EXPECT_EQ(-31, analyzer.TuningOffsets()[0]);
}

TEST_F(TuningDialogs, NamesAreFilteredAsTypedCheckedAgainOnOkAndUniqueAmongTheLiveTunings) {
    MessageBoxWatcher watcher;
    beeps.clear();
    ImportPatch beep("user32.dll", "MessageBeep", reinterpret_cast<void*>(RecordBeep));
    ASSERT_TRUE(beep.Installed());
    HWND create = nullptr, edit = nullptr;
    auto okEnabled = [&] { return IsWindowEnabled(GetDlgItem(create, IDOK)) != 0; };
    Steps steps = {Do([&] { Press(IDC_CREATE_TUNING); }), WaitFor([&] { return (create = Dialog("Create Tuning")) != nullptr; }),
                   Do([&] {
                       edit = GetDlgItem(create, IDC_TUNING_NAME);
                       Type(edit, " -");
                       EXPECT_EQ("", TextOf(edit));
                       EXPECT_EQ((std::vector<UINT>{0xFFFFFFFF, 0xFFFFFFFF}), beeps);
                       Type(edit, "x\b");
                       EXPECT_FALSE(okEnabled()) << "empty again";
                       Type(edit, "ABCDEFGHIJ0123456789K");
                       EXPECT_EQ("ABCDEFGHIJ0123456789", TextOf(edit));
                       EXPECT_TRUE(okEnabled());
                       // Pasted text passes the filter: OK checks it.
                       SetWindowTextA(edit, "Bad name");
                       Press(IDOK, create);
                   }),
                   WaitFor([&] { return beeps.size() == 3; }), Do([&] {
                       SetWindowTextA(edit, "standard");
                       Press(IDOK, create);
                   }),
                   WaitFor([&] { return watcher.Boxes().size() == 1; }), Do([&] {
                       EXPECT_TRUE(IsWindowVisible(create)) << "still asking";
                       Press(IDCANCEL, create);
                   }),
                   WaitFor([] { return Dialog("Create Tuning") == nullptr; }), Do([&] {
                       EXPECT_EQ("Standard,Open_G,DADGAD", Items());
                       ClickItem(0);
                       Press(IDC_DELETE_TUNING);
                   })};
    // A name that only a deleted tuning had is free again.
    steps = steps + Create("STANDARD") + Steps{Do([&] { Press(IDOK); })};
    EXPECT_EQ(YGuiDialog::CodeOk, Run(ThreeTunings, steps));
    std::vector<ShownMessageBox> boxes = watcher.Boxes();
    ASSERT_EQ(1u, boxes.size());
    EXPECT_EQ("Fretlark Error", boxes[0].caption);
    EXPECT_EQ("Tuning name already exists.", boxes[0].text);
    EXPECT_EQ("Open_G,DADGAD,STANDARD", Keys()) << "the old key is gone, the new one is last";
    EXPECT_EQ("-29, -24, -19, -14, -10, -5", Stored("Tunings", "Standard"));
}

TEST_F(TuningDialogs, UnreadableTuningsAreHiddenAndOkRemovesThem) {
    const std::string low = "Low = -41, -36, -31, -26, -22, -17\n";
    const struct {
        std::string file;
        const char *items, *marks, *keys, *current;
    } cases[] = {
        {"[Tuning]\nCurrentTuning = low\n[Tunings]\nBroken = 1, 2, 3\nStandard = -29, -24, -19, -14, -10, -5\n" + low,
         "Standard,Low", "oC", "Standard,Low", "Low"},
        // Without a "Standard" the tuner's fallback names no listed tuning: the first listed one is current.
        {"[Tuning]\nCurrentTuning = Nowhere\n[Tunings]\n" + low + "Open_G = -31, -26, -19, -14, -10, -7\n", "Low,Open_G", "Co",
         "Low,Open_G", "Low"},
        // Nothing readable: OK purges the list, and the tuner stores its standard tuning anew.
        {"[Tuning]\nCurrentTuning = Broken\n[Tunings]\nBroken = 1, 2, 3\n", "", "", "Standard", "Standard"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(YGuiDialog::CodeOk, Run(c.file, {Do([&] {
                                              EXPECT_EQ(c.items, Items());
                                              EXPECT_EQ(c.marks, Marks());
                                              EXPECT_EQ(*c.items != 0, Enabled(IDC_STRING_SLIDER_0));
                                              Press(IDOK);
                                          })}));
        EXPECT_EQ(c.keys, Keys()) << c.file;
        EXPECT_EQ(c.current, Stored("Tuning", "CurrentTuning")) << c.file;
    }
    EXPECT_EQ(-29, analyzer.TuningOffsets()[0]);
}

}  // namespace
