// Byte layouts of the index, movie-object, playlist and clip information files, and the tables.

#include "test_media.h"

#include "bluvat/crc32.h"
#include "bluvat/writers/clip_writer.h"
#include "bluvat/writers/index_writer.h"
#include "bluvat/writers/m2ts_writer.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace bluvat;

namespace {

uint32_t be32(const std::vector<uint8_t>& b, std::size_t at)
{
    return (uint32_t(b.at(at)) << 24) | (uint32_t(b.at(at + 1)) << 16) | (uint32_t(b.at(at + 2)) << 8) | b.at(at + 3);
}
uint16_t be16(const std::vector<uint8_t>& b, std::size_t at)
{
    return uint16_t((b.at(at) << 8) | b.at(at + 1));
}
std::string text(const std::vector<uint8_t>& b, std::size_t at, std::size_t n)
{
    return std::string(b.begin() + at, b.begin() + at + n);
}

OutputStream stream(uint8_t type, uint16_t pid, StreamAttributes a = {})
{
    OutputStream s;
    s.streamType = type;
    s.pid = pid;
    s.attributes = a;
    return s;
}

ClipInput avcAc3Clip()
{
    ClipInput clip;
    clip.streams = {stream(0x1B, 0x1011, {6, 1, 3}), stream(0x81, 0x1100, {3, 1, 0})};
    clip.entryPoints = {{90000, 0}, {135000, 320}, {180000, 700}};
    clip.packetCount = 1024;
    clip.presentationEnd = 183600;
    return clip;
}

} // namespace

TEST(BluvatIndexFile, OneTitleHasTheDocumentedLayout)
{
    std::vector<uint8_t> b = BuildIndex(1);
    ASSERT_EQ(b.size(), 526u);
    EXPECT_EQ(text(b, 0, 8), "INDX0200");
    EXPECT_EQ(be32(b, 8), 78u);
    EXPECT_EQ(be32(b, 12), 120u);
    EXPECT_EQ(be32(b, 40), 34u);
    EXPECT_EQ(text(b, 46, 7), "KORBANE");
    EXPECT_EQ(be32(b, 78), 38u);
    EXPECT_EQ(be32(b, 82), 0x40000000u); // first play: movie object 0
    EXPECT_EQ(be32(b, 98), 0x40000000u); // top menu: interactive
    EXPECT_EQ(be16(b, 106), 1u);
    EXPECT_EQ(be32(b, 108), 0x40000000u);
    EXPECT_EQ(be32(b, 112), 0u);   // title 0 runs object 0
    EXPECT_EQ(be32(b, 120), 402u); // extension length
    EXPECT_EQ(be32(b, 124), 24u);
    EXPECT_EQ(be32(b, 132), 0x10000100u);
    EXPECT_EQ(be32(b, 140), 382u); // entry length
    EXPECT_EQ(text(b, 144, 4), "IDEX");
    EXPECT_EQ(be32(b, 144 + 8), 354u);
    EXPECT_EQ(text(b, 144 + 90, 2), "TS");
    EXPECT_EQ(text(b, 144 + 95, 10), "QX 2.0.0.0");
    EXPECT_EQ(be32(b, 498), 24u); // playlist table length
    EXPECT_EQ(be32(b, 512), 1u);
    EXPECT_EQ(text(b, 516, 5), "00000");
    EXPECT_EQ(b[521], 0x01);
    EXPECT_EQ(be32(b, 522), 0u);
}

TEST(BluvatIndexFile, ThreeTitlesNumberTitlesAndPlaylistRowsFromZero)
{
    std::vector<uint8_t> b = BuildIndex(3);
    ASSERT_EQ(b.size(), 504u + 22 * 3);
    EXPECT_EQ(be32(b, 12), 108u + 36);
    EXPECT_EQ(be16(b, 106), 3u);
    for (uint32_t i = 0; i < 3; ++i)
        EXPECT_EQ(be32(b, 108 + 12 * i + 4), i);
    EXPECT_EQ(be32(b, 108 + 36), 392u + 30);
    std::size_t rows = 504 + 36;
    for (uint32_t j = 0; j < 3; ++j) {
        EXPECT_EQ(text(b, rows + 10 * j, 5), "0000" + std::to_string(j));
        EXPECT_EQ(be32(b, rows + 10 * j + 6), j);
    }
}

