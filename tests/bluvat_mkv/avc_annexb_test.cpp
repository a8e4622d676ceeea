#include <gtest/gtest.h>

#include "bluvat/readers/avc_annexb.h"
#include "bluvat/readers/matroska_pes.h"
#include "bluvat/readers/pes_packet.h"

using namespace bluvat;
using Bytes = std::vector<uint8_t>;

namespace {

const Bytes kSps = {0x67, 0x64, 0x00, 0x1E};
const Bytes kPps = {0x68, 0xEE, 0x3C};

Bytes record(unsigned lengthSizeMinusOne = 3)
{
    Bytes r = {0x01, 0x64, 0x00, 0x1E, static_cast<uint8_t>(0xFC | lengthSizeMinusOne), 0xE1, 0x00, 0x04};
    r.insert(r.end(), kSps.begin(), kSps.end());
    r.insert(r.end(), {0x01, 0x00, 0x03});
    r.insert(r.end(), kPps.begin(), kPps.end());
    return r;
}

Bytes prefixed(std::initializer_list<Bytes> nals, unsigned lengthSize = 4)
{
    Bytes out;
    for (const Bytes& n : nals) {
        for (int i = static_cast<int>(lengthSize) - 1; i >= 0; --i)
            out.push_back(static_cast<uint8_t>(n.size() >> (8 * i)));
        out.insert(out.end(), n.begin(), n.end());
    }
    return out;
}

Bytes startCoded(std::initializer_list<Bytes> nals)
{
    Bytes out;
    for (const Bytes& n : nals) {
        out.insert(out.end(), {0, 0, 0, 1});
        out.insert(out.end(), n.begin(), n.end());
    }
    return out;
}

const Bytes kAud = {0x09, 0xF0};
const Bytes kIdr = {0x65, 0x88, 0x84};
const Bytes kSlice = {0x41, 0x9A, 0x02};
const Bytes kSei = {0x06, 0x05, 0x01};

} // namespace

TEST(AvcAnnexB, DecoderConfigGivesLengthSizeAndParameterSets)
{
    auto config = ParseAvcDecoderConfig(record());
    ASSERT_TRUE(config);
    EXPECT_EQ(config->lengthSize, 4u);
    EXPECT_EQ(config->parameterSets, startCoded({kSps, kPps}));
    EXPECT_EQ(ParseAvcDecoderConfig(record(1))->lengthSize, 2u);

    Bytes cut = record();
    cut.resize(cut.size() - 1);
    EXPECT_FALSE(ParseAvcDecoderConfig(cut));
    Bytes version = record();
    version[0] = 2;
    EXPECT_FALSE(ParseAvcDecoderConfig(version));
    EXPECT_FALSE(ParseAvcDecoderConfig(Bytes{}));
}

TEST(AvcAnnexB, KeyFramesGetDelimiterAndParameterSets)
{
    auto config = *ParseAvcDecoderConfig(record());
    Bytes out;
    EXPECT_TRUE(AppendAnnexB(prefixed({kSei, kIdr}), config, false, out)); // an IDR makes it a key frame
    EXPECT_EQ(out, startCoded({kAud, kSps, kPps, kSei, kIdr}));

    out.clear();
    EXPECT_TRUE(AppendAnnexB(prefixed({kSlice}), config, false, out));
    EXPECT_EQ(out, startCoded({kAud, kSlice}));

    out.clear(); // its own delimiter stays first; its own SPS means none are added
    EXPECT_TRUE(AppendAnnexB(prefixed({kAud, kSps, kPps, kIdr}), config, true, out));
    EXPECT_EQ(out, startCoded({kAud, kSps, kPps, kIdr}));

    auto shortLengths = *ParseAvcDecoderConfig(record(1));
    out.clear();
    EXPECT_TRUE(AppendAnnexB(prefixed({kSlice}, 2), shortLengths, true, out));
    EXPECT_EQ(out, startCoded({kAud, kSps, kPps, kSlice}));
}

TEST(AvcAnnexB, LengthPastTheFrameKeepsWhatCameBefore)
{
    auto config = *ParseAvcDecoderConfig(record());
    Bytes frame = prefixed({kSlice});
    frame.insert(frame.end(), {0x00, 0x00, 0x10, 0x00, 0x41});
    Bytes out;
    EXPECT_FALSE(AppendAnnexB(frame, config, false, out));
    EXPECT_EQ(out, startCoded({kAud, kSlice}));
}

