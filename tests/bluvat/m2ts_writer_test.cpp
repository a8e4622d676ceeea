// The M2TS writer on hand-made PES packets: time stamps, padding, PIDs, video handling, re-packing.

#include "test_media.h"

#include "bluvat/readers/ts_reader.h"
#include "bluvat/report.h"
#include "bluvat/writers/m2ts_writer.h"

#include <gtest/gtest.h>

using namespace bluvat;
using bluvat_test::readFile;

namespace {

ProgramEntry entry(uint8_t type, uint16_t pid)
{
    ProgramEntry e;
    e.streamType = type;
    e.pid = pid;
    return e;
}

// A PES of exactly `bytes` bytes with a PTS (and DTS when given).
PesPacket pes(uint16_t pid, std::size_t bytes, std::optional<uint64_t> pts, std::vector<uint8_t> payload = {},
              uint8_t streamId = 0xE0)
{
    PesPacket p;
    p.pid = pid;
    std::vector<uint8_t>& b = p.bytes;
    b = {0x00, 0x00, 0x01, streamId, 0, 0, 0x80, uint8_t(pts ? 0x80 : 0x00), uint8_t(pts ? 5 : 0)};
    if (pts) {
        b.insert(b.end(), {0x20, 0, 0, 0, 0});
        WriteTimestamp(&b[9], *pts);
    }
    b.insert(b.end(), payload.begin(), payload.end());
    if (b.size() < bytes)
        b.resize(bytes, 0xAA);
    std::size_t length = b.size() - 6;
    b[4] = uint8_t(length >> 8);
    b[5] = uint8_t(length);
    return p;
}

const std::vector<uint8_t> kSps = {0x00, 0x00, 0x00, 0x01, 0x67, 0x42, 0xC0, 0x0D};

struct Packet {
    uint32_t ats;
    const uint8_t* p;
};
std::vector<Packet> packetsOf(const std::vector<uint8_t>& file)
{
    std::vector<Packet> out;
    for (std::size_t at = 0; at + 192 <= file.size(); at += 192) {
        const uint8_t* s = &file[at];
        out.push_back({(uint32_t(s[0] & 0x3F) << 24) | (uint32_t(s[1]) << 16) | (uint32_t(s[2]) << 8) | s[3], s + 4});
    }
    return out;
}

std::string outPath(const std::string& name)
{
    return bluvat_test::scratchFolder() + "/" + name;
}

std::vector<std::vector<uint8_t>> pesOfPid(const std::vector<uint8_t>& file, uint16_t pid)
{
    std::vector<std::vector<uint8_t>> all;
    for (const Packet& k : packetsOf(file)) {
        if (PacketPid(k.p) != pid)
            continue;
        std::size_t n;
        const uint8_t* payload = PacketPayload(k.p, n);
        if (k.p[1] & 0x40)
            all.emplace_back();
        if (!all.empty())
            all.back().insert(all.back().end(), payload, payload + n);
    }
    return all;
}

} // namespace

TEST(BluvatM2tsWriter, ArrivalStampsAreSpreadEvenlyBetweenClocks)
{
    M2tsWriter w;
    ASSERT_TRUE(w.Open(outPath("ats.m2ts"), M2tsMode::Bluray, {entry(0x1B, 0x100)}));
    const uint64_t c0 = 27000000;
    w.Clock(c0);
    w.Clock(c0 + 2700000); // writes the three tables and the two PCR packets
    PesPacket video = pes(0x100, 50 * 184, 90000);
    w.Write(video);
    w.Clock(c0 + 5400000); // 50 packets + the new PCR packet
    ASSERT_TRUE(w.Finish());
    std::vector<uint8_t> file = readFile(outPath("ats.m2ts"));
    std::vector<Packet> k = packetsOf(file);
    ASSERT_EQ(k.size(), 64u);
    EXPECT_EQ(PacketPid(k[0].p), 0x0000);
    EXPECT_EQ(PacketPid(k[1].p), 0x0100);
    EXPECT_EQ(PacketPid(k[2].p), 0x001F);
    EXPECT_EQ(PacketPid(k[3].p), kPcrPid);
    uint64_t pcr;
    ASSERT_TRUE(PacketPcr(k[3].p, pcr));
    EXPECT_EQ(pcr, c0); // the source clock, on the time base of the time stamps
    const uint32_t step = 2700000 / 51;
    for (std::size_t i = 5; i < 56; ++i)
        EXPECT_EQ(k[i].ats - k[i - 1].ats, step) << i;
    EXPECT_EQ(k[55].ats, uint32_t((c0 + 2700000 + 51 * step) % (1u << 30)));
    EXPECT_EQ(PacketPid(k[55].p), kPcrPid);
    for (std::size_t i = 56; i < 64; ++i)
        EXPECT_EQ(PacketPid(k[i].p), 0x1FFF); // padding to 32 packets
    EXPECT_EQ(w.packetCount(), 64u);
}

