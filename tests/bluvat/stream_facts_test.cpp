// What a disc tells a player about its streams (type, format, rate, language), read back by
// libbluray from the playlist and by hand from the clip information, for sources made by ffmpeg.

#include "audio_lead.h"
#include "stream_checks.h"
#include "test_media.h"

#include "platform/process_runner.h"

#include <libbluray/bluray.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <map>

namespace fs = std::filesystem;
using namespace bluvat_test;

namespace {

struct StreamFacts {
    int codingType = 0;
    int format = 0;
    int rate = 0;
    std::string language;
};

struct TitleFacts {
    std::vector<StreamFacts> video, audio; // from the playlist, as libbluray reads it
    std::map<uint16_t, StreamFacts> clip;  // from the clip information's program, by PID
};

// The coding blocks of the clip information's one program.
std::map<uint16_t, StreamFacts> clipStreams(const std::string& clpi)
{
    std::map<uint16_t, StreamFacts> streams;
    std::vector<uint8_t> b = readFile(clpi);
    if (b.size() < 40)
        return streams;
    std::size_t program = (std::size_t(b[12]) << 24) | (std::size_t(b[13]) << 16) | (std::size_t(b[14]) << 8) | b[15];
    if (program + 14 > b.size())
        return streams;
    std::size_t count = b[program + 12];
    for (std::size_t i = 0, at = program + 14; i < count && at + 24 <= b.size(); ++i, at += 24) {
        uint16_t pid = uint16_t((b[at] << 8) | b[at + 1]);
        const uint8_t* c = &b[at + 2];
        StreamFacts s{c[1], c[2] >> 4, c[2] & 0x0F, {}};
        if (c[1] >= 0x80 && c[1] <= 0x86)
            s.language.assign(reinterpret_cast<const char*>(c + 3), 3);
        streams[pid] = s;
    }
    return streams;
}

TitleFacts authorAndRead(const std::string& name, const std::string& source, JobResult* job = nullptr)
{
    std::string folder = scratchFolder() + "/facts_" + name;
    JobResult result = runJob(folder, {{source, {}}});
    EXPECT_EQ(result.result, 0) << name;
    if (job)
        *job = result;
    TitleFacts facts;
    facts.clip = clipStreams(folder + "/BDMV/CLIPINF/00000.clpi");
    BLURAY* bd = bd_open(folder.c_str(), nullptr);
    if (!bd) {
        ADD_FAILURE() << "libbluray cannot open " << folder;
        return facts;
    }
    if (bd_get_titles(bd, TITLES_ALL, 0) >= 1)
        if (BLURAY_TITLE_INFO* info = bd_get_playlist_info(bd, 0, 0)) {
            if (info->clip_count == 1) {
                const BLURAY_CLIP_INFO& clip = info->clips[0];
                auto take = [](const BLURAY_STREAM_INFO& s) {
                    return StreamFacts{s.coding_type, s.format, s.rate, reinterpret_cast<const char*>(s.lang)};
                };
                for (int i = 0; i < clip.video_stream_count; ++i)
                    facts.video.push_back(take(clip.video_streams[i]));
                for (int i = 0; i < clip.audio_stream_count; ++i)
                    facts.audio.push_back(take(clip.audio_streams[i]));
            }
            bd_free_title_info(info);
        }
    bd_close(bd);
    return facts;
}

std::vector<std::string> args(std::initializer_list<std::vector<std::string>> parts)
{
    std::vector<std::string> all;
    for (const auto& p : parts)
        all.insert(all.end(), p.begin(), p.end());
    return all;
}

std::vector<std::string> picture(const std::string& size, const std::string& rate)
{
    return {"-f", "lavfi", "-i", "testsrc=size=" + size + ":rate=" + rate + ":duration=0.48"};
}
const std::vector<std::string> kTone = {"-f", "lavfi", "-i", "sine=frequency=440:sample_rate=48000:duration=0.48"};
const std::vector<std::string> kFastH264 = {"-c:v", "libx264", "-preset",  "ultrafast",
                                            "-g",   "6",       "-pix_fmt", "yuv420p"};
const std::vector<std::string> kAc3 = {"-c:a", "ac3", "-b:a", "128k"};

} // namespace

