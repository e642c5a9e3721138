#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ExpectException.hpp"
#include "TemporaryDirectory.hpp"
#include "YTextFile.hpp"

namespace {

std::string Text(const YString& s) { return std::string(s.CStr(), s.Length()); }

TEST(YTextFile, OnlyTheLowTwoBitsOfTheModeCountAndNoneOfThemIsIllegal) {
    TemporaryDirectory directory;
    std::string path = directory.File("a.txt");
    WriteBytes(path, "x\n");
    YTextFile file;
    EXPECT_YTHROW(file.Open(path.c_str(), 0), YSystemException::KindIllegalParameter, 39, "Cpp/YTextFile");
    EXPECT_YTHROW(file.Open(path.c_str(), 4), YSystemException::KindIllegalParameter, 39, "Cpp/YTextFile");
    ASSERT_TRUE(file.Open(path.c_str(), 4 | YTextFile::ModeRead));
    YString line;
    file.ReadLine(line);
    EXPECT_EQ("x", Text(line));
    EXPECT_FALSE(file.Open(directory.File("missing.txt").c_str(), YTextFile::ModeRead));
    EXPECT_TRUE(file.IsEof());
}

TEST(YTextFile, ReadsLinesEndedByLineFeedsOrCrLfAndEveryOtherByteAsItStands) {
    TemporaryDirectory directory;
    std::string path = directory.File("lines.txt");
    WriteBytes(path, std::string("a\0b", 3) + "\r\nc\rd\n\nlast");
    YTextFile file;
    ASSERT_TRUE(file.Open(path.c_str(), YTextFile::ModeRead));
    std::vector<std::string> lines;
    YString line;
    while (!file.IsEof()) {
        file.ReadLine(line);
        lines.push_back(Text(line));
    }
    EXPECT_EQ((std::vector<std::string>{std::string("a\0b", 3), "c\rd", "", "last"}), lines);
}

TEST(YTextFile, WritesOneLineEndPerLineAndReportsWriteErrors) {
    TemporaryDirectory directory;
    std::string path = directory.File("out.txt");
    YTextFile file;
    ASSERT_TRUE(file.Open(path.c_str(), YTextFile::ModeWrite));
    EXPECT_TRUE(file.WriteLine("one"));
    EXPECT_TRUE(file.WriteLine("two\n"));
    EXPECT_TRUE(file.WriteLine(""));
    EXPECT_TRUE(file.Close());
    EXPECT_EQ(TextFileLines({"one", "two", ""}), ReadBytes(path));

    ASSERT_TRUE(file.Open(path.c_str(), YTextFile::ModeRead));
    EXPECT_FALSE(file.WriteLine("not for a file opened for reading"));
}

}  // namespace
