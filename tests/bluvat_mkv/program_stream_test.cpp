#include <gtest/gtest.h>

#include <fstream>

#include "bluvat/readers/pes_packet.h"
#include "bluvat/readers/program_stream_reader.h"
#include "media.h"

using namespace bluvat;
using namespace bluvat_mkv_test;
using Bytes = std::vector<uint8_t>;

namespace {

// MPEG-2 pack header with SCR base b and extension e, and `stuffing` bytes.
Bytes pack(uint64_t b, unsigned e, unsigned stuffing = 0)
{
    Bytes p = {0,
               0,
               1,
               0xBA,
               static_cast<uint8_t>(0x44 | ((b >> 30) & 7) << 3 | ((b >> 28) & 3)),
               static_cast<uint8_t>(b >> 20),
               static_cast<uint8_t>(((b >> 15) & 0x1F) << 3 | 4 | ((b >> 13) & 3)),
               static_cast<uint8_t>(b >> 5),
               static_cast<uint8_t>((b & 0x1F) << 3 | 4 | ((e >> 7) & 3)),
               static_cast<uint8_t>((e & 0x7F) << 1 | 1),
               0x01,
               0x89,
               0xC3,
               static_cast<uint8_t>(0xF8 | stuffing)};
    p.insert(p.end(), stuffing, 0xFF);
    return p;
}

void putStamp(Bytes& b, uint8_t prefix, uint64_t ts)
{
    b.push_back(static_cast<uint8_t>(prefix << 4 | ((ts >> 30) & 7) << 1 | 1));
    b.push_back(static_cast<uint8_t>(ts >> 22));
    b.push_back(static_cast<uint8_t>((ts >> 14) | 1));
    b.push_back(static_cast<uint8_t>(ts >> 7));
    b.push_back(static_cast<uint8_t>(ts << 1 | 1));
}

Bytes pes2(uint8_t id, std::optional<uint64_t> pts, const Bytes& payload)
{
    Bytes p = {0, 0, 1, id, 0, 0, 0x81, static_cast<uint8_t>(pts ? 0x80 : 0), static_cast<uint8_t>(pts ? 5 : 0)};
    if (pts)
        putStamp(p, 2, *pts);
    p.insert(p.end(), payload.begin(), payload.end());
    p[4] = static_cast<uint8_t>((p.size() - 6) >> 8);
    p[5] = static_cast<uint8_t>(p.size() - 6);
    return p;
}

Bytes cat(std::initializer_list<Bytes> parts)
{
    Bytes b;
    for (const Bytes& p : parts)
        b.insert(b.end(), p.begin(), p.end());
    return b;
}

std::string pal(const std::string& name, const std::vector<std::string>& extra)
{
    std::vector<std::string> args = {"-f", "lavfi", "-i", "testsrc=size=352x288:rate=25:duration=2",
                                     "-f", "lavfi", "-i", "sine=frequency=440:sample_rate=48000:duration=2"};
    args.insert(args.end(), extra.begin(), extra.end());
    return makeMedia(name, args);
}

} // namespace

TEST(ProgramStreamUnits, PackHeadersGiveThe27MHzClock)
{
    uint64_t base = (uint64_t{1} << 32) + 12345;
    auto h = ParsePackHeader(pack(base, 299, 3));
    ASSERT_TRUE(h);
    EXPECT_EQ(h->scr, base * 300 + 299);
    EXPECT_EQ(h->length, 17u);

    Bytes mpeg1 = {0, 0, 1, 0xBA};
    putStamp(mpeg1, 2, 90000);
    mpeg1.insert(mpeg1.end(), {0x80, 0x00, 0x01});
    h = ParsePackHeader(mpeg1);
    ASSERT_TRUE(h);
    EXPECT_EQ(h->scr, 90000u * 300);
    EXPECT_EQ(h->length, 12u);

    Bytes cut = pack(0, 0);
    cut.resize(10);
    EXPECT_FALSE(ParsePackHeader(cut));
}

TEST(ProgramStreamUnits, PesInBothForms)
{
    auto pes = ParseProgramStreamPes(pes2(0xE0, 1234, {0xAA, 0xBB}));
    ASSERT_TRUE(pes);
    EXPECT_EQ(pes->pts, 1234u);
    EXPECT_EQ(pes->payload.size(), 2u);

    Bytes mpeg1 = {0, 0, 1, 0xC0, 0, 0, 0xFF, 0xFF, 0x40, 0x20}; // stuffing, buffer size, then PTS
    putStamp(mpeg1, 2, 777);
    mpeg1.push_back(0xCC);
    mpeg1[5] = static_cast<uint8_t>(mpeg1.size() - 6);
    pes = ParseProgramStreamPes(mpeg1);
    ASSERT_TRUE(pes);
    EXPECT_EQ(pes->pts, 777u);
    ASSERT_EQ(pes->payload.size(), 1u);
    EXPECT_EQ(pes->payload[0], 0xCC);

    Bytes cut = pes2(0xE0, 1, {1, 2, 3});
    cut.pop_back();
    EXPECT_FALSE(ParseProgramStreamPes(cut));
    Bytes badHeader = pes2(0xE0, std::nullopt, {});
    badHeader[8] = 40; // header longer than the packet
    EXPECT_FALSE(ParseProgramStreamPes(badHeader));
}