TEST(BluvatStreamFacts, VideoIsAnnouncedWithTheRateAndScanTheStreamHas)
{
    struct Case {
        const char* name;
        std::vector<std::string> video;
        std::vector<std::string> codec;
        int codingType, format, rate;
    };
    const std::vector<Case> cases = {
        {"h264_1080p25", picture("1920x1080", "25"), kFastH264, 0x1B, BLURAY_VIDEO_FORMAT_1080P, BLURAY_VIDEO_RATE_25},
        {"h264_720p50", picture("1280x720", "50"), kFastH264, 0x1B, BLURAY_VIDEO_FORMAT_720P, BLURAY_VIDEO_RATE_50},
        {"h264_1080i25", picture("1920x1080", "25"), args({kFastH264, {"-flags", "+ilme+ildct", "-x264opts", "tff=1"}}),
         0x1B, BLURAY_VIDEO_FORMAT_1080I, BLURAY_VIDEO_RATE_25},
        {"mpeg2_1080i25",
         picture("1920x1080", "25"),
         {"-c:v", "mpeg2video", "-b:v", "8M", "-g", "6", "-flags", "+ilme+ildct", "-top", "1"},
         0x02,
         BLURAY_VIDEO_FORMAT_1080I,
         BLURAY_VIDEO_RATE_25},
        {"mpeg2_720p5994",
         picture("1280x720", "60000/1001"),
         {"-c:v", "mpeg2video", "-b:v", "6M", "-g", "6"},
         0x02,
         BLURAY_VIDEO_FORMAT_720P,
         BLURAY_VIDEO_RATE_60000_1001},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string source =
            makeStream(std::string(c.name) + ".ts", args({c.video, kTone, c.codec, kAc3, {"-f", "mpegts"}}));
        TitleFacts t = authorAndRead(c.name, source);
        ASSERT_EQ(t.video.size(), 1u);
        EXPECT_EQ(t.video[0].codingType, c.codingType);
        EXPECT_EQ(t.video[0].format, c.format);
        EXPECT_EQ(t.video[0].rate, c.rate);
        ASSERT_EQ(t.clip.count(0x1011), 1u);
        EXPECT_EQ(t.clip[0x1011].format, c.format);
        EXPECT_EQ(t.clip[0x1011].rate, c.rate);
    }
}

TEST(BluvatStreamFacts, EveryAudioStreamOfAPlainTransportStreamIsCarriedOrNamed)
{
    // E-AC-3 as a plain transport stream types it (0x87, "EAC3"), in French; AC-3 in German under
    // its older code; AC-3 without a language; and AAC, which a disc cannot carry.
    std::string source = makeStream("four_audio.ts", args({picture("320x240", "25"),
                                                           kTone,
                                                           kTone,
                                                           kTone,
                                                           kTone,
                                                           kFastH264,
                                                           {"-map",
                                                            "0:v",
                                                            "-map",
                                                            "1:a",
                                                            "-map",
                                                            "2:a",
                                                            "-map",
                                                            "3:a",
                                                            "-map",
                                                            "4:a",
                                                            "-c:a:0",
                                                            "eac3",
                                                            "-c:a:1",
                                                            "ac3",
                                                            "-c:a:2",
                                                            "ac3",
                                                            "-c:a:3",
                                                            "aac",
                                                            "-metadata:s:a:0",
                                                            "language=fra",
                                                            "-metadata:s:a:1",
                                                            "language=ger",
                                                            "-f",
                                                            "mpegts"}}));
    JobResult job;
    TitleFacts t = authorAndRead("four_audio", source, &job);
    EXPECT_EQ(job.errors(), std::vector<std::string>{"Stream 0x0104 of type 0x0F is left out: a disc cannot carry it"});
    ASSERT_EQ(t.audio.size(), 3u);
    EXPECT_EQ(t.audio[0].codingType, 0x84);
    EXPECT_EQ(t.audio[0].language, "fra");
    EXPECT_EQ(t.audio[1].codingType, 0x81);
    EXPECT_EQ(t.audio[1].language, "deu");
    EXPECT_EQ(t.audio[2].language, "eng");
    EXPECT_EQ(t.clip[0x1100].codingType, 0x84);
    EXPECT_EQ(t.clip[0x1100].language, "fra");
    EXPECT_EQ(t.clip[0x1100].rate, BLURAY_AUDIO_RATE_48);
    EXPECT_EQ(t.clip[0x1101].language, "deu");

    std::string m2ts = scratchFolder() + "/facts_four_audio/BDMV/STREAM/00000.m2ts";
    ProbeFacts in = probeFile(source), out = probeFile(m2ts);
    EXPECT_EQ(out.warnings, "");
    ASSERT_EQ(out.streams.size(), 4u);
    EXPECT_EQ(out.streams[1].codec, "eac3");
    EXPECT_GE(out.streams[1].frames, in.streams[1].frames - audioFramesBeforeVideo(source));
}

