#include "platform/byte_writer.h"

#include <gtest/gtest.h>

TEST(ByteWriter, BothByteOrdersAndPatches)
{
    platform::BigEndianWriter be;
    be.u8(1).u16(0x0203).u24(0x040506).u32(0x0708090A).text("AB", 4);
    be.PatchU16(1, 0xBEEF);
    EXPECT_EQ(be.data(), (std::vector<uint8_t>{1, 0xBE, 0xEF, 4, 5, 6, 7, 8, 9, 10, 'A', 'B', 0, 0}));

    platform::LittleEndianWriter le;
    le.u16(0x0102).u32(0x03040506).u64(0x0708090A0B0C0D0Eull);
    EXPECT_EQ(le.data(), (std::vector<uint8_t>{2, 1, 6, 5, 4, 3, 0x0E, 0x0D, 0x0C, 0x0B, 0x0A, 9, 8, 7}));
    EXPECT_THROW(le.PatchU32(12, 0), std::out_of_range);
}

TEST(ByteReader, ReadsPastTheEndFailInsteadOfOverrunning)
{
    const uint8_t bytes[] = {0x12, 0x34, 0x56};
    platform::BigEndianReader r(bytes, sizeof bytes);
    EXPECT_EQ(r.u16(), 0x1234u);
    EXPECT_FALSE(r.failed());
    EXPECT_EQ(r.u16(), 0u);
    EXPECT_TRUE(r.failed());
    platform::LittleEndianReader l(bytes, sizeof bytes);
    EXPECT_EQ(l.u24(), 0x563412u);
    l.skip(1);
    EXPECT_TRUE(l.failed());
}