TEST(BluvatM2tsWriter, ShortFilesArePaddedToWholeUnits)
{
    M2tsWriter w;
    ASSERT_TRUE(w.Open(outPath("short.m2ts"), M2tsMode::Bluray, {entry(0x1B, 0x100)}));
    w.Clock(1000);
    PesPacket video = pes(0x100, 6 * 184, 90000, kSps);
    w.Write(video);
    ASSERT_TRUE(w.Finish());
    std::vector<uint8_t> file = readFile(outPath("short.m2ts"));
    EXPECT_EQ(file.size(), 6144u);
    EXPECT_EQ(w.packetCount(), 32u);
    ASSERT_EQ(w.entryPoints().size(), 1u);
    EXPECT_EQ(w.entryPoints()[0].spn, 4u); // after PAT, PMT, SIT and the first PCR packet
    EXPECT_EQ(w.entryPoints()[0].pts, 90000u);
    std::vector<Packet> k = packetsOf(file);
    EXPECT_EQ(PacketPid(k[4].p), kMainVideoPid);
}

TEST(BluvatM2tsWriter, PidsFollowTheRangesInMapOrder)
{
    M2tsWriter w;
    ASSERT_TRUE(w.Open(outPath("pids.m2ts"), M2tsMode::Bluray,
                       {entry(0x81, 0x101), entry(0x1B, 0x100), entry(0x81, 0x102), entry(0x90, 0x103)}));
    ASSERT_EQ(w.streams().size(), 4u);
    EXPECT_EQ(w.streams()[0].pid, 0x1100);
    EXPECT_EQ(w.streams()[1].pid, 0x1011);
    EXPECT_EQ(w.streams()[2].pid, 0x1101);
    EXPECT_EQ(w.streams()[3].pid, 0x1200);
    std::vector<uint8_t> pmt = w.PmtPacket();
    EXPECT_EQ(pmt[29 + 1] & 0x1F, 0x11);
    EXPECT_EQ(pmt[29 + 2], 0x00);
    w.Finish();
}

TEST(BluvatM2tsWriter, DuplicatePidsAreReported)
{
    static int duplicates = 0;
    duplicates = 0;
    SetCallback([](int32_t kind, int32_t value, const char* text) {
        if (kind == 2 && value == 0 && std::string(text) == "Invalid/Duplicate StreamInfo")
            ++duplicates;
    });
    M2tsWriter w;
    w.Open("/dev/null", M2tsMode::Bluray, {entry(0x1B, 0x100), entry(0x1B, 0x100)});
    SetCallback(nullptr);
    EXPECT_EQ(duplicates, 1);
    w.Finish();
}

TEST(BluvatM2tsWriter, VideoTimeStampJumpsAreTakenOut)
{
    M2tsWriter w;
    ASSERT_TRUE(w.Open(outPath("jump.m2ts"), M2tsMode::Bluray, {entry(0x1B, 0x100), entry(0x81, 0x101)}));
    uint64_t pcr = 27000000;
    w.Clock(pcr);
    std::vector<uint64_t> pts = {90000, 93600, 97200, 97200 + 900000 + 3600, 97200 + 900000 + 7200};
    for (std::size_t i = 0; i < pts.size(); ++i) {
        PesPacket p = pes(0x100, 400, pts[i], i == 0 ? kSps : std::vector<uint8_t>{});
        w.Write(p);
        pcr += i == 3 ? 27000000ull * 10 : 2700000;
        w.Clock(pcr);
    }
    ASSERT_TRUE(w.Finish());
    std::vector<uint8_t> file = readFile(outPath("jump.m2ts"));
    std::vector<uint64_t> written;
    for (const auto& b : pesOfPid(file, kMainVideoPid))
        written.push_back(*PesPts(b));
    EXPECT_EQ(written, (std::vector<uint64_t>{90000, 93600, 97200, 100800, 104400}));
    EXPECT_EQ(w.presentationEnd(), 104400u + 3600);
    // The output clock runs on as well.
    std::vector<uint64_t> clocks;
    std::vector<uint32_t> ats;
    for (const Packet& k : packetsOf(file)) {
        uint64_t c;
        if (PacketPcr(k.p, c))
            clocks.push_back(c);
        ats.push_back(k.ats);
    }
    for (std::size_t i = 1; i < clocks.size(); ++i)
        EXPECT_LE(clocks[i] - clocks[i - 1], 27000000u) << i;
    for (std::size_t i = 1; i < ats.size(); ++i)
        EXPECT_LT(ats[i] - ats[i - 1], 27000000u) << i;
}

