#include <gtest/gtest.h>

#include <cstring>

#include "ExpectException.hpp"
#include "FailingMemory.hpp"
#include "YByteBuffer.hpp"

namespace {

constexpr const char* Source = "Cpp/YByteBuffer";

TEST(YByteBuffer, SettingTheSameSizeAgainTouchesNothing) {
    YByteBuffer buffer;
    buffer.SetSize(8192);
    buffer.Fill(0x5A);
    const unsigned char* block = buffer.Data();
    {
        FailingMemory noMemory;  // a second SetSize of the same size must not even ask for memory
        buffer.SetSize(8192);
    }
    EXPECT_EQ(block, buffer.Data());
    EXPECT_EQ(0x5A, buffer[8191]);
}

TEST(YByteBuffer, ResizingKeepsTheBytesThatFitAndZeroFreesTheBlock) {
    YByteBuffer buffer(4);
    buffer.Put(0, "\x01\x02\x03\x04", 4);
    buffer.SetSize(8);
    EXPECT_EQ(0, std::memcmp(buffer.Data(), "\x01\x02\x03\x04", 4));
    buffer.SetSize(2);
    EXPECT_EQ(2, buffer[1]);
    buffer.SetSize(0);
    EXPECT_EQ(nullptr, buffer.Data());
    EXPECT_EQ(0, buffer.Size());
}

TEST(YByteBuffer, AFailedAllocationKeepsTheOldBlockAndANegativeSizeIsRefused) {
    YByteBuffer buffer(4);
    buffer.Fill(7);
    {
        FailingMemory noMemory;
        EXPECT_YTHROW(buffer.SetSize(1 << 20), YSystemException::KindNoMemory, 73, Source);
    }
    ASSERT_EQ(4, buffer.Size());
    EXPECT_EQ(7, buffer[3]);
    EXPECT_YTHROW(buffer.SetSize(-1), YSystemException::KindIllegalParameter, 73, Source);
    EXPECT_EQ(4, buffer.Size());
}

TEST(YByteBuffer, CopiesAreDeep) {
    YByteBuffer original(3);
    original.Fill(1);
    YByteBuffer copy(original);
    YByteBuffer assigned;
    assigned = original;
    copy[0] = 9;
    assigned[0] = 8;
    EXPECT_EQ(1, original[0]);
    EXPECT_EQ(1, copy[1]);
    EXPECT_EQ(1, assigned[1]);
}

TEST(YByteBuffer, PutGetAndIndexingStayInsideTheBuffer) {
    YByteBuffer buffer(8);
    buffer.Fill(0);
    YByteBuffer source(3);
    source.Put(0, "abc", 3);

    EXPECT_EQ(8, buffer.Put(5, source));
    EXPECT_EQ(6, buffer.Put(4, source, 1, 2));
    EXPECT_EQ(2, buffer.Put(0, "xy", 2));
    char out[8];
    EXPECT_EQ(8, buffer.Get(0, out, 8));
    EXPECT_EQ(0, std::memcmp(out, "xy\0\0bcbc", 8));

    const YByteBuffer& constant = buffer;
    EXPECT_YTHROW(buffer[8], YSystemException::KindOutOfRange, 129, Source);
    EXPECT_YTHROW(constant[-1], YSystemException::KindOutOfRange, 129, Source);
    EXPECT_YTHROW(buffer.Put(6, source), YSystemException::KindOutOfRange, 187, Source);
    EXPECT_YTHROW(buffer.Put(-1, source), YSystemException::KindOutOfRange, 187, Source);
    EXPECT_YTHROW(buffer.Put(7, "ab", 2), YSystemException::KindOutOfRange, 200, Source);
    EXPECT_YTHROW(buffer.Put(0, source, 2, 2), YSystemException::KindOutOfRange, 214, Source);
    EXPECT_YTHROW(buffer.Put(7, source, 0, 2), YSystemException::KindOutOfRange, 214, Source);
    EXPECT_YTHROW(buffer.Get(7, out, 2), YSystemException::KindOutOfRange, 227, Source);
    // A count below 1 copies nothing but the offset is still checked.
    EXPECT_EQ(8, buffer.Get(8, out, 0));
    EXPECT_YTHROW(buffer.Get(9, out, 0), YSystemException::KindOutOfRange, 227, Source);
}

}  // namespace
