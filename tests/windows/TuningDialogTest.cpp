// The tuning dialogs as the user works them: the Tuning Settings dialog runs modally on a settings
// file of the test's own, and every step clicks, types and drags inside its modal loop.
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

const char* const DefaultFile = "";
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

void Send(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) { SendMessageA(window, message, wParam, lParam); }

void Click(HWND control, POINT at, bool twice = false) {
    LPARAM point = MAKELPARAM(at.x, at.y);
    Send(control, WM_LBUTTONDOWN, MK_LBUTTON, point);
    Send(control, WM_LBUTTONUP, 0, point);
    if (!twice) return;
    Send(control, WM_LBUTTONDBLCLK, MK_LBUTTON, point);
    Send(control, WM_LBUTTONUP, 0, point);
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
    std::string Text(int id) const { return TextOf(Control(id)); }
    bool Enabled(int id) const { return IsWindowEnabled(Control(id)) != 0; }
    void Press(int id, HWND in = nullptr) {
        in = in ? in : window;
        PostMessageA(in, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(in, id)));
    }

    std::string Items() const {
        std::string items;
        HWND list = Control(IDC_TUNING_LIST);
        for (int position = 0; position < SendMessageA(list, LB_GETCOUNT, 0, 0); ++position) {
            char item[64] = "";
            SendMessageA(list, LB_GETTEXT, position, reinterpret_cast<LPARAM>(item));
            items += (position ? "," : "") + std::string(item);
        }
        return items;
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
        Click(list, POINT{30, position * height + height / 2}, twice);
    }
    std::string Notes() const {
        std::string notes;
        for (int id = IDC_STRING_NOTE_0; id <= IDC_STRING_NOTE_5; ++id) notes += (notes.empty() ? "" : ",") + Text(id);
        return notes;
    }
    void Arrow(bool up, int times) {
        HWND upDown = Control(IDC_ROOT_STEP);
        RECT client;
        GetClientRect(upDown, &client);
        for (; times > 0; --times) Click(upDown, POINT{client.right / 2, up ? client.bottom / 4 : client.bottom * 3 / 4});
    }
    static void Type(HWND edit, const char* text) {
        for (; *text; ++text) Send(edit, WM_CHAR, static_cast<unsigned char>(*text), 1);
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
        std::string keys;
        YString key;
        for (int index = 0; theSettings.KeyAt(SectionTunings, index, key); ++index) keys += (index ? "," : "") + std::string(key.CStr());
        return keys;
    }

    TunerAnalyzer analyzer;
    HWND window = nullptr;
};

Steps operator+(Steps first, const Steps& second) {
    first.insert(first.end(), second.begin(), second.end());
    return first;
}

TEST_F(TuningDialogs, TheDefaultListOpensWithItsNotesAndTheRootStaysWithin438And445) {
    std::vector<std::string> roots;
    INT_PTR code = Run(DefaultFile, {Do([&] {
                           EXPECT_EQ("Standard", Items());
                           EXPECT_EQ("C", Marks());
                           EXPECT_EQ("E2,A2,D3,G3,B3,E4", Notes());
                           EXPECT_EQ(-29, SendMessageA(Control(IDC_STRING_SLIDER_0), TBM_GETPOS, 0, 0));
                           EXPECT_EQ(12, SendMessageA(Control(IDC_STRING_SLIDER_5), TBM_GETPAGESIZE, 0, 0));
                           EXPECT_EQ("A0", Text(IDC_LOWEST_NOTE));
                           EXPECT_EQ("C8", Text(IDC_HIGHEST_NOTE));
                           EXPECT_TRUE(Enabled(IDOK));
                           EXPECT_EQ(Control(IDC_TUNING_LIST), GetFocus());
                           for (int step = 0; step < 8; ++step) {
                               roots.push_back(Text(IDC_ROOT_FREQUENCY));
                               Arrow(true, 1);
                           }
                           roots.push_back(Text(IDC_ROOT_FREQUENCY));
                           Arrow(false, 10);
                           roots.push_back(Text(IDC_ROOT_FREQUENCY));
                       }),
                       Do([&] { Press(IDCANCEL); })});
    EXPECT_EQ(YGuiDialog::CodeCancel, code);
    EXPECT_EQ((std::vector<std::string>{"440", "441", "442", "443", "444", "445", "445", "445", "445", "438"}), roots);
    EXPECT_EQ(440.0, rootFrequency);
}

