#include <gtest/gtest.h>

#include <libbluray/bluray.h>

#include <filesystem>
#include <sstream>

#include "../bluvat/audio_lead.h"
#include "bluvat/author_job.h"
#include "media.h"
#include "platform/process_runner.h"

using namespace bluvat_mkv_test;
using bluvat_test::audioFramesBeforeVideo;

namespace {

struct Title {
    double seconds = 0;
    int video = 0, audio = 0, graphics = 0;
    std::vector<int> audioTypes;
    std::string stream; // the .m2ts
};

// Authors one source into its own folder and reads the title back with libbluray.
std::optional<Title> authorAndRead(const std::string& source)
{
    std::string folder = scratchFolder() + "/disc_" + std::filesystem::path(source).stem().string() + "/";
    AuthorItem item{source.c_str(), 256, 5, nullptr};
    AuthorItem* items[] = {&item};
    AuthorList list{items, 1};
    if (bluvat::AuthorJob(folder.c_str(), &list) != 0)
        return std::nullopt;
    BLURAY* bd = bd_open(folder.c_str(), nullptr);
    if (!bd)
        return std::nullopt;
    std::optional<Title> title;
    if (bd_get_titles(bd, TITLES_ALL, 0) == 1) {
        if (BLURAY_TITLE_INFO* info = bd_get_title_info(bd, 0, 0)) {
            if (info->clip_count == 1) {
                const BLURAY_CLIP_INFO& clip = info->clips[0];
                title = Title{info->duration / 90000.0,
                              clip.video_stream_count,
                              clip.audio_stream_count,
                              clip.pg_stream_count,
                              {},
                              folder + "BDMV/STREAM/00000.m2ts"};
                for (int i = 0; i < clip.audio_stream_count; ++i)
                    title->audioTypes.push_back(clip.audio_streams[i].coding_type);
            }
            bd_free_title_info(info);
        }
    }
    bd_close(bd);
    return title;
}

double durationOf(const std::string& path)
{
    auto out =
        platform::RunAndCapture("ffprobe", {"-v", "error", "-show_entries", "format=duration", "-of", "csv=p=0", path});
    return out ? std::stod(*out) : 0;
}

std::vector<std::string> lavfi(const std::string& video)
{
    return {"-f", "lavfi", "-i", video + "=size=320x240:rate=25:duration=2",
            "-f", "lavfi", "-i", "sine=frequency=440:sample_rate=48000:duration=2"};
}

std::vector<std::string> operator+(std::vector<std::string> a, const std::vector<std::string>& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

const std::vector<std::string> kH264 = {"-c:v", "libx264", "-preset", "ultrafast", "-g", "12"};

// The title plays the source's streams for the source's time, every video frame is in the stream,
// and every audio frame but those that start before the title does.
void expectFaithful(const std::string& source, int audioType, const std::string& videoCodec,
                    const std::string& audioCodec)
{
    ASSERT_FALSE(source.empty());
    auto title = authorAndRead(source);
    ASSERT_TRUE(title) << "libbluray did not accept the title of " << source;
    EXPECT_EQ(title->video, 1);
    EXPECT_EQ(title->audio, 1);
    ASSERT_EQ(title->audioTypes.size(), 1u);
    EXPECT_EQ(title->audioTypes[0], audioType);
    EXPECT_NEAR(title->seconds, durationOf(source), 0.25);
    auto want = countFrames(source);
    auto got = countFrames(title->stream);
    ASSERT_GT(want[videoCodec], 0);
    EXPECT_EQ(got[videoCodec], want[videoCodec]);
    EXPECT_LE(got[audioCodec], want[audioCodec]);
    EXPECT_GE(got[audioCodec], want[audioCodec] - audioFramesBeforeVideo(source));
    EXPECT_EQ(audioFramesBeforeVideo(title->stream), 0);
}

} // namespace

TEST(MatroskaAuthoring, H264Ac3WithSubtitleAndAacTracks)
{
    std::string srt = scratchFolder() + "/title.srt";
    std::string text = "1\n00:00:00,200 --> 00:00:01,000\nHello\n\n";
    writeFile(srt, std::vector<uint8_t>(text.begin(), text.end()));
    std::string mkv = makeMedia("title_h264_ac3.mkv",
                                lavfi("testsrc") +
                                    std::vector<std::string>{"-f", "lavfi", "-i", "sine=frequency=880:duration=2", "-i",
                                                             srt, "-map", "0", "-map", "1", "-map", "2", "-map", "3"} +
                                    kH264 + std::vector<std::string>{"-c:a:0", "ac3", "-c:a:1", "aac", "-c:s", "srt"});
    expectFaithful(mkv, 0x81, "h264", "ac3");
}

TEST(MatroskaAuthoring, Mpeg2VideoWithAc3)
{
    expectFaithful(makeMedia("title_mpeg2.mkv",
                             lavfi("testsrc") + std::vector<std::string>{"-c:v", "mpeg2video", "-c:a", "ac3"}),
                   0x81, "mpeg2video", "ac3");
}

TEST(MatroskaAuthoring, H264WithDts)
{
    expectFaithful(makeMedia("title_dts.mkv",
                             lavfi("testsrc") + kH264 + std::vector<std::string>{"-c:a", "dca", "-strict", "-2"}),
                   0x82, "h264", "dts");
}

TEST(MatroskaAuthoring, LacedAudioInEveryLacing)
{
    std::string plain = makeMedia("unlaced.mkv", lavfi("testsrc") + kH264 + std::vector<std::string>{"-c:a", "ac3"});
    ASSERT_FALSE(plain.empty());
    // mkvmerge laces AC-3 by fixed sizes by default; the hacks force Xiph and EBML lacing
    for (std::string lacing : {"", "lacing_xiph", "lacing_ebml"}) {
        std::string laced = scratchFolder() + "/laced_" + (lacing.empty() ? "fixed" : lacing) + ".mkv";
        std::vector<std::string> args = {"-q", "-o", laced};
        if (!lacing.empty())
            args.insert(args.end(), {"--engage", lacing});
        args.push_back(plain);
        ASSERT_EQ(platform::RunAndWait("mkvmerge", args), 0);
        SCOPED_TRACE(laced);
        expectFaithful(laced, 0x81, "h264", "ac3");
    }
}

TEST(MatroskaAuthoring, BFramesGetDecodeTimesThatRunForward)
{
    std::string mkv = makeMedia("title_bframes.mkv",
                                lavfi("testsrc") + std::vector<std::string>{"-c:v", "libx264", "-preset", "veryfast",
                                                                            "-bf", "3", "-g", "12", "-c:a", "ac3"});
    expectFaithful(mkv, 0x81, "h264", "ac3");
    auto title = authorAndRead(mkv);
    ASSERT_TRUE(title);
    auto out = platform::RunAndCapture("ffprobe", {"-v", "error", "-select_streams", "v", "-show_entries",
                                                   "packet=pts,dts", "-of", "csv=p=0", title->stream});
    ASSERT_TRUE(out);
    std::istringstream lines(*out);
    std::string line;
    long previous = -1, reordered = 0, count = 0;
    while (std::getline(lines, line)) {
        auto comma = line.find(',');
        if (comma == std::string::npos || line.substr(comma + 1).rfind("N/A", 0) == 0)
            continue;
        long pts = std::stol(line.substr(0, comma)), dts = std::stol(line.substr(comma + 1));
        EXPECT_LE(dts, pts);
        EXPECT_GT(dts, previous);
        reordered += dts != pts;
        previous = dts;
        ++count;
    }
    EXPECT_EQ(count, 50); // every frame carries its decode time
    EXPECT_GT(reordered, 0);
}

TEST(ProgramStreamAuthoring, DvdProgramStreamDecodesWhole)
{
    std::string vob = makeMedia("title.vob", {"-f", "lavfi", "-i", "testsrc=size=352x288:rate=25:duration=2", "-f",
                                              "lavfi", "-i", "sine=frequency=440:sample_rate=48000:duration=2", "-c:v",
                                              "mpeg2video", "-c:a", "ac3", "-f", "vob"});
    expectFaithful(vob, 0x81, "mpeg2video", "ac3");
    std::string dvd =
        makeMedia("title_dvd.mpg", {"-f", "lavfi", "-i", "testsrc=size=720x576:rate=25:duration=1", "-f", "lavfi", "-i",
                                    "sine=frequency=440:sample_rate=48000:duration=1", "-target", "pal-dvd"});
    expectFaithful(dvd, 0x81, "mpeg2video", "ac3");
}

TEST(ProgramStreamAuthoring, DvdLinearPcmPlaysBackSampleForSample)
{
    auto decoded = [](const std::string& path) {
        return platform::RunAndCapture("ffmpeg", {"-v", "error", "-i", path, "-map", "0:a", "-f", "s32le", "-"});
    };
    for (std::string format : {"s16", "s32"}) {
        std::string vob = makeMedia("title_lpcm_" + format + ".vob",
                                    {"-f", "lavfi", "-i", "testsrc=size=352x288:rate=25:duration=1", "-f", "lavfi",
                                     "-i", "sine=frequency=440:sample_rate=48000:duration=1", "-ac", "2", "-c:v",
                                     "mpeg2video", "-c:a", "pcm_dvd", "-sample_fmt", format, "-f", "vob"});
        ASSERT_FALSE(vob.empty());
        auto title = authorAndRead(vob);
        ASSERT_TRUE(title);
        ASSERT_EQ(title->audioTypes, std::vector<int>{0x80});
        auto want = decoded(vob), got = decoded(title->stream);
        ASSERT_TRUE(want && got);
        EXPECT_GT(want->size(), 300000u);
        EXPECT_TRUE(*want == *got) << format << ": " << want->size() << " bytes against " << got->size();
    }
}
