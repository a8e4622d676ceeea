// Kind detection, the transport-stream reader's map search and PES assembly, and section checks.

#include "test_media.h"

#include "bluvat/readers/psi.h"
#include "bluvat/readers/source_reader.h"
#include "bluvat/readers/ts_reader.h"
#include "bluvat/report.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace bluvat;
using bluvat_test::readFile;

namespace {

std::vector<std::string> g_errors;
void collect(int32_t kind, int32_t value, const char* text)
{
    if (kind == 1 && value == 0)
        g_errors.push_back(text);
}

struct Errors {
    Errors()
    {
        g_errors.clear();
        SetCallback(collect);
    }
    ~Errors() { SetCallback(nullptr); }
    bool has(const std::string& t) const { return std::find(g_errors.begin(), g_errors.end(), t) != g_errors.end(); }
};

std::vector<uint8_t> packets(std::size_t count, std::size_t length, std::size_t lead)
{
    std::vector<uint8_t> b(lead + count * length, 0x00);
    for (std::size_t k = 0; k < count; ++k)
        b[lead + k * length + (length - 188)] = 0x47;
    return b;
}

std::vector<PesPacket> readAll(SourceReader& reader)
{
    std::vector<PesPacket> all;
    reader.Seek(kNoClock);
    while (reader.NextGroup(all)) {
    }
    return all;
}

} // namespace

TEST(BluvatKindDetection, EveryKindFromItsFirstBytes)
{
    std::vector<uint8_t> ts = packets(8, 188, 0);
    EXPECT_EQ(DetectKind(ts.data(), ts.size()), SourceKind::TransportStream);
    std::vector<uint8_t> shifted = packets(8, 188, 1); // a garbage byte before the first sync byte
    EXPECT_EQ(DetectKind(shifted.data(), shifted.size()), SourceKind::TransportStream);
    std::vector<uint8_t> m2ts = packets(8, 192, 0); // first packet's sync byte at 4
    EXPECT_EQ(DetectKind(m2ts.data(), m2ts.size()), SourceKind::SourcePackets);

    std::vector<uint8_t> pg = {'p', 'G', 0, 0};
    EXPECT_EQ(DetectKind(pg.data(), pg.size()), SourceKind::GraphicsStream);
    std::vector<uint8_t> ps = {0x00, 0x00, 0x01, 0xBA, 0x44, 0, 4, 0, 4, 1, 1, 0x89, 0xC3, 0xF8};
    EXPECT_EQ(DetectKind(ps.data(), ps.size()), SourceKind::ProgramStream);
    std::vector<uint8_t> mkv = {0x00, 0x1A, 0x45, 0xDF, 0xA3, 0x9F};
    EXPECT_EQ(DetectKind(mkv.data(), mkv.size()), SourceKind::Matroska);
    std::vector<uint8_t> none(1344, 0x11);
    EXPECT_EQ(DetectKind(none.data(), none.size()), SourceKind::Unknown);
    std::vector<uint8_t> fewSyncs = packets(5, 188, 0); // sync at +940 missing
    EXPECT_EQ(DetectKind(fewSyncs.data(), fewSyncs.size()), SourceKind::Unknown);
}

TEST(BluvatTsReader, FindsMapAttributesAndClockRange)
{
    Errors errors;
    auto reader = OpenSource(bluvat_test::h264Ac3());
    ASSERT_TRUE(reader);
    EXPECT_EQ(reader->kind(), SourceKind::TransportStream);
    ASSERT_EQ(reader->entries().size(), 2u);
    const ProgramEntry& video = reader->entries()[0];
    const ProgramEntry& audio = reader->entries()[1];
    EXPECT_EQ(video.streamType, 0x1B);
    EXPECT_EQ(video.pid, 0x100);
    EXPECT_EQ(video.attributes.format, 1); // 240 lines
    EXPECT_EQ(video.attributes.rate, 3);   // 25 frames, from the stream's own timing
    EXPECT_EQ(video.attributes.aspect, 2);
    ASSERT_GE(video.descriptors.size(), 10u);
    EXPECT_EQ(std::string(video.descriptors.begin() + 2, video.descriptors.begin() + 6), "HDMV");
    EXPECT_EQ(audio.streamType, 0x81);
    EXPECT_EQ(audio.attributes.format, 1); // the tone is mono
    EXPECT_EQ(audio.attributes.rate, 1);   // 48 kHz
    ASSERT_NE(reader->firstPcr(), kNoClock);
    double seconds = double(reader->lastPcr() - reader->firstPcr()) / 27e6;
    EXPECT_NEAR(seconds, 2.0, 0.3);
    EXPECT_TRUE(g_errors.empty()) << g_errors.front();
}

