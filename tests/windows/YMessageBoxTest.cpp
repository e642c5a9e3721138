#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <string>

#include "ExpectException.hpp"
#include "MessageBoxWatcher.hpp"
#include "YMessageBox.hpp"
#include "foundation_tests_resource.h"
#include "resource.h"

namespace {

// What a box showed: "caption: text (style)".
std::string Shown(const ShownMessageBox& box) { return box.caption + ": " + box.text + " (" + std::to_string(box.style) + ")"; }

// The platform's text for an error code.
std::string Reason(DWORD code) {
    char text[512] = {};
    FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
                   text, sizeof text, nullptr);
    return text;
}

// Texts by id or as given; error boxes with the error icon and OK (16), question boxes with the
// question icon, OK and Cancel (33); the button pressed is the answer. The report of a failed
// platform call: "Exception", "Windows System Error:" and the platform's text for its code on a
// line of their own, then the location. A missing text throws first.
TEST(MessageBoxes, ShowTheirTextsInTheirStyleAndAnswerTheButtonPressed) {
    ASSERT_EQ(INVALID_HANDLE_VALUE, CreateFileA("C:\\no such directory\\x.ini", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    const YSystemException system(YSystemException::KindSystem, 522, "Cpp/YString");
    for (auto [show, press, shown] : std::vector<std::tuple<std::function<int()>, int, std::string>>{
             {[] { return ErrorBox(IDS_ERROR_TITLE, IDS_TUNING_EXISTS), IDOK; }, IDOK, "Fretlark Error: Tuning name already exists. (16)"},
             {[] { return ErrorBox(IDS_ERROR_TITLE, YString("No driver.")), IDOK; }, IDOK, "Fretlark Error: No driver. (16)"},
             {[] { return ErrorBox(YString("Title"), YString("Text")), IDOK; }, IDOK, "Title: Text (16)"},
             {[] { return QuestionBox(IDS_APP_TITLE, IDS_NO_CALIBRATION); }, IDCANCEL, "Fretlark: No calibration. (33)"},
             {[] { return MessageBoxById(IDS_APP_TITLE, IDS_NO_CALIBRATION, MB_YESNO); }, IDNO, "Fretlark: No calibration. (4)"},
             {[&] { return system.Report(), IDOK; }, IDOK,
              "Exception: Windows System Error:\n" + Reason(ERROR_PATH_NOT_FOUND) + "\n\nFile: Cpp/YString\nLine: 522 (16)"}}) {
        MessageBoxWatcher watcher(press);
        EXPECT_EQ(press, show());
        EXPECT_EQ(shown, watcher.Boxes().empty() ? "none" : Shown(watcher.Boxes()[0]));
    }
    MessageBoxWatcher watcher;
    EXPECT_YTHROW(ErrorBox(IDS_ERROR_TITLE, ID_TEST_MISSING), YSystemException::KindSystem, 522, "Cpp/YString");
    EXPECT_TRUE(watcher.Boxes().empty());
}

// Entries serve as formats; a missing entry (kind 3) or an overflow (kind 1) throws its own line
// and leaves the string as it was.
TEST(StringTable, AMissingOrTooLongEntryThrowsItsLineAndLeavesTheStringAsItWas) {
    YString text;
    text.FormatResource(IDS_ILLEGAL_FREQUENCY, 100.0, 4000.0);
    text.AppendFormatResource(IDS_TEST_VALUE, 42);
    EXPECT_YTHROW(text.LoadResource(ID_TEST_MISSING), YSystemException::KindSystem, 522, "Cpp/YString");
    EXPECT_YTHROW(text.FormatResource(ID_TEST_MISSING, 1), YSystemException::KindSystem, 566, "Cpp/YString");
    EXPECT_YTHROW(text.AppendFormatResource(ID_TEST_MISSING, 1), YSystemException::KindSystem, 620, "Cpp/YString");
    EXPECT_YTHROW(text.FormatResource(IDS_TEST_TOO_LONG, 1), YSystemException::KindUnknown, 573, "Cpp/YString");
    EXPECT_YTHROW(text.AppendFormatResource(IDS_TEST_TOO_LONG, 1), YSystemException::KindUnknown, 627, "Cpp/YString");
    EXPECT_STREQ("Illegal frequency value.\nValid frequencies: [100..4000] and value 42", text.CStr());
}

}  // namespace