// A gap too short to shift the video time stamps must stay in the clock too: otherwise every
// later picture arrives that much earlier before its presentation time.
TEST(BluvatM2tsWriter, ShortSourceGapsKeepClockAndTimeStampsTogether)
{
    for (uint64_t gapSeconds : {2, 10}) {
        M2tsWriter w;
        std::string name = "gap" + std::to_string(gapSeconds) + ".m2ts";
        ASSERT_TRUE(w.Open(outPath(name), M2tsMode::Bluray, {entry(0x1B, 0x100)}));
        uint64_t pcr = 27000000;
        uint64_t pts = 90000 + 45000; // half a second ahead of the clock
        w.Clock(pcr);
        for (int i = 0; i < 12; ++i) {
            if (i == 6) {
                pcr += gapSeconds * 27000000;
                pts += gapSeconds * 90000;
            }
            PesPacket p = pes(0x100, 400, pts, i == 0 ? kSps : std::vector<uint8_t>{});
            w.Write(p);
            pcr += 2700000;
            pts += 9000;
            w.Clock(pcr);
        }
        ASSERT_TRUE(w.Finish());
        std::vector<int64_t> leads; // presentation time minus arrival time, 27 MHz
        std::vector<uint8_t> file = readFile(outPath(name));
        for (const Packet& k : packetsOf(file)) {
            if (PacketPid(k.p) != kMainVideoPid || !(k.p[1] & 0x40))
                continue;
            std::size_t n;
            const uint8_t* payload = PacketPayload(k.p, n);
            std::vector<uint8_t> head(payload, payload + n);
            int64_t presentation = int64_t(*PesPts(head) * 300 % (uint64_t(1) << 30));
            int64_t lead = (presentation - int64_t(k.ats) + (int64_t(1) << 30)) % (int64_t(1) << 30);
            leads.push_back(lead);
        }
        ASSERT_EQ(leads.size(), 12u);
        // The picture sent across the gap is spread over it like any packet between two clocks.
        for (std::size_t i = 0; i < leads.size(); ++i) {
            if (i == 6)
                continue;
            EXPECT_NEAR(double(leads[i]), double(leads[0]), 27000000 * 0.2) << gapSeconds << " s gap, picture " << i;
        }
    }
}

// A source whose clock wraps within the title: the title's times must run on, or its play item
// would end before it starts.
TEST(BluvatM2tsWriter, SourceClockWrapWithinTheTitle)
{
    const uint64_t wrap = uint64_t(1) << 33; // 90 kHz
    for (uint64_t startPts : {wrap - 90000, uint64_t(900000)}) {
        M2tsWriter w;
        ASSERT_TRUE(w.Open(outPath("wrap.m2ts"), M2tsMode::Bluray, {entry(0x1B, 0x100), entry(0x81, 0x101)}));
        uint64_t first = startPts * 300 % kPcrWrap;
        w.KeepClockFromWrapping(first, (first + 3 * 27000000) % kPcrWrap);
        std::vector<uint64_t> audioPts;
        for (int i = 0; i < 30; ++i) {
            uint64_t pcr = (first + uint64_t(i) * 2700000) % kPcrWrap;
            w.Clock(pcr);
            uint64_t pts = (startPts + 45000 + uint64_t(i) * 9000) % wrap;
            PesPacket p = pes(0x100, 400, pts, i % 10 == 0 ? kSps : std::vector<uint8_t>{});
            w.Write(p);
        }
        w.Clock((first + 30 * 2700000) % kPcrWrap);
        ASSERT_TRUE(w.Finish());
        const auto& entries = w.entryPoints();
        ASSERT_EQ(entries.size(), 3u);
        for (std::size_t i = 1; i < entries.size(); ++i)
            EXPECT_EQ(entries[i].pts - entries[i - 1].pts, 90000u) << startPts;
        EXPECT_EQ(w.presentationEnd() - entries.front().pts, 30u * 9000) << startPts;
        if (startPts == 900000) {
            EXPECT_EQ(entries.front().pts, startPts + 45000); // a source far from the wrap keeps its clock
        }
        // Clock and time stamps stay together: the first picture is presented half a second after its clock.
        std::vector<uint64_t> clocks;
        std::vector<uint8_t> file = readFile(outPath("wrap.m2ts"));
        for (const Packet& k : packetsOf(file)) {
            uint64_t c;
            if (PacketPcr(k.p, c))
                clocks.push_back(c);
        }
        ASSERT_FALSE(clocks.empty());
        EXPECT_EQ(entries.front().pts * 300 - clocks.front(), 45000u * 300) << startPts;
    }
}