TEST(BluvatTsReader, PesPacketsComeOutWholeWithTheirRealLength)
{
    auto reader = OpenSource(bluvat_test::h264Ac3());
    ASSERT_TRUE(reader);
    std::vector<uint64_t> clocks;
    reader->SetClockHook([&](uint64_t pcr) { clocks.push_back(pcr); });
    std::vector<PesPacket> all = readAll(*reader);
    int video = 0, keyFrames = 0;
    for (const PesPacket& pes : all) {
        ASSERT_GE(pes.bytes.size(), 9u);
        std::size_t length = (std::size_t(pes.bytes[4]) << 8) | pes.bytes[5];
        if (pes.bytes.size() - 6 <= 65529) {
            EXPECT_EQ(length, pes.bytes.size() - 6); // unbounded video PES got its length
        }
        if (pes.pid == 0x100) {
            ++video;
            keyFrames += pes.keyFrame;
        }
    }
    EXPECT_EQ(video, 50); // the last one too, handed out at the end of the file
    EXPECT_GE(keyFrames, 5);
    EXPECT_GT(clocks.size(), 10u);
    EXPECT_TRUE(std::is_sorted(clocks.begin(), clocks.end()));
}

TEST(BluvatTsReader, SourcePacketsAndTwoPacketMaps)
{
    auto m2ts = OpenSource(bluvat_test::h264Ac3Packets192());
    ASSERT_TRUE(m2ts);
    EXPECT_EQ(m2ts->kind(), SourceKind::SourcePackets);
    EXPECT_EQ(m2ts->entries().size(), 2u);
    EXPECT_EQ(readAll(*m2ts).size(), readAll(*OpenSource(bluvat_test::h264Ac3())).size());

    Errors errors;
    auto twoPrograms = OpenSource(bluvat_test::twoProgramPat());
    ASSERT_TRUE(twoPrograms);
    ASSERT_EQ(twoPrograms->entries().size(), 2u);
    EXPECT_EQ(twoPrograms->entries()[0].pid, 0x200);
    EXPECT_EQ(twoPrograms->entries()[1].pid, 0x201);
    EXPECT_FALSE(errors.has("Invalid descriptor"));
}

TEST(BluvatTsReader, StreamsAreSniffedWithoutTables)
{
    std::vector<uint8_t> ts = readFile(bluvat_test::h264Ac3());
    std::vector<uint8_t> stripped;
    for (std::size_t at = 0; at + 188 <= ts.size(); at += 188) {
        uint16_t pid = PacketPid(&ts[at]);
        if (pid != 0 && pid != 0x1000 && pid != 0x11)
            stripped.insert(stripped.end(), ts.begin() + at, ts.begin() + at + 188);
    }
    std::string path = bluvat_test::scratchFolder() + "/no_tables.ts";
    bluvat_test::writeFile(path, stripped);
    auto reader = OpenSource(path);
    ASSERT_TRUE(reader);
    ASSERT_EQ(reader->entries().size(), 2u);
    EXPECT_EQ(reader->entries()[0].streamType, 0x1B);
    EXPECT_EQ(reader->entries()[1].streamType, 0x81);
    EXPECT_FALSE(reader->entries()[1].descriptors.empty()); // built from the AC-3 header
}

