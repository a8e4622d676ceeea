#include <gtest/gtest.h>

#include "bluvat/readers/ebml.h"
#include "bluvat/readers/matroska_block.h"
#include "bluvat/readers/matroska_reader.h"

using namespace bluvat;
using Bytes = std::vector<uint8_t>;

TEST(Ebml, VarintsByLeadingZeros)
{
    Bytes one = {0x81};
    Bytes two = {0x40, 0x02};
    Bytes unknown = {0x01, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
    EXPECT_EQ(ebml::ReadVarint(one)->value, 1u);
    EXPECT_EQ(ebml::ReadVarint(two)->value, 2u);
    EXPECT_EQ(ebml::ReadVarint(two)->length, 2u);
    EXPECT_TRUE(ebml::ReadVarint(unknown)->allOnes);
    EXPECT_FALSE(ebml::ReadVarint(Bytes{0x00, 0x01}));          // no marker bit in the first byte
    EXPECT_FALSE(ebml::ReadVarint(Bytes{0x20, 0x01}));          // three bytes announced, two at hand
    EXPECT_FALSE(ebml::ReadVarint(Bytes{0x08, 0, 0, 0, 0}, 4)); // longer than an ID may be
    unsigned length = 0;
    EXPECT_EQ(*ebml::ReadSignedVarint(Bytes{0xBF}, length), 0); // 63 - 63
    EXPECT_EQ(*ebml::ReadSignedVarint(Bytes{0x80}, length), -63);
}

TEST(Ebml, HeadersAndChildrenStayInsideTheirParent)
{
    Bytes h = {0x1F, 0x43, 0xB6, 0x75, 0x82};
    auto header = ebml::ReadHeader(h);
    ASSERT_TRUE(header);
    EXPECT_EQ(header->id, ebml::id::Cluster);
    EXPECT_EQ(header->size, 2u);
    EXPECT_EQ(header->length, 5u);

    bool corrupt = false;
    Bytes two = {0xE7, 0x81, 0x05, 0xA3, 0x82, 0x01, 0x02};
    auto list = ebml::Children(two, corrupt);
    ASSERT_EQ(list.size(), 2u);
    EXPECT_FALSE(corrupt);
    EXPECT_EQ(list[1].offset, 5u);

    Bytes overrun = {0xE7, 0x81, 0x05, 0xA3, 0x88, 0x01, 0x02}; // claims 8 bytes, has 2
    list = ebml::Children(overrun, corrupt);
    ASSERT_EQ(list.size(), 2u);
    EXPECT_TRUE(corrupt);
    EXPECT_EQ(list[1].end(), overrun.size());

    corrupt = false;
    Bytes garbage = {0xE7, 0x81, 0x05, 0x00, 0x00};
    EXPECT_EQ(ebml::Children(garbage, corrupt).size(), 1u);
    EXPECT_TRUE(corrupt);
}

TEST(MatroskaBlock, HeaderAndUnlacedFrame)
{
    Bytes data = {0x82, 0xFF, 0xD8, 0x80, 0xAA, 0xBB};
    auto block = ParseMatroskaBlock(data);
    ASSERT_TRUE(block);
    EXPECT_EQ(block->track, 2u);
    EXPECT_EQ(block->relativeTime, -40);
    EXPECT_TRUE(block->keyFlag());
    ASSERT_EQ(block->frames.size(), 1u);
    EXPECT_EQ(block->frames[0].size(), 2u);
    EXPECT_FALSE(ParseMatroskaBlock(Bytes{0x81, 0x00}));
}

TEST(MatroskaBlock, EveryLacingGivesItsFrames)
{
    // Xiph: 3 frames of 256, 2 and 3 bytes; the first size is 255 + 1
    Bytes xiph = {0x81, 0, 0, 0x02, 0x02, 0xFF, 0x01, 0x02};
    xiph.insert(xiph.end(), 256, 0x11);
    xiph.insert(xiph.end(), {0x22, 0x22, 0x33, 0x33, 0x33});
    auto block = ParseMatroskaBlock(xiph);
    ASSERT_TRUE(block);
    ASSERT_EQ(block->frames.size(), 3u);
    EXPECT_EQ(block->frames[0].size(), 256u);
    EXPECT_EQ(block->frames[1][0], 0x22);
    EXPECT_EQ(block->frames[2].size(), 3u);

    // EBML: 3 frames of 4, 2 (difference -2) and 1 bytes
    Bytes ebmlLaced = {0x81, 0, 0, 0x06, 0x02, 0x84, 0xBD, 1, 1, 1, 1, 2, 2, 3};
    block = ParseMatroskaBlock(ebmlLaced);
    ASSERT_TRUE(block);
    ASSERT_EQ(block->frames.size(), 3u);
    EXPECT_EQ(block->frames[0].size(), 4u);
    EXPECT_EQ(block->frames[1].size(), 2u);
    EXPECT_EQ(block->frames[2][0], 3);

    Bytes fixed = {0x81, 0, 0, 0x04, 0x01, 1, 1, 2, 2};
    block = ParseMatroskaBlock(fixed);
    ASSERT_TRUE(block);
    ASSERT_EQ(block->frames.size(), 2u);
    EXPECT_EQ(block->frames[1][0], 2);
}

TEST(MatroskaBlock, LaceSizesBeyondTheBlockAreRejected)
{
    EXPECT_FALSE(ParseMatroskaBlock(Bytes{0x81, 0, 0, 0x04, 0x01, 1, 1, 2}));       // 3 bytes into 2 frames
    EXPECT_FALSE(ParseMatroskaBlock(Bytes{0x81, 0, 0, 0x02, 0x01, 0x09, 1, 2}));    // first frame 9 of 2
    EXPECT_FALSE(ParseMatroskaBlock(Bytes{0x81, 0, 0, 0x02, 0x05, 0xFF, 0xFF}));    // sizes run off the end
    EXPECT_FALSE(ParseMatroskaBlock(Bytes{0x81, 0, 0, 0x06, 0x02, 0x81, 0x80, 1})); // negative second size
    EXPECT_FALSE(ParseMatroskaBlock(Bytes{0x81, 0, 0, 0x06}));                      // no lace count
}

TEST(MatroskaBlock, RelativeTimeCountsFromTheCluster)
{
    EXPECT_EQ(MatroskaBlockTime(1000, -40, 1000000), 86400);
    EXPECT_EQ(MatroskaBlockTime(0, -40, 1000000), -3600);
    EXPECT_EQ(MatroskaBlockTime(1000, 0, 100000), 9000); // a 0.1 ms time scale
    EXPECT_EQ(MatroskaBlockTime(uint64_t{1} << 40, 0, 1000000), int64_t{90} << 40);
}