TEST(ProgramStreamUnits, ScanMakesEntriesInTheOrderMet)
{
    Bytes data = cat({pack(0, 0), pes2(0xBD, 10, {0x20, 0}), pes2(0xBD, 10, {0x80, 1, 0, 1, 0x0B, 0x77}),
                      pes2(0xC1, 10, {0xFF}), pes2(0xE0, 10, {0, 0, 1, 0xB3}), pes2(0xE1, 10, {0, 0, 0, 1, 0x67}),
                      pes2(0xBD, 10, {0x80, 1, 0, 1}), pes2(0xBD, 10, {0xFF, 0})});
    std::vector<int> progress;
    auto entries = ScanProgramStreamEntries(data, [&](int p) { progress.push_back(p); });
    ASSERT_EQ(entries.size(), 5u);
    EXPECT_EQ(entries[0].pid, 0x20);
    EXPECT_EQ(entries[0].streamType, 0x90);
    EXPECT_EQ(entries[1].pid, 0x80);
    EXPECT_EQ(entries[1].streamType, 0x81);
    EXPECT_EQ(entries[2].pid, 0xC1);
    EXPECT_EQ(entries[2].streamType, 0x04);
    EXPECT_EQ(entries[3].streamType, 0x02);
    EXPECT_EQ(entries[4].pid, 0xE1);
    EXPECT_EQ(entries[4].streamType, 0x1B);
    ASSERT_FALSE(progress.empty());
    EXPECT_LE(progress.back(), 50);
}

TEST(ProgramStreamReader, DvdStyleStreamGivesWholeVideoAndAc3)
{
    std::string vob = pal("pal.vob", {"-c:v", "mpeg2video", "-c:a", "ac3", "-f", "vob"});
    ASSERT_FALSE(vob.empty());
    auto source = countFrames(vob);
    ASSERT_EQ(source["mpeg2video"], 50);

    ProgramStreamReader reader(vob);
    ASSERT_TRUE(reader.Scan());
    ASSERT_EQ(reader.entries().size(), 2u);
    EXPECT_EQ(reader.entries()[0].pid, 0xE0);
    EXPECT_EQ(reader.entries()[0].streamType, 0x02);
    EXPECT_EQ(reader.entries()[1].pid, 0x80);
    EXPECT_EQ(reader.entries()[1].streamType, 0x81);
    EXPECT_EQ(reader.entries()[0].attributes.rate, 3); // 25 frames a second
    EXPECT_NE(reader.firstPcr(), kNoClock);
    EXPECT_GT(reader.lastPcr(), reader.firstPcr());

    std::vector<uint64_t> clocks;
    std::vector<PesPacket> packets;
    auto streams = readElementaryStreams(reader, &clocks, &packets);
    ASSERT_FALSE(clocks.empty());
    EXPECT_EQ(clocks.front(), reader.firstPcr());
    EXPECT_EQ(clocks.back(), reader.lastPcr());
    for (const PesPacket& p : packets) {
        EXPECT_EQ(p.bytes[6] & 0xC0, 0x80); // MPEG-2 PES headers throughout
        if (p.pid == 0xE0)
            EXPECT_TRUE(PesPts(p.bytes)); // one PES per time-stamped picture
        else
            EXPECT_EQ(p.bytes[3], 0xBD);
    }
    std::string video = scratchFolder() + "/ps.m2v", audio = scratchFolder() + "/ps.ac3";
    writeFile(video, streams[0xE0]);
    writeFile(audio, streams[0x80]);
    EXPECT_EQ(countFrames(video, "mpegvideo")["mpeg2video"], source["mpeg2video"]);
    EXPECT_EQ(countFrames(audio, "ac3")["ac3"], source["ac3"]);
}

TEST(ProgramStreamReader, MpegAudioAndGarbageBetweenPacks)
{
    std::string mpg = pal("mp2.mpg", {"-c:v", "mpeg2video", "-c:a", "mp2", "-f", "dvd"});
    ASSERT_FALSE(mpg.empty());
    auto source = countFrames(mpg);
    std::ifstream in(mpg, std::ios::binary);
    Bytes bytes((std::istreambuf_iterator<char>(in)), {});
    // a run of garbage after the first pack costs that pack's data, nothing else
    bytes.insert(bytes.begin() + 2048, 700, 0x01);
    std::string damaged = scratchFolder() + "/damaged.mpg";
    writeFile(damaged, bytes);

    ProgramStreamReader reader(damaged);
    ASSERT_TRUE(reader.Scan());
    ASSERT_EQ(reader.entries().size(), 2u);
    EXPECT_EQ(reader.entries()[1].streamType, 0x04);
    auto streams = readElementaryStreams(reader);
    std::string audio = scratchFolder() + "/ps.mp2";
    writeFile(audio, streams[0xC0]);
    ASSERT_GT(source["mp2"], 0);
    EXPECT_NEAR(countFrames(audio, "mp3")["mp2"], source["mp2"], 1);
}
