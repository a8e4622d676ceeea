#include <gtest/gtest.h>

#include <filesystem>

#include "bluvat/readers/matroska_chapters.h"
#include "bluvat/readers/matroska_reader.h"
#include "bluvat/readers/pes_packet.h"
#include "ebml_builder.h"
#include "media.h"

using namespace bluvat;
using namespace bluvat_mkv_test;

namespace {

constexpr uint64_t kLead = kMatroskaPresentationLead;

std::string writeMatroska(const std::string& name, const Bytes& segment)
{
    std::string path = scratchFolder() + "/" + name;
    writeFile(path, matroskaFile(segment));
    return path;
}

Bytes ac3Track(uint64_t number)
{
    return track(number, "A_AC3");
}

std::vector<PesPacket> readAll(MatroskaReader& reader)
{
    std::vector<PesPacket> packets;
    readElementaryStreams(reader, nullptr, &packets);
    return packets;
}

std::string srtFile()
{
    std::string path = scratchFolder() + "/subs.srt";
    std::string text = "1\n00:00:00,200 --> 00:00:01,000\nHello\n\n";
    writeFile(path, Bytes(text.begin(), text.end()));
    return path;
}

} // namespace

TEST(MatroskaReader, TracksTakeOrdinalPidsAndBlocksFindTheirTrackByNumber)
{
    Bytes tracks = element(0x1654AE6B, cat({ac3Track(7), track(4, "A_AAC"), ac3Track(3)}));
    Bytes segment =
        cat({tracks, cluster(0, {simpleBlock(3, 0, 0x80, {0x0B, 0x77, 0x33}), simpleBlock(4, 0, 0x80, {0x55}),
                                 simpleBlock(7, 0, 0x80, {0x0B, 0x77, 0x77})})});
    MatroskaReader reader(writeMatroska("numbers.mkv", segment));
    ASSERT_TRUE(reader.Scan());
    ASSERT_EQ(reader.entries().size(), 2u);
    EXPECT_EQ(reader.entries()[0].pid, 1);
    EXPECT_EQ(reader.entries()[1].pid, 2);
    EXPECT_EQ(reader.entries()[0].streamType, 0x81);
    auto packets = readAll(reader);
    ASSERT_EQ(packets.size(), 2u); // the AAC block is dropped
    EXPECT_EQ(packets[0].pid, 2);  // track 3 is the second taken track
    EXPECT_EQ(packets[0].bytes.back(), 0x33);
    EXPECT_EQ(packets[1].pid, 1);
    EXPECT_EQ(packets[1].bytes.back(), 0x77);
    EXPECT_TRUE(packets[0].priority);
}

TEST(MatroskaReader, ClustersPlayInTimeOrderAndEqualTimesKeepFileOrder)
{
    Bytes tracks = element(0x1654AE6B, ac3Track(1));
    Bytes segment =
        cat({tracks, cluster(2000, {simpleBlock(1, 0, 0x80, {0xC})}), cluster(1000, {simpleBlock(1, -40, 0x80, {0xA})}),
             cluster(1000, {simpleBlock(1, 0, 0x80, {0xB})})});
    MatroskaReader reader(writeMatroska("order.mkv", segment));
    ASSERT_TRUE(reader.Scan());
    EXPECT_EQ(reader.firstPcr(), 1000u * 27000);
    EXPECT_EQ(reader.lastPcr(), 2000u * 27000);
    std::vector<uint64_t> clocks;
    std::vector<PesPacket> packets;
    readElementaryStreams(reader, &clocks, &packets);
    ASSERT_EQ(packets.size(), 3u);
    EXPECT_EQ(packets[0].bytes.back(), 0xA);
    EXPECT_EQ(packets[1].bytes.back(), 0xB);
    EXPECT_EQ(packets[2].bytes.back(), 0xC);
    // cluster 1000, block -40: 86,400 ticks, handed out with the decoder's head start
    EXPECT_EQ(PesPts(packets[0].bytes), 86400u + kLead);
    EXPECT_EQ(PesPts(packets[1].bytes), 90000u + kLead);
    ASSERT_FALSE(clocks.empty());
    EXPECT_EQ(clocks.front(), 86400u * 300);
    for (std::size_t i = 1; i < clocks.size(); ++i)
        EXPECT_LE(clocks[i - 1], clocks[i]);
}

TEST(MatroskaReader, LastClockComesFromTheLastClustersBlocks)
{
    Bytes tracks = element(0x1654AE6B, ac3Track(1));
    Bytes segment = cat({tracks, cluster(0, {simpleBlock(1, 0, 0x80, {1})}),
                         cluster(1000, {simpleBlock(1, 0, 0x80, {2}), simpleBlock(1, 1500, 0x80, {3})})});
    MatroskaReader reader(writeMatroska("last.mkv", segment));
    ASSERT_TRUE(reader.Scan());
    EXPECT_EQ(reader.lastPcr(), 2500u * 27000);
}