TEST(BluvatMovieObjectFile, OneAndThreeTitles)
{
    std::vector<uint8_t> one = BuildMovieObjects(1);
    ASSERT_EQ(one.size(), 66u);
    EXPECT_EQ(text(one, 0, 8), "MOBJ0100");
    EXPECT_EQ(be32(one, 40), 22u);
    EXPECT_EQ(be16(one, 48), 1u);
    const std::vector<uint8_t> object0 = {0x80, 0x00, 0x00, 0x01, 0x22, 0x80, 0x00, 0x00, 0, 0, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(std::vector<uint8_t>(one.begin() + 50, one.end()), object0);

    std::vector<uint8_t> three = BuildMovieObjects(3);
    ASSERT_EQ(three.size(), 38u + 28 * 3);
    EXPECT_EQ(be32(three, 40), 78u);
    EXPECT_EQ(be16(three, 48), 3u);
    EXPECT_EQ(be16(three, 52), 3u); // object 0 plays all three
    for (uint32_t j = 0; j < 3; ++j)
        EXPECT_EQ(be32(three, 54 + 12 * j + 4), j);
    for (uint32_t i = 1; i < 3; ++i) {
        std::size_t at = 54 + 36 + 16 * (i - 1);
        EXPECT_EQ(be16(three, at), 0x8000u);
        EXPECT_EQ(be16(three, at + 2), 1u);
        EXPECT_EQ(be32(three, at + 4), 0x22800000u);
        EXPECT_EQ(be32(three, at + 8), i);
    }
}

TEST(BluvatPlaylist, VideoAndAudioGiveTheDocumentedLengths)
{
    ClipInput clip = avcAc3Clip();
    std::vector<uint8_t> b = BuildPlaylist(7, clip, {0.0});
    EXPECT_EQ(text(b, 0, 8), "MPLS0100");
    EXPECT_EQ(be32(b, 8), 58u);
    EXPECT_EQ(be32(b, 12), 150u);
    EXPECT_EQ(be32(b, 58), 88u); // PlayList length
    EXPECT_EQ(be16(b, 64), 1u);  // one play item
    EXPECT_EQ(be16(b, 68), 80u); // play item length
    EXPECT_EQ(text(b, 70, 9), "00007M2TS");
    EXPECT_EQ(be32(b, 82), 45000u); // IN: first entry point
    EXPECT_EQ(be32(b, 86), 91800u); // OUT: end of the last frame
    EXPECT_EQ(be16(b, 102), 46u);   // stream table length
    EXPECT_EQ(b[106], 1);           // video
    EXPECT_EQ(b[107], 1);           // audio
    EXPECT_EQ(b[108], 0);           // graphics
    EXPECT_EQ(be16(b, 118 + 2), 0x1011u);
    EXPECT_EQ(b[128 + 1], 0x1B);
    EXPECT_EQ(b[128 + 2], 0x61);
    EXPECT_EQ(be16(b, 134 + 2), 0x1100u);
    EXPECT_EQ(text(b, 144 + 3, 3), "eng");
    // One mark at IN.
    EXPECT_EQ(be32(b, 150), 16u);
    EXPECT_EQ(be16(b, 154), 1u);
    EXPECT_EQ(be32(b, 156 + 4), 45000u);
    EXPECT_EQ(b.size(), 150u + 4 + 2 + 14);
}

TEST(BluvatPlaylist, ChaptersBecomeEntryMarksInsideTheTitleEachOnce)
{
    ClipInput clip = avcAc3Clip(); // IN 45000, OUT 91800
    std::vector<uint8_t> b = BuildPlaylist(0, clip, {0.5, -1.0, 0.0, 0.5, 5.0, 0.25});
    EXPECT_EQ(be32(b, 150), 14u * 3 + 2);
    ASSERT_EQ(be16(b, 154), 3u);
    const uint32_t want[] = {45000, 45000 + 11250, 45000 + 22500};
    for (std::size_t k = 0; k < 3; ++k) {
        EXPECT_EQ(b[156 + 14 * k + 1], 1) << k; // an entry mark
        EXPECT_EQ(be32(b, 156 + 14 * k + 4), want[k]) << k;
    }
    EXPECT_EQ(b.size(), 150u + 4 + 2 + 14 * 3);
}

TEST(BluvatPlaylist, OnlyTheLastVideoAndNoInteractiveOrTextStreams)
{
    ClipInput clip = avcAc3Clip();
    clip.streams = {stream(0x1B, 0x1011), stream(0x02, 0x1012), stream(0x81, 0x1100),
                    stream(0x91, 0x1400), stream(0x92, 0x1800), stream(0x90, 0x1200)};
    std::vector<uint8_t> b = BuildPlaylist(0, clip, {0.0});
    EXPECT_EQ(b[107], 1);
    EXPECT_EQ(b[108], 1);
    EXPECT_EQ(be16(b, 118 + 2), 0x1012u);
    EXPECT_EQ(be16(b, 102), 14u + 16 * 3);
    std::vector<uint8_t> clpi = BuildClipInfo(clip);
    EXPECT_EQ(clpi[246 + 12], 4); // both videos, the audio and the graphics
}

TEST(BluvatPlaylist, NoMarkWhenTheClipEndsWhereItStarts)
{
    ClipInput clip = avcAc3Clip();
    clip.entryPoints = {{90000, 0}};
    clip.presentationEnd = 90000;
    std::vector<uint8_t> b = BuildPlaylist(0, clip, {0.0});
    EXPECT_EQ(be32(b, 82), be32(b, 86));
    EXPECT_EQ(be16(b, 154), 0u);
}

TEST(BluvatClipInfo, VideoAndAudioPutTheEntryPointMapAt308)
{
    ClipInput clip = avcAc3Clip();
    std::vector<uint8_t> b = BuildClipInfo(clip);
    EXPECT_EQ(text(b, 0, 8), "HDMV0100");
    EXPECT_EQ(be32(b, 8), 220u);
    EXPECT_EQ(be32(b, 12), 246u);
    EXPECT_EQ(be32(b, 16), 308u);
    EXPECT_EQ(be32(b, 40), 176u);
    EXPECT_EQ(be32(b, 52), 700u * 192 / 1); // recording rate: 700 packets over one second
    EXPECT_EQ(be32(b, 56), 1024u);
    EXPECT_EQ(text(b, 188, 7), std::string("\x00\x1E\x80HDMV", 7));
    EXPECT_EQ(be32(b, 220), 22u);
    EXPECT_EQ(be16(b, 232), 0x1001u);
    EXPECT_EQ(be32(b, 238), 45000u);
    EXPECT_EQ(be32(b, 242), 91800u);
    EXPECT_EQ(be32(b, 246), 58u);
    EXPECT_EQ(be16(b, 256), 0x0100u);
    EXPECT_EQ(b[258], 2);
    EXPECT_EQ(be16(b, 260), 0x1011u);
    EXPECT_EQ(std::vector<uint8_t>(b.begin() + 262, b.begin() + 266), (std::vector<uint8_t>{0x15, 0x1B, 0x61, 0x30}));
    EXPECT_EQ(be16(b, 284), 0x1100u);
    EXPECT_EQ(std::vector<uint8_t>(b.begin() + 286, b.begin() + 289), (std::vector<uint8_t>{0x15, 0x81, 0x31}));
    EXPECT_EQ(text(b, 289, 3), "eng");
    EXPECT_EQ(be32(b, 20), b.size() - 4); // ClipMark at the end
}

TEST(BluvatClipInfo, ClipWithoutEntryPoints)
{
    ClipInput clip = avcAc3Clip();
    clip.entryPoints.clear();
    std::vector<uint8_t> b = BuildClipInfo(clip);
    EXPECT_EQ(be32(b, 52), 0u);
    EXPECT_EQ(be32(b, 238), 0u);
    EXPECT_EQ(be32(b, 242), 0u);
    std::size_t cpi = be32(b, 16);
    EXPECT_EQ(be32(b, 20) - cpi, 24u);
    EXPECT_EQ(be32(b, cpi), 20u);
}

TEST(BluvatEntryPointMap, EntriesInOneWindowShareOneCoarseEntry)
{
    std::vector<EntryPoint> ep;
    for (uint32_t k = 0; k < 5; ++k)
        ep.push_back({uint64_t(k) * 90000 / 5 + 1024, 100 + k * 300});
    std::vector<uint8_t> m = BuildEntryPointMap(ep);
    EXPECT_EQ(be16(m, 2), 0x1011u);
    uint64_t counts = (uint64_t(be16(m, 4)) << 32) | be32(m, 6);
    EXPECT_EQ(counts >> 34, 1u);            // entry-point stream type
    EXPECT_EQ((counts >> 18) & 0xFFFF, 1u); // coarse
    EXPECT_EQ(counts & 0x3FFFF, 5u);        // fine
    EXPECT_EQ(be32(m, 10), 14u);
    EXPECT_EQ(be32(m, 14), 12u); // fine table, counted from this field
    EXPECT_EQ(be32(m, 18), (0u << 14) | 0u);
    EXPECT_EQ(be32(m, 22), 100u);
    for (uint32_t k = 0; k < 5; ++k) {
        uint32_t fine = be32(m, 26 + 4 * k);
        EXPECT_EQ((fine >> 17) & 0x7FF, (ep[k].pts >> 9) & 0x7FF);
        EXPECT_EQ(fine & 0x1FFFF, ep[k].spn);
    }
    EXPECT_EQ(m.size(), 26u + 20);
}

TEST(BluvatEntryPointMap, WrappingFineFieldsStartCoarseEntries)
{
    std::vector<EntryPoint> ep = {
        {2047u << 9, 5}, {2048u << 9, 10}, {2049u << 9, 0x20010}, {(2049u << 9) + 512, 0x20020}};
    std::vector<uint8_t> m = BuildEntryPointMap(ep);
    uint64_t counts = (uint64_t(be16(m, 4)) << 32) | be32(m, 6);
    // The first entry always has one; the second wraps its fine PTS; the third moves to the next
    // 0x20000-packet window without its fine SPN running backwards.
    ASSERT_EQ((counts >> 18) & 0xFFFF, 3u);
    EXPECT_EQ(be32(m, 18), (0u << 14) | 1u);
    EXPECT_EQ(be32(m, 22), 5u);
    EXPECT_EQ(be32(m, 26), (1u << 14) | 2u);
    EXPECT_EQ(be32(m, 30), 10u);
    EXPECT_EQ(be32(m, 34), (2u << 14) | 2u);
    EXPECT_EQ(be32(m, 38), 0x20010u);
    EXPECT_EQ(counts & 0x3FFFF, 4u);
}

TEST(BluvatTables, CrcIsMpeg2AndTablesCarryValidCrcs)
{
    const char* check = "123456789";
    EXPECT_EQ(Crc32Mpeg2(reinterpret_cast<const uint8_t*>(check), 9), 0x0376E6E7u);

    std::vector<uint8_t> sit = M2tsWriter::SitPacket();
    EXPECT_EQ(Crc32Mpeg2(sit.data() + 5, 24), 0x341EE74Eu); // the fixed table's own CRC
    EXPECT_EQ(Crc32Mpeg2(sit.data() + 5, 28), 0u);

    std::vector<uint8_t> pat = M2tsWriter::PatPacket();
    const std::vector<uint8_t> patHead = {0x47, 0x40, 0x00, 0x11, 0x00, 0x00, 0xB0, 0x11, 0x00, 0x01, 0xC1,
                                          0x00, 0x00, 0x00, 0x00, 0xE0, 0x1F, 0x00, 0x01, 0xE1, 0x00};
    ASSERT_EQ(pat.size(), 188u);
    EXPECT_EQ(std::vector<uint8_t>(pat.begin(), pat.begin() + 21), patHead);
    EXPECT_EQ(be32(pat, 21), bluvat_test::referenceCrc(pat.data() + 5, 16));
    EXPECT_EQ(pat[25], 0xFF);

    M2tsWriter writer;
    std::vector<ProgramEntry> chosen(2);
    chosen[0].streamType = 0x1B;
    chosen[0].pid = 0x100;
    chosen[1].streamType = 0x81;
    chosen[1].pid = 0x101;
    chosen[1].descriptors = {0x05, 0x04, 'A', 'C', '-', '3'};
    writer.Open("/dev/null", M2tsMode::Bluray, chosen);
    std::vector<uint8_t> pmt = writer.PmtPacket();
    ASSERT_EQ(pmt.size(), 188u);
    EXPECT_EQ(std::vector<uint8_t>(pmt.begin(), pmt.begin() + 4), (std::vector<uint8_t>{0x47, 0x41, 0x00, 0x11}));
    std::size_t length = ((pmt[6] & 0x0F) << 8) | pmt[7];
    EXPECT_EQ(length, 9u + 12 + 5 + 11 + 4);
    EXPECT_EQ(be16(pmt, 13), 0xF001u); // PCR PID 0x1001
    EXPECT_EQ(std::vector<uint8_t>(pmt.begin() + 17, pmt.begin() + 29),
              (std::vector<uint8_t>{0x88, 0x04, 0x0F, 0xFF, 0x84, 0xFC, 0x05, 0x04, 'H', 'D', 'M', 'V'}));
    EXPECT_EQ(std::vector<uint8_t>(pmt.begin() + 29, pmt.begin() + 34),
              (std::vector<uint8_t>{0x1B, 0xF0, 0x11, 0xF0, 0x00}));
    EXPECT_EQ(std::vector<uint8_t>(pmt.begin() + 34, pmt.begin() + 39),
              (std::vector<uint8_t>{0x81, 0xF1, 0x00, 0xF0, 0x06}));
    EXPECT_EQ(be32(pmt, 5 + 3 + length - 4), bluvat_test::referenceCrc(pmt.data() + 5, 3 + length - 4));
    writer.Finish();
}