TEST_F(TuningDialogs, ACreatedTuningIsEditedMadeCurrentAndStoredWithTheWholeListOnOk) {
    std::string whileDragging;
    Steps steps = Create("Drop_D") + Steps{Do([&] {
        EXPECT_EQ("Standard,Drop_D", Items());
        EXPECT_EQ("cO", Marks()) << "the dot stays";
        EXPECT_EQ("E2,A2,D3,G3,B3,E4", Notes());
        // A click beside the thumb moves an octave; then the thumb is dragged to the left end.
        HWND slider = Control(IDC_STRING_SLIDER_0);
        RECT thumb;
        SendMessageA(slider, TBM_GETTHUMBRECT, 0, reinterpret_cast<LPARAM>(&thumb));
        POINT centre{(thumb.left + thumb.right) / 2, (thumb.top + thumb.bottom) / 2};
        Click(slider, POINT{thumb.left - 3, centre.y});
        EXPECT_EQ("E1", Text(IDC_STRING_NOTE_0));
        SendMessageA(slider, TBM_GETTHUMBRECT, 0, reinterpret_cast<LPARAM>(&thumb));
        centre.x = (thumb.left + thumb.right) / 2;
        Send(slider, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(centre.x, centre.y));
        Send(slider, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(0, centre.y));
        whileDragging = Text(IDC_STRING_NOTE_0);
        Send(slider, WM_LBUTTONUP, 0, MAKELPARAM(0, centre.y));
        ClickItem(1, true);
        EXPECT_EQ("oC", Marks());
        Arrow(true, 1);
        ClickItem(0);
        EXPECT_EQ("E2,A2,D3,G3,B3,E4", Notes()) << "each tuning keeps its own notes";
        Press(IDOK);
    })};
    EXPECT_EQ(YGuiDialog::CodeOk, Run(DefaultFile, steps));
    EXPECT_EQ("A0", whileDragging);
    EXPECT_EQ("Standard,Drop_D", Keys());
    EXPECT_EQ("-29, -24, -19, -14, -10, -5", Stored("Tunings", "Standard"));
    EXPECT_EQ("-48, -24, -19, -14, -10, -5", Stored("Tunings", "Drop_D"));
    EXPECT_EQ("Drop_D", Stored("Tuning", "CurrentTuning"));
    EXPECT_EQ("441", Stored("Tuning", "RootFrequency"));
    EXPECT_EQ(441.0, rootFrequency);
    EXPECT_EQ(-48, analyzer.TuningOffsets()[0]) << "the current tuning is loaded";
}

TEST_F(TuningDialogs, NamesAreFilteredAsTypedCheckedAgainOnOkAndUniqueAmongTheLiveTunings) {
    MessageBoxWatcher watcher;
    beeps.clear();
    ImportPatch beep("user32.dll", "MessageBeep", reinterpret_cast<void*>(RecordBeep));
    ASSERT_TRUE(beep.Installed());
    HWND create = nullptr, edit = nullptr;
    auto name = [&] { return TextOf(edit); };
    auto ok = [&] { return IsWindowEnabled(GetDlgItem(create, IDOK)) != 0; };
    Steps steps = {Do([&] { Press(IDC_CREATE_TUNING); }), WaitFor([&] { return (create = Dialog("Create Tuning")) != nullptr; }),
                   Do([&] {
                       edit = GetDlgItem(create, IDC_TUNING_NAME);
                       EXPECT_FALSE(ok());
                       Type(edit, " -");
                       EXPECT_EQ("", name());
                       EXPECT_FALSE(ok());
                       EXPECT_EQ((std::vector<UINT>{0xFFFFFFFF, 0xFFFFFFFF}), beeps);
                       Type(edit, "x\b");
                       EXPECT_FALSE(ok()) << "empty again";
                       Type(edit, "ABCDEFGHIJ0123456789K");
                       EXPECT_EQ("ABCDEFGHIJ0123456789", name());
                       EXPECT_TRUE(ok());
                       // Pasted text passes the filter: OK checks it.
                       SetWindowTextA(edit, "Bad name");
                       Press(IDOK, create);
                   }),
                   WaitFor([&] { return beeps.size() == 3; }), Do([&] {
                       EXPECT_TRUE(IsWindowVisible(create));
                       SetWindowTextA(edit, "standard");
                       Press(IDOK, create);
                   }),
                   WaitFor([&] { return watcher.Boxes().size() == 1; }), Do([&] {
                       EXPECT_TRUE(IsWindowVisible(create));
                       Press(IDCANCEL, create);
                   }),
                   WaitFor([] { return Dialog("Create Tuning") == nullptr; }), Do([&] {
                       EXPECT_EQ("Standard,Open_G,DADGAD", Items());
                       ClickItem(0);
                       Press(IDC_DELETE_TUNING);
                   })};
    // A name that only a deleted tuning had is free again.
    steps = steps + Create("STANDARD") + Steps{Do([&] {
                EXPECT_EQ("Open_G,DADGAD,STANDARD", Items());
                Press(IDOK);
            })};
    EXPECT_EQ(YGuiDialog::CodeOk, Run(ThreeTunings, steps));
    std::vector<ShownMessageBox> boxes = watcher.Boxes();
    ASSERT_EQ(1u, boxes.size());
    EXPECT_EQ("Fretlark Error", boxes[0].caption);
    EXPECT_EQ("Tuning name already exists.", boxes[0].text);
    EXPECT_EQ("Open_G,DADGAD,STANDARD", Keys()) << "the old key is gone, the new one is last";
    EXPECT_EQ("-29, -24, -19, -14, -10, -5", Stored("Tunings", "Standard"));
}

