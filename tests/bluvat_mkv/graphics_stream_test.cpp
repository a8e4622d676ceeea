#include <gtest/gtest.h>

#include "bluvat/readers/graphics_segments.h"
#include "bluvat/readers/graphics_stream_reader.h"
#include "bluvat/readers/pes_packet.h"
#include "media.h"

using namespace bluvat;
using namespace bluvat_mkv_test;
using Bytes = std::vector<uint8_t>;

namespace {

Bytes segment(uint32_t pts, uint32_t dts, uint8_t type, const Bytes& body)
{
    Bytes s = {'P', 'G'};
    for (uint32_t v : {pts, dts})
        for (int shift = 24; shift >= 0; shift -= 8)
            s.push_back(static_cast<uint8_t>(v >> shift));
    s.push_back(type);
    s.push_back(static_cast<uint8_t>(body.size() >> 8));
    s.push_back(static_cast<uint8_t>(body.size()));
    s.insert(s.end(), body.begin(), body.end());
    return s;
}

} // namespace

TEST(GraphicsSegments, PesCarriesTheSegmentWithItsStamps)
{
    Bytes file = segment(90000, 0, 0x16, {1, 2, 3});
    auto s = ParseGraphicsSegment(file);
    ASSERT_TRUE(s);
    auto pes = GraphicsSegmentPes(*s);
    EXPECT_EQ(Bytes(pes.begin(), pes.begin() + 9), (Bytes{0, 0, 1, 0xBD, 0, 14, 0x81, 0x80, 5}));
    EXPECT_EQ(PesPts(pes), 90000u); // the 90 kHz stamp as it is
    EXPECT_EQ(Bytes(pes.begin() + 14, pes.end()), (Bytes{0x16, 0, 3, 1, 2, 3}));

    Bytes withDts = segment(180000, 170000, 0x14, {});
    s = ParseGraphicsSegment(withDts);
    pes = GraphicsSegmentPes(*s);
    EXPECT_EQ(pes[7], 0xC0);
    EXPECT_EQ(PesPts(pes), 180000u);
    EXPECT_EQ(PesDts(pes), 170000u);

    Bytes cut = segment(0, 0, 0x16, {1, 2, 3});
    cut.pop_back();
    EXPECT_FALSE(ParseGraphicsSegment(cut));
}

TEST(GraphicsStreamReader, ReadsSegmentsInOrderAndSkipsWhatIsNotOne)
{
    Bytes file = segment(90000, 0, 0x16, {0x50, 0x47}); // "PG" inside a body is not a segment
    Bytes junk = {0x00, 0x13, 0x37};
    file.insert(file.end(), junk.begin(), junk.end());
    Bytes second = segment(270000, 0, 0x80, {});
    file.insert(file.end(), second.begin(), second.end());
    Bytes cut = segment(360000, 0, 0x15, {9, 9, 9});
    file.insert(file.end(), cut.begin(), cut.end() - 1); // the last segment is cut short
    std::string path = scratchFolder() + "/subs.sup";
    writeFile(path, file);

    GraphicsStreamReader reader(path);
    ASSERT_TRUE(reader.Scan());
    ASSERT_EQ(reader.entries().size(), 1u);
    EXPECT_EQ(reader.entries()[0].pid, 0x1200);
    EXPECT_EQ(reader.entries()[0].streamType, 0x90);
    EXPECT_EQ(reader.firstPcr(), 90000u * 300);
    EXPECT_EQ(reader.lastPcr(), 270000u * 300);

    std::vector<uint64_t> clocks;
    std::vector<PesPacket> packets;
    readElementaryStreams(reader, &clocks, &packets);
    ASSERT_EQ(packets.size(), 2u);
    EXPECT_EQ(PesPts(packets[0].bytes), 90000u);
    EXPECT_EQ(PesPts(packets[1].bytes), 270000u);
    EXPECT_EQ(clocks, (std::vector<uint64_t>{90000u * 300, 270000u * 300}));
}
