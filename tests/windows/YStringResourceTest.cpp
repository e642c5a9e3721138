#include <gtest/gtest.h>

#include <string>

#include "ExpectException.hpp"
#include "YByteBuffer.hpp"
#include "YModule.hpp"
#include "YString.hpp"
#include "foundation_tests_resource.h"
#include "resource.h"

namespace {

constexpr const char* Source = "Cpp/YString";

std::string Loaded(unsigned id) {
    YString text;
    text.LoadResource(id);
    return text.CStr();
}

TEST(StringTable, HoldsTheProgramsTexts) {
    EXPECT_EQ("Fretlark", Loaded(IDS_APP_TITLE));
    EXPECT_EQ("Fretlark Error", Loaded(IDS_ERROR_TITLE));
    EXPECT_EQ("Can't Open Wave Input Device.\n", Loaded(IDS_CANT_OPEN_WAVE_IN));
    EXPECT_EQ("Tuning name already exists.", Loaded(IDS_TUNING_EXISTS));
    EXPECT_EQ("Illegal frequency value.\nValid frequencies: [%.0f..%.0f]", Loaded(IDS_ILLEGAL_FREQUENCY));
    EXPECT_EQ("Sample Rate Calibration Wizard", Loaded(IDS_CALIBRATION_TITLE));
    EXPECT_EQ("No calibration.", Loaded(IDS_NO_CALIBRATION));
    EXPECT_EQ("Time left: %d sec", Loaded(IDS_TIME_LEFT));
    EXPECT_EQ("Measured sampling rate: %.2f\nCalibration rate: %.5f", Loaded(IDS_MEASURED_RATE));
    EXPECT_EQ("Calibration Rate: %.5f", Loaded(IDS_CALIBRATION_RATE));
    EXPECT_EQ("Calibration will take %d seconds. Please wait...", Loaded(IDS_CALIBRATION_WAIT));
}

TEST(StringTable, EntriesServeAsFormats) {
    YString text("old");
    text.FormatResource(IDS_ILLEGAL_FREQUENCY, 100.0, 4000.0);
    EXPECT_STREQ("Illegal frequency value.\nValid frequencies: [100..4000]", text.CStr());
    text = "x: ";
    text.AppendFormatResource(IDS_TEST_VALUE, 42);
    EXPECT_STREQ("x: value 42", text.CStr());
}

TEST(StringTable, AMissingEntryOrAnOverflowThrowsAndLeavesTheString) {
    YString text("unchanged");
    constexpr unsigned missing = IDS_TEST_VALUE + 77;
    try {
        text.LoadResource(missing);
        FAIL() << "nothing thrown";
    } catch (const YSystemException& e) {
        EXPECT_EQ(YSystemException::KindSystem, e.Kind());
        EXPECT_EQ(522, e.Line());
        EXPECT_STREQ(Source, e.SourceFile());
        EXPECT_NE(0u, e.SystemError());
    }
    EXPECT_YTHROW(text.FormatResource(missing, 1), YSystemException::KindSystem, 566, Source);
    EXPECT_YTHROW(text.AppendFormatResource(missing, 1), YSystemException::KindSystem, 620, Source);
    EXPECT_YTHROW(text.FormatResource(IDS_TEST_TOO_LONG, 1), YSystemException::KindUnknown, 573, Source);
    EXPECT_YTHROW(text.AppendFormatResource(IDS_TEST_TOO_LONG, 1), YSystemException::KindUnknown, 627, Source);
    EXPECT_STREQ("unchanged", text.CStr());
}

TEST(ByteBufferResource, LoadsABinaryResourceAndReportsEachFailure) {
    YByteBuffer buffer(2);
    EXPECT_TRUE(buffer.LoadResource(IDR_TEST_BINARY));
    ASSERT_EQ(4, buffer.Size());
    EXPECT_EQ('F', buffer[0]);
    EXPECT_EQ(2, buffer[2]);
    EXPECT_EQ('L', buffer[3]);
    EXPECT_YTHROW(buffer.LoadResource(IDR_TEST_MISSING), YSystemException::KindUnknown, 153, "Cpp/YByteBuffer");
    EXPECT_YTHROW(buffer.LoadResource(IDR_TEST_EMPTY), YSystemException::KindUnknown, 158, "Cpp/YByteBuffer");
    EXPECT_EQ(4, buffer.Size());
}

TEST(Module, TheDirectoryHasNoTrailingBackslash) {
    SetModulePath("C:\\Tools\\tuner.exe");
    YLibInit();
    EXPECT_STREQ("C:\\Tools", ModuleDirectory().CStr());
    EXPECT_EQ(GetModuleHandleA(nullptr), ModuleInstance());
    YLibTerm();
    EXPECT_TRUE(ModuleDirectory().IsEmpty());
}

}  // namespace