TEST_F(TuningDialogs, DeletingMovesSelectionAndDotAndCancelStoresNothing) {
    MessageBoxWatcher watcher;
    Steps steps = {Do([&] {
                       EXPECT_EQ("oCo", Marks()) << "the current tuning is selected";
                       EXPECT_EQ("D2,G2,D3,G3,B3,D4", Notes());
                       Arrow(true, 2);
                       Press(IDC_DELETE_TUNING);
                   }),
                   Do([&] {
                       EXPECT_EQ("Standard,DADGAD", Items());
                       EXPECT_EQ("Co", Marks()) << "the one before the deleted one";
                       EXPECT_EQ("E2,A2,D3,G3,B3,E4", Notes());
                       Press(IDC_DELETE_TUNING);
                   }),
                   Do([&] {
                       EXPECT_EQ("DADGAD", Items());
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
                Send(window, WM_CLOSE);
            })};
    EXPECT_EQ(YGuiDialog::CodeCancel, Run(ThreeTunings, steps));
    EXPECT_TRUE(watcher.Boxes().empty());
    EXPECT_EQ("Standard,Open_G,DADGAD", Keys());
    EXPECT_EQ("Open_G", Stored("Tuning", "CurrentTuning"));
    EXPECT_EQ(440.0, rootFrequency);
    EXPECT_EQ(-31, analyzer.TuningOffsets()[0]);
}

TEST_F(TuningDialogs, UnreadableTuningsAreHiddenAndRemovedOnOk) {
    Steps check = {Do([&] {
        EXPECT_EQ("Standard,Low", Items());
        EXPECT_EQ("oC", Marks());
        EXPECT_EQ("E1,A1,D2,G2,B2,E3", Notes());
        Press(IDOK);
    })};
    EXPECT_EQ(YGuiDialog::CodeOk, Run("[Tuning]\nCurrentTuning = low\n[Tunings]\nBroken = 1, 2, 3\n"
                                      "Standard = -29, -24, -19, -14, -10, -5\nLow = -41, -36, -31, -26, -22, -17\n",
                                      check));
    EXPECT_EQ("Standard,Low", Keys());
    EXPECT_EQ("Low", Stored("Tuning", "CurrentTuning")) << "as the list names it";

    // Nothing readable at all: OK purges the list, and the tuner stores its standard tuning anew.
    Steps empty = {Do([&] {
        EXPECT_EQ("", Items());
        EXPECT_FALSE(Enabled(IDC_STRING_SLIDER_0));
        Press(IDOK);
    })};
    EXPECT_EQ(YGuiDialog::CodeOk, Run("[Tuning]\nCurrentTuning = Broken\n[Tunings]\nBroken = 1, 2, 3\n", empty));
    EXPECT_EQ("Standard", Keys());
    EXPECT_EQ("Standard", Stored("Tuning", "CurrentTuning"));
}

// Without a "Standard" the tuner's fallback names a tuning that is not listed.
TEST_F(TuningDialogs, WhenNoListedTuningIsCurrentTheFirstOneBecomesIt) {
    Steps check = {Do([&] {
        EXPECT_EQ("Co", Marks());
        EXPECT_EQ("E1,A1,D2,G2,B2,E3", Notes());
        Press(IDOK);
    })};
    EXPECT_EQ(YGuiDialog::CodeOk, Run("[Tuning]\nCurrentTuning = Nowhere\n[Tunings]\nLow = -41, -36, -31, -26, -22, -17\n"
                                      "Open_G = -31, -26, -19, -14, -10, -7\n",
                                      check));
    EXPECT_EQ("Low", Stored("Tuning", "CurrentTuning"));
    EXPECT_EQ(-41, analyzer.TuningOffsets()[0]);
}

}  // namespace