TEST(BluvatM2tsWriter, EndOfSequenceIsCutFromTheMainVideo)
{
    M2tsWriter w;
    ASSERT_TRUE(w.Open(outPath("eos.m2ts"), M2tsMode::Bluray, {entry(0x02, 0x100)}));
    w.Clock(1000);
    std::vector<uint8_t> payload = {0x00, 0x00, 0x01, 0xB3, 0x14, 0x00, 0xF0, 0x13,
                                    0x11, 0x22, 0x00, 0x00, 0x01, 0xB7, 0x55};
    PesPacket p = pes(0x100, 0, 90000, payload);
    w.Write(p);
    ASSERT_TRUE(w.Finish());
    auto all = pesOfPid(readFile(outPath("eos.m2ts")), kMainVideoPid);
    ASSERT_EQ(all.size(), 1u);
    std::vector<uint8_t> expected = {0x00, 0x00, 0x01, 0xB3, 0x14, 0x00, 0xF0, 0x13, 0x11, 0x22, 0x55};
    EXPECT_EQ(std::vector<uint8_t>(all[0].begin() + 14, all[0].end()), expected);
    EXPECT_EQ((std::size_t(all[0][4]) << 8 | all[0][5]), all[0].size() - 6);
    EXPECT_EQ(w.entryPoints().size(), 1u);
}

TEST(BluvatM2tsWriter, EndCodeFollowedByANewSequenceInOnePes)
{
    M2tsWriter w;
    ASSERT_TRUE(w.Open(outPath("eos2.m2ts"), M2tsMode::Bluray, {entry(0x02, 0x100)}));
    w.Clock(1000);
    std::vector<uint8_t> payload = {0x00, 0x00, 0x01, 0xB7, 0x00, 0x00, 0x01, 0xB3, 0x14,
                                    0x00, 0xF0, 0x13, 0x00, 0x00, 0x01, 0x00, 0x01, 0x02};
    PesPacket p = pes(0x100, 0, 90000, payload);
    w.Write(p);
    ASSERT_TRUE(w.Finish());
    auto all = pesOfPid(readFile(outPath("eos2.m2ts")), kMainVideoPid);
    ASSERT_EQ(all.size(), 1u);
    EXPECT_EQ(std::vector<uint8_t>(all[0].begin() + 14, all[0].end()),
              std::vector<uint8_t>(payload.begin() + 4, payload.end()));
    EXPECT_EQ(w.entryPoints().size(), 1u); // the sequence header after the end code still counts
}

TEST(BluvatM2tsWriter, Ac3IsRepackedOneFramePerPes)
{
    // 256-byte AC-3 frames (48 kHz, frame-size code 8, bit-stream id 8), 2.5 frames then the rest.
    std::vector<uint8_t> frame(256, 0x11);
    frame[0] = 0x0B;
    frame[1] = 0x77;
    frame[4] = 0x08;
    frame[5] = 0x40;
    frame[6] = 0x40;
    std::vector<uint8_t> stream;
    for (int i = 0; i < 4; ++i)
        stream.insert(stream.end(), frame.begin(), frame.end());
    M2tsWriter w;
    ASSERT_TRUE(w.Open(outPath("ac3.m2ts"), M2tsMode::Bluray, {entry(0x1B, 0x100), entry(0x81, 0x101)}));
    w.Clock(1000);
    PesPacket first = pes(0x101, 0, 90000, std::vector<uint8_t>(stream.begin(), stream.begin() + 640), 0xBD);
    PesPacket second = pes(0x101, 0, 90000 + 3 * 2880, std::vector<uint8_t>(stream.begin() + 640, stream.end()), 0xBD);
    w.Write(first);
    w.Write(second);
    ASSERT_TRUE(w.Finish());
    std::vector<uint8_t> file = readFile(outPath("ac3.m2ts"));
    auto all = pesOfPid(file, 0x1100);
    ASSERT_EQ(all.size(), 4u);
    for (std::size_t i = 0; i < all.size(); ++i) {
        const auto& b = all[i];
        ASSERT_EQ(b.size(), 17u + 256);
        EXPECT_EQ(b[3], 0xFD);
        EXPECT_EQ(b[16], 0x71);
        EXPECT_EQ(*PesPts(b), 90000u + 2880 * i);
        EXPECT_EQ(std::vector<uint8_t>(b.begin() + 17, b.end()), frame);
    }
    for (const Packet& k : packetsOf(file)) {
        if (PacketPid(k.p) == 0x1100) {
            EXPECT_TRUE(k.p[1] & 0x20); // transport priority for independent frames
        }
    }
}

