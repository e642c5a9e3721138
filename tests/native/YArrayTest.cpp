#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "ExpectException.hpp"
#include "FailingMemory.hpp"
#include "YArray.hpp"
#include "YDynArray.hpp"
#include "YString.hpp"

namespace {

constexpr const char* ArraySource = "hpp/YArray";
constexpr const char* DynSource = "hpp/YDynArray";

TEST(YArray, ResizingToTheSameSizeKeepsTheElementsButForgetsTheCursor) {
    YArray<int> a;
    a.SetSize(3);
    a[0] = 7;
    a[2] = 9;
    a.SetCursor(1);
    a.SetSize(3);
    EXPECT_EQ(7, a[0]);
    EXPECT_EQ(9, a[2]);
    EXPECT_EQ(nullptr, a.Cursor());
}

TEST(YArray, ResizingToAnotherSizeLosesEveryOldValue) {
    YArray<YString> a;
    a.SetSize(2);
    a[0] = "low E";
    a.SetSize(4);
    ASSERT_EQ(4, a.Count());
    for (int i = 0; i < 4; ++i) EXPECT_TRUE(a[i].IsEmpty());
    a.SetSize(0);
    EXPECT_EQ(nullptr, a.Data());
}

TEST(YArray, AccessOutsideTheBoundsAndNegativeSizesThrow) {
    YArray<double> a;
    EXPECT_YTHROW(a[0], YSystemException::KindOutOfRange, 113, ArraySource);
    a.SetSize(2);
    const YArray<double>& constant = a;
    EXPECT_YTHROW(constant[2], YSystemException::KindOutOfRange, 113, ArraySource);
    EXPECT_YTHROW(a[-1], YSystemException::KindOutOfRange, 113, ArraySource);
    EXPECT_YTHROW(a.SetSize(-1), YSystemException::KindIllegalParameter, 58, ArraySource);
    EXPECT_EQ(2, a.Count());
}

TEST(YArray, TheCursorMayStandJustBehindTheLastElementButNoFurther) {
    YArray<int> a;
    a.SetSize(2);
    a.Fill(5);
    EXPECT_YTHROW(a.SetCursor(2), YSystemException::KindOutOfRange, 187, ArraySource);
    a.SetCursor(1);
    EXPECT_EQ(5, *a.Cursor());
    a.Advance();
    EXPECT_EQ(a.Data() + 2, a.Cursor());
    EXPECT_YTHROW(a.Advance(), YSystemException::KindOutOfRange, 199, ArraySource);
}

TEST(YArray, AFailedAllocationLeavesTheArrayEmpty) {
    YArray<int> a;
    a.SetSize(4);
    {
        FailingMemory noMemory;
        EXPECT_YTHROW(a.SetSize(8), YSystemException::KindNoMemory, 72, ArraySource);
    }
    EXPECT_EQ(0, a.Count());
    EXPECT_YTHROW(a[0], YSystemException::KindOutOfRange, 113, ArraySource);
}

TEST(YDynArray, ElementsNeverMoveWhileTheArrayGrows) {
    YDynArray<YString> a;
    std::vector<const YString*> addresses;
    for (int i = 0; i < 100; ++i) {
        EXPECT_EQ(i, a.Add());
        a[i].Format("%d", i);
        addresses.push_back(&a[i]);
    }
    a.SetSize(1000);
    for (int i = 0; i < 100; ++i) {
        EXPECT_EQ(addresses[i], &a[i]);
        EXPECT_EQ(i, atoi(a[i].CStr()));
    }
}

TEST(YDynArray, ShrinkingKeepsTheSlotsOfSurvivingBlocks) {
    YDynArray<int> a;
    a.SetSize(40);
    for (int i = 0; i < 40; ++i) a[i] = 100 + i;
    a.SetSize(10);
    EXPECT_YTHROW(a[10], YSystemException::KindOutOfRange, 173, DynSource);
    a.SetSize(20);
    for (int i = 10; i < 20; ++i) EXPECT_EQ(100 + i, a[i]);
    // Block 1 (elements 32 to 39) was given back: its slots come back default-constructed.
    a.SetSize(40);
    EXPECT_EQ(0, a[35]);
}

TEST(YDynArray, MisuseThrowsWithItsLine) {
    YDynArray<int> a;
    EXPECT_YTHROW(a.Last(), YSystemException::KindOutOfRange, 239, DynSource);
    EXPECT_YTHROW(a[0], YSystemException::KindOutOfRange, 173, DynSource);
    EXPECT_YTHROW(a.SetSize(-1), YSystemException::KindIllegalParameter, 94, DynSource);
    a.Add();
    a.Last() = 3;
    EXPECT_EQ(3, a[0]);
    EXPECT_YTHROW(a[-1], YSystemException::KindOutOfRange, 173, DynSource);
}

TEST(YDynArray, AFailedGrowthKeepsTheElementsAndTheCount) {
    YDynArray<int> a;
    {
        FailingMemory noMemory;
        EXPECT_YTHROW(a.Add(), YSystemException::KindNoMemory, 108, DynSource);
    }
    {
        FailingMemory tableOnly(1);
        EXPECT_YTHROW(a.Add(), YSystemException::KindNoMemory, 119, DynSource);
    }
    EXPECT_EQ(0, a.Count());

    a.SetSize(32);
    for (int i = 0; i < 32; ++i) a[i] = i;
    int* first = &a[0];
    {
        FailingMemory noMemory;
        EXPECT_YTHROW(a.Add(), YSystemException::KindNoMemory, 130, DynSource);
    }
    {
        FailingMemory tableAndOneBlock(2);
        EXPECT_YTHROW(a.SetSize(100), YSystemException::KindNoMemory, 139, DynSource);
    }
    ASSERT_EQ(32, a.Count());
    EXPECT_EQ(first, &a[0]);
    EXPECT_EQ(31, a[31]);
    a.SetSize(100);
    a[99] = 1;
    EXPECT_EQ(1, a.Last());
}

TEST(YDynArray, AFailedShrinkOfTheTableStillTakesTheNewCount) {
    YDynArray<int> a;
    a.SetSize(70);
    a[5] = 55;
    {
        FailingMemory noMemory;
        EXPECT_YTHROW(a.SetSize(10), YSystemException::KindNoMemory, 159, DynSource);
    }
    EXPECT_EQ(10, a.Count());
    EXPECT_EQ(55, a[5]);
    a.SetSize(64);
    a[63] = 63;
    EXPECT_EQ(63, a.Last());
}

}  // namespace
