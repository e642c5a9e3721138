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

TEST(MessageBoxes, ErrorBoxByIdsShowsTheStringTableTextsWithTheErrorIcon) {
    ShownMessageBox box = Shown([] { ErrorBox(IDS_ERROR_TITLE, IDS_TUNING_EXISTS); });
    EXPECT_EQ("Fretlark Error", box.caption);
    EXPECT_EQ("Tuning name already exists.", box.text);
    EXPECT_EQ(ErrorIcon(), box.icon);
}

TEST(MessageBoxes, ErrorBoxesTakeTextsByIdOrAsGiven) {
    YString text;
    text.LoadResource(IDS_CANT_OPEN_WAVE_IN);
    text += "No driver.";
    ShownMessageBox box = Shown([&] { ErrorBox(IDS_ERROR_TITLE, text); });
    EXPECT_EQ("Fretlark Error", box.caption);
    EXPECT_EQ("Can't Open Wave Input Device.\nNo driver.", box.text);

    box = Shown([] { ErrorBox(YString("Title"), YString("Text")); });
    EXPECT_EQ("Title", box.caption);
    EXPECT_EQ("Text", box.text);
    EXPECT_EQ(ErrorIcon(), box.icon);
}

TEST(MessageBoxes, QuestionBoxesReportTheButtonPressed) {
    int pressed = 0;
    ShownMessageBox box = Shown([&] { pressed = QuestionBox(IDS_APP_TITLE, IDS_NO_CALIBRATION); }, IDCANCEL);
    EXPECT_EQ(IDCANCEL, pressed);
    EXPECT_EQ("Fretlark", box.caption);
    EXPECT_EQ("No calibration.", box.text);
    EXPECT_EQ(QuestionIcon(), box.icon);

    box = Shown([&] { pressed = QuestionBox(YString("Q"), YString("Sure?")); }, IDOK);
    EXPECT_EQ(IDOK, pressed);
    EXPECT_EQ("Sure?", box.text);

    box = Shown([&] { pressed = MessageBoxById(IDS_APP_TITLE, IDS_TUNING_EXISTS, MB_OKCANCEL); }, IDCANCEL);
    EXPECT_EQ(IDCANCEL, pressed);
    EXPECT_EQ(nullptr, box.icon);
}

TEST(MessageBoxes, AMissingTextIdThrowsBeforeAnyBoxIsShown) {
    MessageBoxWatcher watcher;
    EXPECT_YTHROW(ErrorBox(IDS_ERROR_TITLE, 4242u), YSystemException::KindSystem, 522, "Cpp/YString");
    EXPECT_TRUE(watcher.Boxes().empty());
}

}  // namespace