TEST(MatroskaPes, HeadersByStreamType)
{
    MatroskaTrack h264;
    h264.streamType = 0x1B;
    h264.avc = *ParseAvcDecoderConfig(record());
    bool intact = true;
    Bytes frame = prefixed({kIdr});
    auto pes = MatroskaFramePes(h264, 86400, true, {frame}, intact);
    EXPECT_TRUE(intact);
    Bytes head(pes.begin(), pes.begin() + 9);
    EXPECT_EQ(head, (Bytes{0, 0, 1, 0xE0, static_cast<uint8_t>((pes.size() - 6) >> 8),
                           static_cast<uint8_t>(pes.size() - 6), 0x84, 0x80, 0x05}));
    EXPECT_EQ(PesPts(pes), 86400u);
    Bytes payload(pes.begin() + 14, pes.end());
    EXPECT_EQ(payload, startCoded({kAud, kSps, kPps, kIdr}));

    MatroskaTrack ac3;
    ac3.streamType = 0x81;
    Bytes a = {0x0B, 0x77, 1, 2}, b = {0x0B, 0x77, 3, 4};
    pes = MatroskaFramePes(ac3, (uint64_t{1} << 33) + 5, true, {a, b}, intact); // laced frames in one packet
    ASSERT_EQ(pes.size(), 17u + 8u);
    EXPECT_EQ(pes[3], 0xBD);
    EXPECT_EQ(Bytes(pes.begin() + 6, pes.begin() + 9), (Bytes{0x84, 0x81, 0x08}));
    EXPECT_EQ(Bytes(pes.begin() + 14, pes.begin() + 17), (Bytes{0x01, 0x81, 0x71}));
    EXPECT_EQ(PesPts(pes), 5u); // modulo 2^33
    EXPECT_EQ(Bytes(pes.begin() + 17, pes.end()), (Bytes{0x0B, 0x77, 1, 2, 0x0B, 0x77, 3, 4}));

    MatroskaTrack vc1;
    vc1.streamType = 0xEA;
    pes = MatroskaFramePes(vc1, 0, false, {a}, intact);
    EXPECT_EQ(pes[3], 0xFD);
    EXPECT_EQ(pes[16], 0x55);

    Bytes big(70000, 0);
    pes = MatroskaFramePes(ac3, 0, false, {big}, intact);
    EXPECT_EQ(pes[4], 0); // too long for the length field
    EXPECT_EQ(pes[5], 0);
}

TEST(MatroskaPes, Mpeg2KeyFramesCarryASequenceHeader)
{
    MatroskaTrack mpeg2;
    mpeg2.streamType = 0x02;
    mpeg2.codecPrivate = {0, 0, 1, 0xB3, 0x11};
    Bytes picture = {0, 0, 1, 0x00, 0x22};
    bool intact = true;
    auto pes = MatroskaFramePes(mpeg2, 0, true, {picture}, intact);
    EXPECT_EQ(Bytes(pes.begin() + 14, pes.end()), (Bytes{0, 0, 1, 0xB3, 0x11, 0, 0, 1, 0x00, 0x22}));
    Bytes withHeader = {0, 0, 1, 0xB3, 0x33, 0, 0, 1, 0x00};
    pes = MatroskaFramePes(mpeg2, 0, true, {withHeader}, intact);
    EXPECT_EQ(Bytes(pes.begin() + 14, pes.end()), withHeader);
    pes = MatroskaFramePes(mpeg2, 0, false, {picture}, intact);
    EXPECT_EQ(Bytes(pes.begin() + 14, pes.end()), picture);
}

TEST(MatroskaPes, DecodeTimesFollowSortedPresentationTimes)
{
    // I P B B in decoding order, one frame = 10
    std::vector<int64_t> pts = {0, 30, 10, 20, 40, 70, 50, 60};
    int64_t delay = ReorderDelay(pts);
    EXPECT_EQ(delay, 10);
    EXPECT_EQ(DecodeTimes(pts, delay), (std::vector<int64_t>{-10, 0, 10, 20, 30, 40, 50, 60}));
    EXPECT_EQ(ReorderDelay({0, 10, 20}), 0);
    // a stretch reordered deeper than measured is held to its own presentation time
    EXPECT_EQ(DecodeTimes({0, 30, 10, 20}, 0), (std::vector<int64_t>{0, 10, 10, 20}));

    MatroskaTrack h264;
    h264.streamType = 0x1B;
    bool intact = true;
    auto pes = MatroskaFramePes(h264, 90000, false, {Bytes{0, 0, 0, 1, 0x41}}, intact);
    auto payload = Bytes(pes.begin() + 14, pes.end());
    AddDecodeTimestamp(pes, 86400);
    EXPECT_EQ(pes[7], 0xC0);
    EXPECT_EQ(pes[8], 10);
    EXPECT_EQ(PesPts(pes), 90000u);
    EXPECT_EQ(PesDts(pes), 86400u);
    EXPECT_EQ(Bytes(pes.begin() + 19, pes.end()), payload);
    EXPECT_EQ(static_cast<std::size_t>((pes[4] << 8) | pes[5]), pes.size() - 6);
    // Built with room for the decoding time, the packet gets the same header in place.
    auto roomy = MatroskaFramePes(h264, 90000, false, {Bytes{0, 0, 0, 1, 0x41}}, intact, {}, true);
    EXPECT_EQ(PesDts(roomy), 90000u);
    AddDecodeTimestamp(roomy, 86400);
    EXPECT_EQ(roomy, pes);
}