TEST(BluvatM2tsWriter, DtsHdCoreIsKeptWithOrWithoutThePriorityMark)
{
    // A 512-byte DTS core frame (16 blocks, 48 kHz) and an extension substream PES.
    std::vector<uint8_t> core(512, 0x22);
    const uint8_t head[] = {0x7F, 0xFE, 0x80, 0x01, 0xFC, 0x3C, 0x1F, 0xF0, 0x34};
    std::copy(std::begin(head), std::end(head), core.begin());
    std::vector<uint8_t> extension = {0x64, 0x58, 0x20, 0x25, 0x00, 0x10, 0x20, 0x30};
    M2tsWriter w;
    ASSERT_TRUE(w.Open(outPath("dtshd.m2ts"), M2tsMode::Bluray, {entry(0x1B, 0x100), entry(0x85, 0x101)}));
    w.Clock(1000);
    for (int i = 0; i < 2; ++i) {
        PesPacket marked = pes(0x101, 0, 90000 + 2 * 960 * i, core, 0xBD);
        marked.priority = i == 0; // the second source does not mark its core
        PesPacket ext = pes(0x101, 0, 90000 + 2 * 960 * i, extension, 0xBD);
        w.Write(marked);
        w.Write(ext);
    }
    ASSERT_TRUE(w.Finish());
    auto all = pesOfPid(readFile(outPath("dtshd.m2ts")), 0x1100);
    ASSERT_EQ(all.size(), 2u);
    for (const auto& b : all) {
        EXPECT_EQ(b[16], 0x71);
        EXPECT_EQ(std::vector<uint8_t>(b.begin() + 17, b.end()), core);
    }
}

TEST(BluvatM2tsWriter, OtherModesWriteTheirOwnShapes)
{
    std::vector<uint8_t> body = {0x10, 0x20, 0x30};
    auto writeIn = [&](M2tsMode mode, const std::string& name) {
        M2tsWriter w;
        EXPECT_TRUE(w.Open(outPath(name), mode, {entry(0x90, 0x100)}));
        w.Clock(27000000);
        PesPacket p = pes(0x100, 0, 900000, body, 0xBD);
        p.bytes[7] = 0xC0; // PTS and DTS
        p.bytes[8] = 10;
        p.bytes.insert(p.bytes.begin() + 14, {0x10, 0, 0, 0, 0});
        WriteTimestamp(&p.bytes[14], 896400);
        p.bytes[5] += 5;
        w.Write(p);
        w.Clock(27000000 + 2700000);
        EXPECT_TRUE(w.Finish());
        return readFile(outPath(name));
    };
    std::vector<uint8_t> elementary = writeIn(M2tsMode::Elementary, "mode4.bin");
    EXPECT_EQ(elementary, body);
    std::vector<uint8_t> whole = writeIn(M2tsMode::Pes, "mode5.bin");
    ASSERT_EQ(whole.size(), 19u + body.size());
    EXPECT_EQ(*PesPts(whole), 900000u);
    std::vector<uint8_t> frames = writeIn(M2tsMode::GraphicsFrames, "mode6.bin");
    std::vector<uint8_t> expected = {'P', 'G', 0x00, 0x0D, 0xBB, 0xA0, 0x00, 0x0D, 0xAD, 0x90, 0x10, 0x20, 0x30};
    EXPECT_EQ(frames, expected);

    // Transport packets with the source PID: without and with arrival time stamps, no tables.
    std::vector<uint8_t> plain = writeIn(M2tsMode::Transport, "mode1.ts");
    ASSERT_EQ(plain.size(), 188u);
    EXPECT_EQ(PacketPid(plain.data()), 0x100);
    std::vector<uint8_t> stamped = writeIn(M2tsMode::Timestamped, "mode2.m2ts");
    ASSERT_EQ(stamped.size(), 192u);
    EXPECT_EQ(PacketPid(stamped.data() + 4), 0x100);
    uint32_t ats =
        (uint32_t(stamped[0] & 0x3F) << 24) | (uint32_t(stamped[1]) << 16) | (uint32_t(stamped[2]) << 8) | stamped[3];
    EXPECT_EQ(ats, (27000000u + 2700000u) % (1u << 30));
}
