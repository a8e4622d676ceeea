#include <gtest/gtest.h>

#include "bluvat/readers/dvd_lpcm.h"

using namespace bluvat;
using Bytes = std::vector<uint8_t>;

namespace {

Bytes dvdPacket(uint8_t format, const Bytes& samples)
{
    const uint8_t head[] = {0xA0, 0x01, 0x00, 0x04, 0x00, format, 0x80};
    Bytes p(sizeof head + samples.size());
    std::copy(std::begin(head), std::end(head), p.begin());
    std::copy(samples.begin(), samples.end(), p.begin() + sizeof head);
    return p;
}

} // namespace

TEST(DvdLpcm, SixteenBitStereoBecomesFiveMillisecondFrames)
{
    DvdLpcmRepacker repacker;
    std::vector<DvdLpcmRepacker::Frame> frames;
    Bytes samples(960 + 2, 0); // one frame and half a sample frame more
    for (std::size_t i = 0; i < samples.size(); ++i)
        samples[i] = static_cast<uint8_t>(i);
    ASSERT_TRUE(repacker.Push(dvdPacket(0x01, samples), 1000, frames));
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0].pts, 1000u);
    EXPECT_EQ(Bytes(frames[0].bytes.begin(), frames[0].bytes.begin() + 4), (Bytes{0x03, 0xC0, 0x31, 0x40}));
    EXPECT_EQ(Bytes(frames[0].bytes.begin() + 4, frames[0].bytes.end()), Bytes(samples.begin(), samples.begin() + 960));

    // the held half sample frame is completed by the next packet; the next frame runs on 5 ms later
    frames.clear();
    ASSERT_TRUE(repacker.Push(dvdPacket(0x01, Bytes(958, 0xEE)), 99999, frames));
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0].pts, 1450u);
    EXPECT_EQ(frames[0].bytes[4], 960 % 256);
    EXPECT_EQ(frames[0].bytes[5], 961 % 256);
    EXPECT_EQ(frames[0].bytes[6], 0xEE);
}

TEST(DvdLpcm, TwentyFourBitGroupsAreUnpackedSampleBySample)
{
    DvdLpcmRepacker repacker;
    std::vector<DvdLpcmRepacker::Frame> frames;
    Bytes dvd;
    for (int group = 0; group < 120; ++group) // 240 sample frames = 5 ms at 48 kHz
        dvd.insert(dvd.end(), {0xA0, 0xA1, 0xB0, 0xB1, 0xC0, 0xC1, 0xD0, 0xD1, 0xA2, 0xB2, 0xC2, 0xD2});
    ASSERT_TRUE(repacker.Push(dvdPacket(0x81, dvd), 0, frames));
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0].bytes.size(), 4u + 1440u);
    EXPECT_EQ(frames[0].bytes[3], 0xC0); // 24 bits
    EXPECT_EQ(Bytes(frames[0].bytes.begin() + 4, frames[0].bytes.begin() + 16),
              (Bytes{0xA0, 0xA1, 0xA2, 0xB0, 0xB1, 0xB2, 0xC0, 0xC1, 0xC2, 0xD0, 0xD1, 0xD2}));
}

TEST(DvdLpcm, OtherLayoutsAndUntimedSamplesAreNotCarried)
{
    DvdLpcmRepacker repacker;
    std::vector<DvdLpcmRepacker::Frame> frames;
    EXPECT_FALSE(repacker.Push(dvdPacket(0x05, Bytes(1200, 0)), 0, frames)); // six channels
    EXPECT_FALSE(repacker.Push(dvdPacket(0x41, Bytes(1200, 0)), 0, frames)); // 20 bits
    EXPECT_TRUE(repacker.Push(dvdPacket(0x01, Bytes(2000, 0)), std::nullopt, frames));
    EXPECT_TRUE(frames.empty());
    EXPECT_TRUE(repacker.Push(Bytes{0xA0, 0x01}, 0, frames)); // too short to hold a header
    EXPECT_TRUE(frames.empty());
}