TEST(MatroskaReader, CorruptAndTruncatedFilesReportAndStayInBounds)
{
    Bytes tracks = element(0x1654AE6B, ac3Track(1));
    Bytes good = cat({tracks, cluster(0, {simpleBlock(1, 0, 0x80, {0x0B, 0x77, 1})}),
                      cluster(40, {simpleBlock(1, 0, 0x80, {0x0B, 0x77, 2})})});
    Bytes file = matroskaFile(good);

    // every truncation of the file: no crash, and whatever is delivered lies inside the file
    for (std::size_t cut = 0; cut < file.size(); cut += 3) {
        std::string path = scratchFolder() + "/cut.mkv";
        writeFile(path, Bytes(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(cut)));
        CallbackTexts texts;
        MatroskaReader reader(path);
        ASSERT_TRUE(reader.Scan());
        auto packets = readAll(reader);
        EXPECT_LE(packets.size(), 2u);
        if (cut + 3 < file.size()) {
            EXPECT_FALSE(texts.errors().empty()) << "cut at " << cut;
        }
    }

    // a block whose size runs past its cluster, and a cluster without a time code
    Bytes badBlock = simpleBlock(1, 0, 0x80, {0x0B, 0x77, 9});
    badBlock[8] = 0x40; // the last size byte: 64 bytes claimed
    Bytes noTime = element(0x1F43B675, simpleBlock(1, 0, 0x80, {1}));
    CallbackTexts texts;
    MatroskaReader reader(writeMatroska("bad.mkv", cat({tracks, cluster(0, {badBlock}), noTime})));
    ASSERT_TRUE(reader.Scan());
    EXPECT_TRUE(texts.has("Could not find timecode"));
    readAll(reader);
    EXPECT_TRUE(texts.has("Invalid/Corrupted MKV file"));
}

TEST(MatroskaReader, TrackWithoutNumberIsInvalidAndNoSegmentIsCorrupt)
{
    {
        CallbackTexts texts;
        Bytes tracks = element(0x1654AE6B, cat({element(0xAE, text(0x86, "A_AC3")), ac3Track(2)}));
        MatroskaReader reader(writeMatroska("nonumber.mkv", tracks));
        ASSERT_TRUE(reader.Scan());
        EXPECT_TRUE(texts.has("Track info is invalid"));
        EXPECT_EQ(reader.entries().size(), 1u);
    }
    {
        CallbackTexts texts;
        std::string path = scratchFolder() + "/nosegment.mkv";
        writeFile(path, element(0x1A45DFA3, text(0x4282, "matroska")));
        MatroskaReader reader(path);
        ASSERT_TRUE(reader.Scan());
        EXPECT_TRUE(texts.has("Invalid/Corrupted MKV file"));
        EXPECT_TRUE(reader.entries().empty());
    }
    {
        // A segment behind a large void element lies past the first look, not past the search.
        std::string path = scratchFolder() + "/farsegment.mkv";
        Bytes tracks = element(0x1654AE6B, track(1, "A_AC3"));
        writeFile(path, cat({element(0x1A45DFA3, text(0x4282, "matroska")), element(0xEC, Bytes(200000, 0)),
                             element(0x18538067, tracks)}));
        MatroskaReader reader(path);
        ASSERT_TRUE(reader.Scan());
        EXPECT_EQ(reader.entries().size(), 1u);
    }
}

TEST(MatroskaReader, FfmpegFileGivesVideoAndAc3WithTheSourcesFrames)
{
    std::string srt = srtFile();
    std::string mkv = makeMedia("h264_ac3_sub.mkv",
                                {"-f",      "lavfi",     "-i",     "testsrc=size=320x240:rate=25:duration=2",
                                 "-f",      "lavfi",     "-i",     "sine=frequency=440:sample_rate=48000:duration=2",
                                 "-f",      "lavfi",     "-i",     "sine=frequency=880:duration=2",
                                 "-i",      srt,         "-map",   "0",
                                 "-map",    "1",         "-map",   "2",
                                 "-map",    "3",         "-c:v",   "libx264",
                                 "-preset", "ultrafast", "-g",     "12",
                                 "-c:a:0",  "ac3",       "-c:a:1", "aac",
                                 "-c:s",    "srt"});
    ASSERT_FALSE(mkv.empty());
    auto source = countFrames(mkv);
    ASSERT_EQ(source["h264"], 50);
    ASSERT_GT(source["ac3"], 0);

    MatroskaReader reader(mkv);
    ASSERT_TRUE(reader.Scan());
    ASSERT_EQ(reader.entries().size(), 2u);
    EXPECT_EQ(reader.entries()[0].streamType, 0x1B);
    EXPECT_EQ(reader.entries()[1].streamType, 0x81);
    EXPECT_NE(reader.entries()[0].attributes.format, 0); // the SPS was found in the converted frames
    EXPECT_EQ(reader.entries()[1].attributes.rate, 1);   // 48 kHz
    EXPECT_NEAR(static_cast<double>(reader.lastPcr() - reader.firstPcr()) / 27e6, 2.0, 0.1);

    auto streams = readElementaryStreams(reader);
    std::string video = scratchFolder() + "/video.h264", audio = scratchFolder() + "/audio.ac3";
    writeFile(video, streams[1]);
    writeFile(audio, streams[2]);
    EXPECT_EQ(countFrames(video, "h264")["h264"], source["h264"]);
    EXPECT_EQ(countFrames(audio, "ac3")["ac3"], source["ac3"]);
}