TEST(BluvatStreamFacts, MatroskaTrackLanguagesAndLeftOutTracks)
{
    std::string source =
        makeStream("languages.mkv", args({picture("320x240", "25"),
                                          kTone,
                                          kTone,
                                          kTone,
                                          kFastH264,
                                          {"-map", "0:v", "-map", "1:a", "-map", "2:a", "-map", "3:a", "-c:a:0", "eac3",
                                           "-c:a:1", "ac3", "-c:a:2", "aac", "-metadata:s:a:0", "language=fre"}}));
    JobResult job;
    TitleFacts t = authorAndRead("languages_mkv", source, &job);
    EXPECT_EQ(job.errors(), std::vector<std::string>{"Track 4 (A_AAC) is left out: a disc cannot carry it"});
    ASSERT_EQ(t.audio.size(), 2u);
    EXPECT_EQ(t.audio[0].codingType, 0x84);
    EXPECT_EQ(t.audio[0].language, "fra");
    EXPECT_EQ(t.audio[1].codingType, 0x81);
    EXPECT_EQ(t.audio[1].language, "eng"); // ffmpeg names it "und"
    ProbeFacts out = probeFile(scratchFolder() + "/facts_languages_mkv/BDMV/STREAM/00000.m2ts");
    EXPECT_EQ(out.warnings, "");
    ASSERT_EQ(out.streams.size(), 3u);
    EXPECT_EQ(out.streams[1].codec, "eac3");
    EXPECT_GT(out.streams[1].frames, 10);
    EXPECT_GT(out.streams[2].frames, 10);
}

TEST(BluvatStreamFacts, LinearPcmCarriesItsChannelsAndRate)
{
    std::string source =
        makeStream("lpcm.m2ts", args({picture("320x240", "25"),
                                      {"-f", "lavfi", "-i", "sine=frequency=440:sample_rate=96000:duration=0.48"},
                                      kFastH264,
                                      {"-c:a", "pcm_bluray", "-ac", "2", "-f", "mpegts", "-mpegts_m2ts_mode", "1"}}));
    TitleFacts t = authorAndRead("lpcm", source);
    ASSERT_EQ(t.audio.size(), 1u);
    EXPECT_EQ(t.audio[0].codingType, 0x80);
    EXPECT_EQ(t.audio[0].format, BLURAY_AUDIO_FORMAT_STEREO);
    EXPECT_EQ(t.audio[0].rate, BLURAY_AUDIO_RATE_96);
    EXPECT_EQ(t.clip[0x1100].format, BLURAY_AUDIO_FORMAT_STEREO);
    EXPECT_EQ(t.clip[0x1100].rate, BLURAY_AUDIO_RATE_96);
}

TEST(BluvatStreamFacts, AudioAheadOfTheVideoLetsFfmpegReadTheTitleWhole)
{
    // ffmpeg's Blu-ray reader lists titles of 180 s and more only. In a Matroska file ffmpeg starts
    // the AC-3 a few milliseconds before the pictures; in the transport stream the video comes 20 ms late.
    const std::vector<std::string> sources = {
        makeStream("early_audio.mkv",
                   {"-f",   "lavfi",   "-i",      "testsrc=size=320x240:rate=10:duration=181",
                    "-f",   "lavfi",   "-i",      "sine=frequency=440:sample_rate=48000:duration=181",
                    "-c:v", "libx264", "-preset", "ultrafast",
                    "-g",   "20",      "-b:v",    "100k",
                    "-c:a", "ac3",     "-b:a",    "64k"}),
        makeStream("early_audio.ts", {"-itsoffset", "0.02",
                                      "-f",         "lavfi",
                                      "-i",         "testsrc=size=320x240:rate=10:duration=181",
                                      "-f",         "lavfi",
                                      "-i",         "sine=frequency=440:sample_rate=48000:duration=181",
                                      "-c:v",       "libx264",
                                      "-preset",    "ultrafast",
                                      "-g",         "20",
                                      "-bf",        "0",
                                      "-b:v",       "100k",
                                      "-c:a",       "ac3",
                                      "-b:a",       "64k",
                                      "-f",         "mpegts"}),
    };
    for (const std::string& source : sources) {
        SCOPED_TRACE(source);
        EXPECT_GT(audioFramesBeforeVideo(source), 0);
        std::string folder = scratchFolder() + "/facts_" + fs::path(source).filename().string();
        ASSERT_EQ(runJob(folder, {{source, {}}}).result, 0);
        EXPECT_EQ(audioFramesBeforeVideo(folder + "/BDMV/STREAM/00000.m2ts"), 0);
        int status = platform::RunAndWait("ffmpeg", {"-v", "quiet", "-nostdin", "-playlist", "0", "-i",
                                                     "bluray:" + folder, "-map", "0", "-c", "copy", "-f", "null", "-"});
        EXPECT_EQ(status, 0);
    }
}
