// The tuning dialogs where fretlark.exe's end-to-end case cannot look: the beeps of the Create
// Tuning dialog, and stored tunings that Setup > Tuning cannot read. Everything else a user does
// with them is checked end to end (tests/tools/fretlark_window_test.py).
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "ImportPatch.hpp"
#include "ModalDriver.hpp"
#include "TunerAnalyzer.hpp"
#include "TunerSettingsFixture.hpp"
#include "TuningSettingsDialog.hpp"
#include "resource.h"

namespace {

int beeps = 0;
BOOL WINAPI CountSimpleBeep(UINT type) { return beeps += type == 0xFFFFFFFF; }

HWND Dialog(const char* caption) {
    HWND found = FindWindowA("#32770", caption);
    return found && IsWindowVisible(found) ? found : nullptr;
}

void Press(const char* caption, int id) {
    PostMessageA(Dialog(caption), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(Dialog(caption), id)));
}

class TuningDialogs : public TunerSettingsFixture {
protected:
    // Runs the Tuning Settings dialog over `file`, loaded as at start-up, with the steps inside it.
    INT_PTR Run(const std::string& file, std::vector<ModalDriver::Step> steps) {
        LoadFile(file);
        analyzer.LoadCurrentTuning();
        TuningSettingsDialog dialog(analyzer);
        steps.insert(steps.begin(), WaitFor([] { return Dialog("Tuning Settings") != nullptr; }));
        ModalDriver driver(steps);
        INT_PTR code = dialog.RunModal();
        EXPECT_TRUE(driver.Finished());
        return code;
    }
    static std::string Listed() {
        HWND list = GetDlgItem(Dialog("Tuning Settings"), IDC_TUNING_LIST);
        std::string names;
        for (int position = 0; position < SendMessageA(list, LB_GETCOUNT, 0, 0); ++position) {
            char name[64] = "";
            SendMessageA(list, LB_GETTEXT, position, reinterpret_cast<LPARAM>(name));
            names += (position ? "," : "") + std::string(name);
        }
        return names + " current " + std::to_string(SendMessageA(list, LB_GETCURSEL, 0, 0));
    }

    TunerAnalyzer analyzer;
};

// A character that no name may hold beeps as it is typed; a pasted name beeps when OK refuses it.
TEST_F(TuningDialogs, ARefusedCharacterBeeps) {
    beeps = 0;
    ImportPatch beep("user32.dll", "MessageBeep", reinterpret_cast<void*>(CountSimpleBeep));
    ASSERT_TRUE(beep.Installed());
    HWND edit = nullptr;
    EXPECT_EQ(YGuiDialog::CodeCancel,
              Run("[Tunings]\nStandard = -29, -24, -19, -14, -10, -5\n",
                  {Do([] { Press("Tuning Settings", IDC_CREATE_TUNING); }), WaitFor([] { return Dialog("Create Tuning") != nullptr; }),
                   Do([&] {
                       edit = GetDlgItem(Dialog("Create Tuning"), IDC_TUNING_NAME);
                       for (char typed : std::string(" -x")) SendMessageA(edit, WM_CHAR, static_cast<unsigned char>(typed), 1);
                       EXPECT_EQ(2, beeps);
                       SetWindowTextA(edit, "Bad name");
                       Press("Create Tuning", IDOK);
                   }),
                   WaitFor([&] { return beeps == 3; }), Do([] { Press("Create Tuning", IDCANCEL); }),
                   WaitFor([] { return Dialog("Create Tuning") == nullptr; }), Do([] { Press("Tuning Settings", IDCANCEL); })}));
}

TEST_F(TuningDialogs, UnreadableTuningsAreHiddenAndOkRemovesThem) {
    const std::string low = "Low = -41, -36, -31, -26, -22, -17\n";
    const struct {
        std::string file;
        const char *listed, *keys, *current;
    } cases[] = {
        // Without a "Standard" the tuner's fallback names no listed tuning: the first listed one is current.
        {"[Tuning]\nCurrentTuning = Nowhere\n[Tunings]\n" + low + "Open_G = -31, -26, -19, -14, -10, -7\n", "Low,Open_G current 0",
         "Low,Open_G", "Low"},
        // Nothing readable: OK purges the list, and the tuner stores its standard tuning anew.
        {"[Tuning]\nCurrentTuning = Broken\n[Tunings]\nBroken = 1, 2, 3\n", " current -1", "Standard", "Standard"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(YGuiDialog::CodeOk, Run(c.file, {Do([&] {
                                              EXPECT_EQ(c.listed, Listed());
                                              Press("Tuning Settings", IDOK);
                                          })}));
        std::string keys;
        for (int index = 0; index < theSettings.KeyCount(SectionTunings); ++index) {
            YString key;
            theSettings.KeyAt(SectionTunings, index, key);
            keys += (index ? "," : "") + std::string(key.CStr());
        }
        EXPECT_EQ(c.keys, keys) << c.file;
        EXPECT_EQ(c.current, Stored("Tuning", "CurrentTuning")) << c.file;
    }
    EXPECT_EQ(-29, analyzer.TuningOffsets()[0]);
}

}  // namespace
