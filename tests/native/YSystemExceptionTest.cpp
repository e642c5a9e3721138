#include <gtest/gtest.h>

#include <string>

#include "YLibText.hpp"
#include "YString.hpp"
#include "YSystemException.hpp"

namespace {

TEST(YSystemException, EachKindIsReportedWithItsTextAndTheLocation) {
    const std::string location = "\n\nFile: Cpp/YString\nLine: 479";
    const char* texts[] = {"Unknown.", "Unknown.", "Not Enough Memory", nullptr, "GUI Error",
                           "Subscript Out of Range", "Illegal parameter.", "NULL pointer assigment.", "Unknown."};
    for (int kind = -1; kind <= 8; ++kind) {
        YSystemException e(kind, 479, "Cpp/YString");
        std::string message = e.Message().CStr();
        if (kind == YSystemException::KindSystem) {
            EXPECT_EQ(0u, message.find("Windows System Error:\n"));
            EXPECT_EQ(message.size() - location.size(), message.rfind(location));
        } else {
            EXPECT_EQ((kind < 0 ? "Unknown." : texts[kind]) + location, message) << "kind " << kind;
            EXPECT_EQ(0u, e.SystemError()) << "kind " << kind;
        }
    }
}

TEST(YLibText, TheTableKeepsItsIndicesAndRefusesOthers) {
    EXPECT_STREQ("", YLibText(0));
    EXPECT_STREQ("Invalid communication parameters.", YLibText(20));
    EXPECT_STREQ("", YLibText(21));
    EXPECT_STREQ("", YLibText(-1));
}

}  // namespace
