#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "MessageBoxWatcher.hpp"
#include "YSystemException.hpp"

namespace {

ShownMessageBox ReportOf(const YSystemException& e) {
    MessageBoxWatcher watcher;
    e.Report();
    std::vector<ShownMessageBox> boxes = watcher.Boxes();
    EXPECT_EQ(1u, boxes.size());
    return boxes.empty() ? ShownMessageBox() : boxes[0];
}

std::string SystemText(DWORD code) {
    char* text = nullptr;
    FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code,
                   MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), reinterpret_cast<char*>(&text), 0, nullptr);
    std::string result = text ? text : "";
    LocalFree(text);
    return result;
}

TEST(ExceptionReport, ShowsTheKindsTextAndTheLocationWithTheErrorIcon) {
    const char* texts[] = {"Unknown.", "Unknown.", "Not Enough Memory", nullptr, "GUI Error",
                           "Subscript Out of Range", "Illegal parameter.", "NULL pointer assigment.", "Unknown."};
    for (int kind = 0; kind <= 8; ++kind) {
        if (kind == YSystemException::KindSystem) continue;
        ShownMessageBox box = ReportOf(YSystemException(kind, 479, "Cpp/YString"));
        EXPECT_EQ("Exception", box.caption) << "kind " << kind;
        EXPECT_EQ(std::string(texts[kind]) + "\n\nFile: Cpp/YString\nLine: 479", box.text) << "kind " << kind;
        EXPECT_EQ(ErrorIcon(), box.icon) << "kind " << kind;
    }
}

TEST(ExceptionReport, KindThreeShowsThePlatformsTextOnALineOfItsOwn) {
    HANDLE file = CreateFileA("C:\\no such directory\\no such file.ini", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_EQ(INVALID_HANDLE_VALUE, file);
    YSystemException e(YSystemException::KindSystem, 522, "Cpp/YString");
    ASSERT_EQ(ERROR_PATH_NOT_FOUND, e.SystemError());
    std::string platformText = SystemText(ERROR_PATH_NOT_FOUND);
    ASSERT_FALSE(platformText.empty());

    ShownMessageBox box = ReportOf(e);
    EXPECT_EQ("Exception", box.caption);
    EXPECT_EQ("Windows System Error:\n" + platformText + "\n\nFile: Cpp/YString\nLine: 522", box.text);
    EXPECT_EQ(ErrorIcon(), box.icon);
}

}  // namespace
