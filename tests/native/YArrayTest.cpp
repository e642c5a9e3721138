#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "ExpectException.hpp"
#include "FailingMemory.hpp"
#include "YArray.hpp"
#include "YDynArray.hpp"
#include "YMemory.hpp"
#include "YString.hpp"

namespace {

constexpr const char* ArraySource = "hpp/YArray";
constexpr const char* DynSource = "hpp/YDynArray";

TEST(YArray, OnlyANewSizeReplacesTheElementsButEveryResizeForgetsTheCursor) {
    YArray<YString> a;
    a.SetSize(3);
    a[0] = "low E";
    a.SetCursor(1);
    a.SetSize(3);
    EXPECT_EQ("low E", a[0]);
    EXPECT_EQ(nullptr, a.Cursor());
    a.SetSize(4);
    for (int i = 0; i < 4; ++i) EXPECT_TRUE(a[i].IsEmpty());
    a.SetSize(0);
    EXPECT_EQ(nullptr, a.Data());
}

TEST(YArray, AccessOutsideTheBoundsAndNegativeSizesThrow) {
    YArray<double> a;
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

// An element so large that a pointer one step beyond the end of any block wraps around the
// address space, which the sanitizers report. Its constructor writes nothing, so a small block can
// stand in for the array.
struct Huge {
    Huge() {}
    unsigned char bytes[static_cast<std::size_t>(PTRDIFF_MAX) - 4095];
};

unsigned char standInBlock[16];
void* StandIn(std::size_t) { return standInBlock; }
void* NoBlock(void*, std::size_t) { return nullptr; }
void KeepBlock(void*) {}

TEST(YArray, AdvanceAtTheEndThrowsBeforeItMoves) {
    const YMemoryFunctions standIn = {StandIn, NoBlock, KeepBlock};
    YMemory::SetFunctions(&standIn);
    {
        YArray<Huge> a;
        a.SetSize(1);
        a.SetCursor(0);
        a.Advance();
        EXPECT_YTHROW(a.Advance(), YSystemException::KindOutOfRange, 199, ArraySource);
        EXPECT_EQ(a.Data() + 1, a.Cursor());
    }
    YMemory::SetFunctions(nullptr);
}

TEST(YArray, AFailedAllocationLeavesTheArrayEmpty) {
    YArray<int> a;
    a.SetSize(4);
    {
        FailingMemory noMemory;
        EXPECT_YTHROW(a.SetSize(8), YSystemException::KindNoMemory, 72, ArraySource);
    }
    EXPECT_EQ(0, a.Count());
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
        EXPECT_EQ(i, std::atoi(a[i].CStr()));
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
    EXPECT_YTHROW(a.SetSize(-1), YSystemException::KindIllegalParameter, 94, DynSource);
    a.Add();
    a.Last() = 3;
    EXPECT_EQ(3, a[0]);
    EXPECT_YTHROW(a[-1], YSystemException::KindOutOfRange, 173, DynSource);
}

TEST(YDynArray, AFailedGrowthKeepsTheElementsAndTheCount) {
    struct Case {
        int count, successes, newCount, line;
    };
    // Failing in turn: a new table, a new table's first block, a grown table, a grown table's second new block.
    for (Case c : {Case{0, 0, 1, 108}, Case{0, 1, 1, 119}, Case{32, 0, 33, 130}, Case{32, 2, 100, 139}}) {
        SCOPED_TRACE(c.line);
        YDynArray<int> a;
        a.SetSize(c.count);
        for (int i = 0; i < c.count; ++i) a[i] = i;
        const int* first = c.count > 0 ? &a[0] : nullptr;
        {
            FailingMemory noMemory(c.successes);
            EXPECT_YTHROW(a.SetSize(c.newCount), YSystemException::KindNoMemory, c.line, DynSource);
        }
        ASSERT_EQ(c.count, a.Count());
        if (c.count > 0) {
            EXPECT_EQ(first, &a[0]);
            EXPECT_EQ(c.count - 1, a[c.count - 1]);
        }
        a.SetSize(100);
        a[99] = 1;
        EXPECT_EQ(1, a.Last());
    }
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
