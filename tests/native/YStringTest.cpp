#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "ExpectException.hpp"
#include "FailingMemory.hpp"
#include "YString.hpp"

namespace {

constexpr const char* Source = "Cpp/YString";

std::string Text(const YString& s) { return std::string(s.CStr(), s.Length()); }

TEST(YString, GrowsInSixteenByteStepsAndNeverShrinks) {
    YString s;
    EXPECT_STREQ("", s.CStr());
    EXPECT_EQ(0u, s.Capacity());  // the empty view allocates nothing
    s.Format("%s", "hello");
    EXPECT_EQ(17u, s.Capacity());
    s.SetLength(15);
    EXPECT_EQ(17u, s.Capacity());
    s += 'x';
    EXPECT_EQ(33u, s.Capacity());
    s = "";
    EXPECT_EQ(0, s.Length());
    EXPECT_EQ(33u, s.Capacity());
}

TEST(YString, SetLengthPadsWithBlanksAndOnlyLowersTheLengthWhenShrinking) {
    YString s("a");
    s.SetLength(3);
    EXPECT_EQ("a  ", Text(s));
    s.SetLength(1);
    EXPECT_EQ("a", Text(s));
    s.SetLength(-4);
    EXPECT_TRUE(s.IsEmpty());
}

TEST(YString, CharacterAccessChecksTheIndex) {
    YString s("ab");
    const YString& constant = s;
    s[1] = 'c';
    EXPECT_EQ('c', constant[1]);
    EXPECT_YTHROW(s[2], YSystemException::KindOutOfRange, 479, Source);
    EXPECT_YTHROW(s[-1], YSystemException::KindOutOfRange, 479, Source);
    EXPECT_YTHROW(constant[2], YSystemException::KindOutOfRange, 487, Source);
}

TEST(YString, AppendingToItselfAndAssigningFromItsOwnText) {
    YString s("abcdefghij");
    s += s;
    EXPECT_EQ("abcdefghijabcdefghij", Text(s));
    s = s.CStr() + 15;
    EXPECT_EQ("fghij", Text(s));
}

TEST(YString, AFailedAllocationLeavesTheStringUnchanged) {
    YString full;
    full.SetLength(63);  // capacity 65: one more character needs a bigger block
    ASSERT_EQ(65u, full.Capacity());
    YString more("more"), other("x");
    {
        FailingMemory noMemory;
        EXPECT_YTHROW(full += 'y', YSystemException::KindNoMemory, 72, Source);
        EXPECT_EQ(63, full.Length());
        EXPECT_EQ(65u, full.Capacity());
        EXPECT_YTHROW(full += more, YSystemException::KindNoMemory, 72, Source);
        EXPECT_EQ(63, full.Length());
        EXPECT_YTHROW(other = full, YSystemException::KindNoMemory, 72, Source);
        EXPECT_EQ("x", Text(other));
        // The terminated view needs no memory, even where a 64th character would need a new block.
        EXPECT_EQ(63u, std::strlen(full.CStr()));
        EXPECT_EQ(3, noMemory.Refused());
    }
    full += 'y';
    EXPECT_EQ(64, full.Length());
    EXPECT_EQ('y', full[63]);
}

TEST(YString, SearchesTakeANegativeStartAsZeroAndFindNoEmptySubString) {
    YString s("E2 A2 E2");
    EXPECT_EQ(0, s.Find('E', -5));
    EXPECT_EQ(6, s.Find('E', 1));
    EXPECT_EQ(6, s.ReverseFind('E'));
    EXPECT_EQ(3, s.Find(YString("A2"), -1));
    EXPECT_EQ(-1, s.Find(YString("E2 "), 6));  // a match may not run past the end
    EXPECT_EQ(-1, s.Find(YString(""), 0));
}

TEST(YString, SubStringsStopAtTheEndOfTheText) {
    YString s("Standard");
    EXPECT_EQ("tan", Text(s.Range(1, 3)));
    EXPECT_EQ("dard", Text(s.Range(4, 100)));
    EXPECT_EQ("St", Text(s.Range(-3, 1)));
    EXPECT_EQ("and", Text(s.Mid(2, 3)));
    EXPECT_EQ("rd", Text(s.Mid(6, 10)));
    s.Delete(1, 3);
    EXPECT_EQ("Sdard", Text(s));
    s.Delete(3, 10);
    EXPECT_EQ("Sda", Text(s));
    s.Delete(3, 1);
    s.Delete(-1, 2);
    EXPECT_EQ("Sda", Text(s));
}

TEST(YString, NextTokenWalksASeparatedListFromTheLeft) {
    YString s("-29, -24");
    int index = 99;
    EXPECT_EQ("-29", Text(s.NextToken(",", index)));
    EXPECT_EQ(0, index);
    EXPECT_EQ(" -24", Text(s));
    EXPECT_EQ(" -24", Text(s.NextToken(",", index)));
    EXPECT_EQ(-1, index);
    EXPECT_TRUE(s.IsEmpty());

    YString several("a;b,,c");
    EXPECT_EQ("a", Text(several.NextToken(",;", index)));
    EXPECT_EQ(1, index);
    EXPECT_EQ("b", Text(several.NextToken(",;")));
    EXPECT_EQ("", Text(several.NextToken(",;", index)));
    EXPECT_EQ(0, index);
    EXPECT_EQ("c", Text(several));
}

TEST(YString, NulBytesAreTextNotSeparators) {
    YString s("ab");
    s += '\0';
    s += 'c';
    s += '\0';
    int index = 5;
    YString token = s.NextToken(",", index);
    EXPECT_EQ(5, token.Length());
    EXPECT_EQ(-1, index);
    token.Trim();
    EXPECT_EQ(5, token.Length());
}

TEST(YString, TrimStripsTheSetFromTheChosenEnds) {
    YString s("\t a b \t");
    s.Trim();
    EXPECT_EQ("a b", Text(s));
    YString both("xxabcxx");
    both.Trim(YString::TrimEnd, "x");
    EXPECT_EQ("xxabc", Text(both));
    both.Trim(YString::TrimStart, "x");
    EXPECT_EQ("abc", Text(both));
    YString all(" \t ");
    all.Trim();
    EXPECT_TRUE(all.IsEmpty());
}

TEST(YString, ToIntFollowsStrtolAndReportsWhereItStopped) {
    int value = -1, end = -1;
    EXPECT_TRUE(YString("12abc").ToInt(value, 0, end));
    EXPECT_EQ(12, value);
    EXPECT_EQ(2, end);
    EXPECT_TRUE(YString("x -7").ToInt(value, 1, end));
    EXPECT_EQ(-7, value);
    EXPECT_EQ(4, end);

    value = 55;
    EXPECT_FALSE(YString("abc").ToInt(value));
    EXPECT_FALSE(YString("").ToInt(value, 7));  // an empty string is not range-checked
    EXPECT_EQ(55, value);

    EXPECT_YTHROW(YString("12").ToInt(value, 2), YSystemException::KindOutOfRange, 387, Source);
    EXPECT_YTHROW(YString("12").ToInt(value, -1), YSystemException::KindOutOfRange, 387, Source);

    // Numbers beyond 32 bits saturate, as a 32-bit strtol does on every platform.
    EXPECT_TRUE(YString("99999999999").ToInt(value));
    EXPECT_EQ(2147483647, value);
    EXPECT_TRUE(YString("-99999999999").ToInt(value));
    EXPECT_EQ(-2147483647 - 1, value);
}

TEST(YString, ToDoubleFollowsStrtod) {
    double value = -1.0;
    int end = 0;
    EXPECT_TRUE(YString("1.5x").ToDouble(value, 0, end));
    EXPECT_DOUBLE_EQ(1.5, value);
    EXPECT_EQ(3, end);
    EXPECT_FALSE(YString("abc").ToDouble(value));
    EXPECT_FALSE(YString("").ToDouble(value, 3));
    EXPECT_DOUBLE_EQ(1.5, value);
    EXPECT_YTHROW(YString("1.0").ToDouble(value, 3), YSystemException::KindOutOfRange, 423, Source);
}

TEST(YString, FormatOverflowThrowsAndLeavesTheStringAsItWas) {
    YString s;
    std::string longText(1023, 'x');
    s.Format("%s", longText.c_str());
    EXPECT_EQ(1023, s.Length());
    s = "keep";
    EXPECT_YTHROW(s.Format("%s!", longText.c_str()), YSystemException::KindUnknown, 544, Source);
    EXPECT_EQ("keep", Text(s));
    EXPECT_YTHROW(s.AppendFormat("%s%s", longText.c_str(), "ab"), YSystemException::KindUnknown, 595, Source);
    EXPECT_EQ("keep", Text(s));
    s.AppendFormat("%d", -1);
    EXPECT_EQ("keep-1", Text(s));
}

TEST(YString, EqualityComparesLengthsAndBytes) {
    YString empty, a("a"), nul("a");
    nul += '\0';
    EXPECT_TRUE(empty == static_cast<const char*>(nullptr));
    EXPECT_TRUE(a != static_cast<const char*>(nullptr));
    EXPECT_TRUE(empty == YString(""));
    EXPECT_TRUE("a" == a);
    EXPECT_FALSE(nul == a);
    EXPECT_FALSE(nul == "a");
}

TEST(YString, OrderIsBySignedBytesWithShorterTextsFirstAndCaseCanBeIgnored) {
    EXPECT_EQ(-1, YString("a").Compare("ab"));
    EXPECT_EQ(1, YString("ab").Compare("a"));
    EXPECT_EQ(0, YString("ab").Compare("ab"));
    EXPECT_EQ(1, YString("a").Compare(nullptr));
    // 0xE9 is negative as a signed byte, so it sorts before every ASCII letter.
    EXPECT_EQ(-1, YString("\xE9").Compare("a"));
    EXPECT_EQ(1, YString("a").Compare("\xE9"));

    EXPECT_EQ(0, YString("ABC").CompareNoCase("abc"));
    // The sign comes from the unconverted characters: 'c' (0x63) > 'D' (0x44), 'Z' (0x5A) < 'a' (0x61).
    EXPECT_EQ(1, YString("abc").CompareNoCase("ABD"));
    EXPECT_EQ(-1, YString("Z").CompareNoCase("a"));
    EXPECT_EQ(1, YString("abc").CompareNoCase("AB"));
    EXPECT_EQ(-1, YString("\xC9").CompareNoCase("e"));

    YString lowered("AbC-1");
    lowered.MakeLower();
    EXPECT_EQ("abc-1", Text(lowered));
}

}  // namespace
