#include <gtest/gtest.h>

#include <windows.h>

#include "ExpectException.hpp"
#include "MessageBoxWatcher.hpp"
#include "YMessageBox.hpp"
#include "resource.h"

namespace {

template <class Show>
ShownMessageBox Shown(Show show, int button = IDOK) {
    MessageBoxWatcher watcher(button);
    show();
    std::vector<ShownMessageBox> boxes = watcher.Boxes();
    EXPECT_EQ(1u, boxes.size());
    return boxes.empty() ? ShownMessageBox() : boxes[0];
}

void ExpectBox(const ShownMessageBox& box, const char* caption, const char* text, HICON icon) {
    EXPECT_EQ(caption, box.caption);
    EXPECT_EQ(text, box.text);
    EXPECT_EQ(icon, box.icon);
}

TEST(MessageBoxes, ErrorBoxesTakeTextsByIdOrAsGivenAndShowTheErrorIcon) {
    ExpectBox(Shown([] { ErrorBox(IDS_ERROR_TITLE, IDS_TUNING_EXISTS); }), "Fretlark Error", "Tuning name already exists.",
              ErrorIcon());
    ExpectBox(Shown([] { ErrorBox(IDS_ERROR_TITLE, YString("No driver.")); }), "Fretlark Error", "No driver.", ErrorIcon());
    ExpectBox(Shown([] { ErrorBox(YString("Title"), YString("Text")); }), "Title", "Text", ErrorIcon());
}

TEST(MessageBoxes, QuestionBoxesReportTheButtonPressed) {
    int pressed = 0;
    ExpectBox(Shown([&] { pressed = QuestionBox(IDS_APP_TITLE, IDS_NO_CALIBRATION); }, IDCANCEL), "Fretlark", "No calibration.",
              QuestionIcon());
    EXPECT_EQ(IDCANCEL, pressed);
    ExpectBox(Shown([&] { pressed = QuestionBox(YString("Q"), YString("Sure?")); }, IDOK), "Q", "Sure?", QuestionIcon());
    EXPECT_EQ(IDOK, pressed);
    ExpectBox(Shown([&] { pressed = MessageBoxById(IDS_APP_TITLE, IDS_TUNING_EXISTS, MB_OKCANCEL); }, IDCANCEL), "Fretlark",
              "Tuning name already exists.", nullptr);
    EXPECT_EQ(IDCANCEL, pressed);
}

TEST(MessageBoxes, AMissingTextIdThrowsBeforeAnyBoxIsShown) {
    MessageBoxWatcher watcher;
    EXPECT_YTHROW(ErrorBox(IDS_ERROR_TITLE, 4242u), YSystemException::KindSystem, 522, "Cpp/YString");
    EXPECT_TRUE(watcher.Boxes().empty());
}

}  // namespace
