#include <gtest/gtest.h>

#include <string>

#include "YLibText.hpp"
#include "YString.hpp"
#include "YSystemException.hpp"

namespace {

std::string MessageOf(int kind) { return YSystemException(kind, 479, "Cpp/YString").Message().CStr(); }

TEST(YSystemException, EachKindIsReportedWithItsTextAndTheLocation) {
    const std::string location = "\n\nFile: Cpp/YString\nLine: 479";
    EXPECT_EQ("Unknown." + location, MessageOf(0));
    EXPECT_EQ("Unknown." + location, MessageOf(1));
    EXPECT_EQ("Not Enough Memory" + location, MessageOf(2));
    EXPECT_EQ("GUI Error" + location, MessageOf(4));
    EXPECT_EQ("Subscript Out of Range" + location, MessageOf(5));
    EXPECT_EQ("Illegal parameter." + location, MessageOf(6));
    EXPECT_EQ("NULL pointer assigment." + location, MessageOf(7));
    EXPECT_EQ("Unknown." + location, MessageOf(8));
    EXPECT_EQ("Unknown." + location, MessageOf(-1));
}

TEST(YSystemException, OnlyKindThreeCarriesASystemErrorCode) {
    YSystemException system(YSystemException::KindSystem, 522, "Cpp/YString");
    YSystemException gui(YSystemException::KindGui, 54, "Cpp/YGuiDialogBase");
    EXPECT_EQ(0u, gui.SystemError());
    EXPECT_EQ(54, gui.Line());
    std::string message = system.Message().CStr();
    EXPECT_EQ(0u, message.find("Windows System Error:\n"));
    EXPECT_NE(std::string::npos, message.find("\n\nFile: Cpp/YString\nLine: 522"));
}

TEST(YLibText, TheTableKeepsItsIndicesAndRefusesOthers) {
    EXPECT_STREQ("", YLibText(0));
    EXPECT_STREQ("Error", YLibText(1));
    EXPECT_STREQ("Illegal Integer Number", YLibText(2));
    EXPECT_STREQ("Illegal Real Number", YLibText(3));
    EXPECT_STREQ("Exception", YLibText(4));
    EXPECT_STREQ("\n\nFile: %s\nLine: %d", YLibText(5));
    EXPECT_STREQ("OK", YLibText(13));
    EXPECT_STREQ("Invalid communication parameters.", YLibText(20));
    EXPECT_STREQ("", YLibText(21));
    EXPECT_STREQ("", YLibText(-1));
}

}  // namespace