TEST(BluvatSections, MalformedTablesAreReportedNotOverread)
{
    Errors errors;
    std::vector<ProgramRef> programs;
    std::vector<uint8_t> notPat = {0x02, 0xB0, 0x0D, 0, 1, 0xC1, 0, 0, 0, 1, 0xE1, 0, 0, 0, 0, 0};
    EXPECT_FALSE(ParsePat(notPat.data(), notPat.size(), 0, programs));
    EXPECT_TRUE(errors.has("packet does not contain a valid PAT table ID"));
    std::vector<uint8_t> pat = {0x00, 0xB0, 0x0D, 0, 1, 0xC1, 0, 0, 0, 1, 0xE1, 0, 0, 0, 0, 0};
    EXPECT_FALSE(ParsePat(pat.data(), pat.size(), 5, programs));
    EXPECT_TRUE(errors.has("packet does not contain a valid PAT PID"));
    std::vector<uint8_t> longPat = {0x00, 0xB0, 0xFF, 0, 1, 0xC1, 0, 0};
    EXPECT_FALSE(ParsePat(longPat.data(), longPat.size(), 0, programs));
    EXPECT_TRUE(errors.has("program data too short"));

    ProgramMap map;
    std::vector<uint8_t> notPmt = {0x00, 0xB0, 0x0D};
    EXPECT_FALSE(ParsePmt(notPmt.data(), notPmt.size(), map));
    EXPECT_TRUE(errors.has("packet does not contain a valid PMT table ID"));
    // An entry whose descriptor claims more bytes than the entry holds.
    std::vector<uint8_t> pmt = {0x02, 0xB0, 0x00, 0,    1,    0xC1, 0,    0,    0xE1, 0,    0xF0, 0, 0x1B, 0xE1, 0x00,
                                0xF0, 0x03, 0x05, 0x40, 0x00, 0x81, 0xE1, 0x01, 0xF0, 0x00, 0,    0, 0,    0};
    pmt[2] = uint8_t(pmt.size() - 3);
    EXPECT_TRUE(ParsePmt(pmt.data(), pmt.size(), map));
    EXPECT_TRUE(errors.has("Invalid descriptor"));
    ASSERT_EQ(map.entries.size(), 2u);
    EXPECT_TRUE(map.entries[0].descriptors.empty());
    std::vector<uint8_t> hugeInfo = {0x02, 0xB0, 0x12, 0,    1,    0xC1, 0, 0, 0xE1, 0, 0xF0,
                                     0,    0x1B, 0xE1, 0x00, 0xF0, 0xC8, 0, 0, 0,    0};
    EXPECT_TRUE(ParsePmt(hugeInfo.data(), hugeInfo.size(), map));
    EXPECT_TRUE(errors.has("descriptors data too long"));
}

TEST(BluvatSections, DtcpDescriptorChecks)
{
    Errors errors;
    const uint8_t shortOne[] = {0x88, 0x04, 0x0F};
    EXPECT_FALSE(CheckDtcpDescriptor(shortOne, sizeof shortOne));
    EXPECT_TRUE(errors.has("Invalid DTCP descriptor"));
    const uint8_t tag[] = {0x87, 0x04, 0x0F, 0xFF, 0x84, 0xFC};
    EXPECT_FALSE(CheckDtcpDescriptor(tag, sizeof tag));
    EXPECT_TRUE(errors.has("Invalid DTCP descriptor tag"));
    const uint8_t length[] = {0x88, 0x03, 0x0F, 0xFF, 0x84, 0xFC};
    EXPECT_FALSE(CheckDtcpDescriptor(length, sizeof length));
    EXPECT_TRUE(errors.has("Invalid DTCP descriptor length"));
    const uint8_t system[] = {0x88, 0x04, 0x0E, 0xFF, 0x84, 0xFC};
    EXPECT_FALSE(CheckDtcpDescriptor(system, sizeof system));
    EXPECT_TRUE(errors.has("Invalid DTCP descriptor CA system ID"));
    const uint8_t good[] = {0x88, 0x04, 0x0F, 0xFF, 0x84, 0xFC};
    EXPECT_TRUE(CheckDtcpDescriptor(good, sizeof good));

    // A map keeps the program's DTCP descriptor.
    std::vector<uint8_t> pmt = {0x02, 0xB0, 0x00, 0,    1,    0xC1, 0,    0,    0xE1, 0, 0xF0, 6, 0x88, 0x04,
                                0x0F, 0xFF, 0x84, 0xFC, 0x1B, 0xE1, 0x00, 0xF0, 0x00, 0, 0,    0, 0};
    pmt[2] = uint8_t(pmt.size() - 3);
    ProgramMap map;
    ASSERT_TRUE(ParsePmt(pmt.data(), pmt.size(), map));
    EXPECT_EQ(map.dtcp, std::vector<uint8_t>(good, good + 6));
    EXPECT_EQ(map.pcrPid, 0x100);
    EXPECT_EQ(map.entries.size(), 1u);
}