TEST(MatroskaReader, UnknownSizedSegmentAndClustersAsLiveMuxersWriteThem)
{
    auto unknownSized = [](Bytes element) {
        std::size_t idLength = element[0] >= 0x80 ? 1 : element[0] >= 0x40 ? 2 : element[0] >= 0x20 ? 3 : 4;
        std::fill(element.begin() + static_cast<std::ptrdiff_t>(idLength) + 1,
                  element.begin() + static_cast<std::ptrdiff_t>(idLength) + 8, 0xFF);
        return element;
    };
    Bytes tracks = element(0x1654AE6B, ac3Track(1));
    Bytes segment =
        unknownSized(element(0x18538067, cat({tracks, unknownSized(cluster(0, {simpleBlock(1, 0, 0x80, {0xA})})),
                                              unknownSized(cluster(40, {simpleBlock(1, 0, 0x80, {0xB})}))})));
    std::string path = scratchFolder() + "/live.mkv";
    writeFile(path, cat({element(0x1A45DFA3, text(0x4282, "matroska")), segment}));
    CallbackTexts texts;
    MatroskaReader reader(path);
    ASSERT_TRUE(reader.Scan());
    auto packets = readAll(reader);
    ASSERT_EQ(packets.size(), 2u);
    EXPECT_EQ(packets[0].bytes.back(), 0xA);
    EXPECT_EQ(packets[1].bytes.back(), 0xB);
    EXPECT_TRUE(texts.errors().empty());
}

TEST(MatroskaReader, HeaderStrippingIsUndoneAndCompressedTracksAreLeftOut)
{
    auto encodings = [](uint8_t algo, const Bytes& settings) {
        Bytes compression = unsignedElement(0x4254, algo, 1);
        if (!settings.empty())
            compression = cat({compression, element(0x4255, settings)});
        return element(0x6D80, element(0x6240, element(0x5034, compression)));
    };
    Bytes stripped = element(0xAE, cat({unsignedElement(0xD7, 1, 1), text(0x86, "A_AC3"), encodings(3, {0x0B, 0x77})}));
    Bytes zlib = element(0xAE, cat({unsignedElement(0xD7, 2, 1), text(0x86, "A_AC3"), encodings(0, {})}));
    Bytes segment = cat({element(0x1654AE6B, cat({stripped, zlib})),
                         cluster(0, {simpleBlock(1, 0, 0x80, {0x01, 0x02}), simpleBlock(2, 0, 0x80, {0x78, 0x9C})})});
    MatroskaReader reader(writeMatroska("encodings.mkv", segment));
    ASSERT_TRUE(reader.Scan());
    ASSERT_EQ(reader.entries().size(), 1u);
    auto packets = readAll(reader);
    ASSERT_EQ(packets.size(), 1u);
    EXPECT_EQ(Bytes(packets[0].bytes.end() - 4, packets[0].bytes.end()), (Bytes{0x0B, 0x77, 0x01, 0x02}));
}

TEST(MatroskaChapters, TheDefaultEditionsShownChaptersInTimeOrder)
{
    auto atom = [](uint64_t ns, bool hidden, bool enabled) {
        return element(0xB6, cat({unsignedElement(0x91, ns, 8), unsignedElement(0x98, hidden ? 1 : 0, 1),
                                  unsignedElement(0x4598, enabled ? 1 : 0, 1)}));
    };
    Bytes first = element(0x45B9, atom(7'000'000'000, false, true));
    Bytes chosen =
        element(0x45B9, cat({unsignedElement(0x45DB, 1, 1), atom(2'500'000'000, false, true), atom(0, false, true),
                             atom(1'000'000'000, true, true), atom(1'500'000'000, false, false)}));
    bool corrupt = false;
    EXPECT_EQ(bluvat::ReadMatroskaChapters(cat({first, chosen}), corrupt), (std::vector<uint64_t>{0, 2'500'000'000}));
    EXPECT_FALSE(corrupt);
    // Without a default edition the first one counts.
    EXPECT_EQ(bluvat::ReadMatroskaChapters(cat({first, element(0x45B9, atom(0, false, true))}), corrupt),
              std::vector<uint64_t>{7'000'000'000});
}
