#include "adapters/vexen/encoder_names.h"
#include "adapters/vexen/filter_escape.h"
#include "adapters/vexen/vector_translation.h"
#include "tests/media/test_media.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using Words = std::vector<std::string>;

vexen::Translation Translate(Words words)
{
    words.insert(words.begin(), "ffmain");
    return vexen::TranslateEngineVector(words);
}

// The value that follows `option` in the translated arguments, or "(absent)".
std::string ValueOf(const vexen::Translation& t, const std::string& option)
{
    auto found = std::find(t.arguments.begin(), t.arguments.end(), option);
    return found == t.arguments.end() || found + 1 == t.arguments.end() ? "(absent)" : *(found + 1);
}

bool Has(const vexen::Translation& t, const std::string& word)
{
    return std::find(t.arguments.begin(), t.arguments.end(), word) != t.arguments.end();
}

std::ptrdiff_t IndexOf(const vexen::Translation& t, const std::string& word)
{
    return std::find(t.arguments.begin(), t.arguments.end(), word) - t.arguments.begin();
}

TEST(VexenTranslation, WorkedExampleKeepsOrderAndUnits)
{
    auto t = Translate({"-i", "/in/a.mkv", "-ar", "48000", "-ac", "2", "-ab", "128.000000", "-b", "900", "-s",
                        "640x480", "-map", "0:0", "-map", "0:1", "/out/a.mp4"});
    ASSERT_EQ(t.error, "");
    EXPECT_EQ(t.output, "/out/a.mp4");
    EXPECT_EQ(t.arguments.back(), "/out/a.mp4");
    EXPECT_EQ(ValueOf(t, "-i"), "/in/a.mkv");
    EXPECT_EQ(ValueOf(t, "-ar"), "48000");
    EXPECT_EQ(ValueOf(t, "-ac"), "2");
    EXPECT_EQ(ValueOf(t, "-b:a"), "128000");
    EXPECT_EQ(ValueOf(t, "-b:v"), "900000");
    EXPECT_EQ(ValueOf(t, "-vf"), "scale=640:480");
    EXPECT_EQ(std::count(t.arguments.begin(), t.arguments.end(), "-map"), 2);
    EXPECT_LT(IndexOf(t, "-i"), IndexOf(t, "-ar"));
}

TEST(VexenTranslation, SeekAndDurationStayBeforeTheInput)
{
    auto t = Translate({"-ss", "00:00:01.5", "-t", "00:00:00.5", "-i", "in.mkv", "out.mkv"});
    ASSERT_EQ(t.error, "");
    EXPECT_LT(IndexOf(t, "-ss"), IndexOf(t, "-i"));
    EXPECT_LT(IndexOf(t, "-t"), IndexOf(t, "-i"));
    EXPECT_EQ(ValueOf(t, "-ss"), "00:00:01.5");
}

TEST(VexenTranslation, ProfileWordsPassThroughInPlace)
{
    // Unknown options and their values pass as they stand; the output is the last plain word.
    auto t = Translate(
        {"-threads", "1", "-i", "in.mkv", "-f", "mp4", "-g", "12", "-b", "500", "-vcodec", "h264", "out.file"});
    ASSERT_EQ(t.error, "");
    EXPECT_EQ(t.output, "out.file");
    EXPECT_EQ(ValueOf(t, "-threads"), "1");
    EXPECT_LT(IndexOf(t, "-threads"), IndexOf(t, "-i"));
    EXPECT_EQ(ValueOf(t, "-f"), "mp4");
    EXPECT_EQ(ValueOf(t, "-g"), "12");
    EXPECT_EQ(ValueOf(t, "-c:v"), "libx264");

    // "-y" is the one profile word dropped: the engine never overwrites, so it can only clash.
    auto y = Translate({"-y", "-i", "in.mkv", "-y", "-g", "12", "out.mkv", "-acodec", "ac3", "-y", "-newaudio"});
    ASSERT_EQ(y.error, "");
    EXPECT_FALSE(Has(y, "-y"));
    EXPECT_EQ(ValueOf(y, "-g"), "12");
    EXPECT_EQ(ValueOf(y, "-c:a:1"), "ac3");
}

TEST(VexenTranslation, CodecNamesOfTheDialogsMapToEncoders)
{
    auto t = Translate({"-i", "in", "-acodec", "MP3", "-vcodec", "xvid", "out.avi"});
    ASSERT_EQ(t.error, "");
    EXPECT_EQ(ValueOf(t, "-c:a"), "libmp3lame");
    EXPECT_TRUE(ValueOf(t, "-c:v") == "libxvid" || ValueOf(t, "-c:v") == "mpeg4");

    auto ac3 = Translate({"-i", "in", "-acodec", "ac3", "-vcodec", "mpeg2video", "out.mpg"});
    EXPECT_EQ(ValueOf(ac3, "-c:a"), "ac3");
    EXPECT_EQ(ValueOf(ac3, "-c:v"), "mpeg2video");

    // The profiles' newer codecs: AV1 goes to SVT-AV1, not to libavcodec's first (libaom, far slower).
    auto hevc = Translate({"-i", "in", "-acodec", "alac", "-vcodec", "hevc", "out.mkv"});
    EXPECT_EQ(ValueOf(hevc, "-c:a"), "alac");
    EXPECT_EQ(ValueOf(hevc, "-c:v"), "libx265");
    auto av1 = Translate({"-i", "in", "-acodec", "opus", "-vcodec", "av1", "out.webm"});
    EXPECT_EQ(ValueOf(av1, "-c:a"), "libopus");
    EXPECT_EQ(ValueOf(av1, "-c:v"), "libsvtav1");
    EXPECT_FALSE(Has(av1, "experimental"));
    EXPECT_EQ(ValueOf(Translate({"-i", "in", "-vcodec", "vp9", "out.webm"}), "-c:v"), "libvpx-vp9");
}

TEST(VexenTranslation, CodecWithoutEncoderIsNamedInTheError)
{
    auto missing = Translate({"-i", "in", "-acodec", "adpcm_ima_dk3", "out.wav"});
    EXPECT_NE(missing.error.find("adpcm_ima_dk3"), std::string::npos);
    EXPECT_TRUE(missing.arguments.empty());

    auto wrongKind = Translate({"-i", "in", "-vcodec", "aac", "out.mp4"});
    EXPECT_NE(wrongKind.error.find("\"aac\""), std::string::npos);
}

TEST(VexenTranslation, CropScalePadChainInThatOrder)
{
    auto t = Translate({"-i",         "in", "-croptop",  "8",        "-cropbottom", "8",    "-cropleft", "4",
                        "-cropright", "4",  "-padtop",   "10",       "-padbottom",  "12",   "-padleft",  "6",
                        "-padright",  "2",  "-padcolor", "0xff0000", "-s",          "qcif", "out.mkv"});
    ASSERT_EQ(t.error, "");
    EXPECT_EQ(ValueOf(t, "-vf"), "crop=w=iw-8:h=ih-16:x=4:y=8,scale=176:144,"
                                 "pad=w=iw+8:h=ih+22:x=6:y=10:color=0xFF0000");
    auto black = Translate({"-i", "in", "-padtop", "2", "-padcolor", "0x0", "out.mkv"});
    EXPECT_EQ(ValueOf(black, "-vf"), "pad=w=iw+0:h=ih+2:x=0:y=2:color=0x000000");
    // Fields are turned before anything else and scaled apart.
    auto fields = Translate({"-i", "in", "-s", "720x480", "-fieldscale", "-fieldorder", "tff", "out.mpg"});
    EXPECT_EQ(ValueOf(fields, "-vf"), "setfield=bff,fieldorder=tff,scale=720:480:interl=1");
}

TEST(VexenTranslation, ToneMapComesAfterTheDeinterlacerAndBeforeSubtitleCropScaleAndPad)
{
    auto t = Translate({"-i", "in", "-deinterlace", "-tonemap", "9:9", "-vhook", "SubTitleHook -f a.srt", "-cropleft",
                        "4", "-cropright", "4", "-s", "qcif", "-padtop", "2", "out.mkv"});
    ASSERT_EQ(t.error, "");
    EXPECT_EQ(ValueOf(t, "-vf"),
              "bwdif=mode=send_frame,setparams=color_primaries=9:colorspace=9,zscale=t=linear:npl=100,"
              "format=gbrpf32le,zscale=p=bt709,tonemap=hable:desat=0,zscale=t=bt709:m=bt709:r=tv,format=yuv420p," +
                  vexen::SubtitlesFilter("a.srt", "") +
                  ",crop=w=iw-8:h=ih-0:x=4:y=0,scale=176:144,pad=w=iw+0:h=ih+2:x=0:y=2:color=0x000000");
    for (const char* bad : {"", "9", "9:x", "9:9:1", "-1:9", "9:256"})
        EXPECT_NE(Translate({"-i", "in", "-tonemap", bad, "out.mkv"}).error.find("-tonemap"), std::string::npos) << bad;
}

TEST(VexenTranslation, VolumeSizeLimitAndQualitySwitch)
{
    auto t = Translate({"-i", "in", "-vol", "512", "-hq", "-vcodec", "mpeg4", "-fs", "300", "out.avi"});
    ASSERT_EQ(t.error, "");
    EXPECT_EQ(ValueOf(t, "-af"), "volume=2");
    EXPECT_EQ(ValueOf(t, "-fs"), "307200");
    EXPECT_EQ(ValueOf(t, "-mbd"), "rd");
    // A custom split of 0 (or less) is no limit, not an output without frames.
    for (const char* none : {"0", "-5"})
        EXPECT_FALSE(Has(Translate({"-i", "in", "-fs", none, "out.avi"}), "-fs")) << none;

    auto x264 = Translate({"-i", "in", "-hq", "out.mkv"}); // the format's own encoder: libx264
    EXPECT_EQ(ValueOf(x264, "-preset"), "slow");
    auto noVideo = Translate({"-i", "in", "-vn", "-hq", "-vol", "128", "out.mkv"});
    EXPECT_FALSE(Has(noVideo, "-preset"));
    EXPECT_EQ(ValueOf(noVideo, "-af"), "volume=0.5");
}

TEST(VexenTranslation, NewAudioGroupsBecomeLaterAudioStreams)
{
    auto t = Translate({"-i",  "in",   "-acodec", "aac",       "-map",    "0:0", "-map", "0:1",   "-map",
                        "0:2", "-map", "0:3",     "out.mkv",   "-acodec", "ac3", "-ar",  "48000", "-ab",
                        "448", "-ac",  "2",       "-newaudio", "-acodec", "ac3", "-ar",  "48000", "-ab",
                        "448", "-ac",  "2",       "-newaudio", "-ab",     "64"});
    ASSERT_EQ(t.error, "");
    EXPECT_EQ(t.arguments.back(), "out.mkv");
    EXPECT_EQ(ValueOf(t, "-c:a"), "aac");
    EXPECT_EQ(ValueOf(t, "-c:a:1"), "ac3");
    EXPECT_EQ(ValueOf(t, "-b:a:1"), "448000");
    EXPECT_EQ(ValueOf(t, "-ar:a:2"), "48000");
    EXPECT_EQ(ValueOf(t, "-ac:a:2"), "2");
    EXPECT_FALSE(Has(t, "-b:a:3")); // options without a closing -newaudio are dropped
    EXPECT_LT(IndexOf(t, "-c:a"), IndexOf(t, "-c:a:1"));
}

TEST(VexenTranslation, SubtitleHookBurnsWithAnEscapedPath)
{
    auto t = Translate({"-i", "in", "-vhook", "SubTitleHook -f /subs/it's: a [b],c;d.srt", "-s", "320x240", "out"});
    ASSERT_EQ(t.error, "");
    EXPECT_EQ(ValueOf(t, "-vf"),
              "subtitles=filename=/subs/it\\\\\\'s\\\\:\\\\\\ a\\\\\\ \\[b\\]\\,c\\;d.srt,scale=320:240");

    auto seeking = Translate({"-ss", "00:00:02.5", "-i", "in", "-vhook", "SubTitleHook -f /s.srt", "out"});
    EXPECT_EQ(ValueOf(seeking, "-vf"), "setpts=PTS+2.5/TB,subtitles=filename=/s.srt,setpts=PTS-2.5/TB");

    EXPECT_NE(Translate({"-i", "in", "-vhook", "OtherHook x", "out"}).error, "");
}

TEST(VexenTranslation, FilterEscapingLevels)
{
    EXPECT_EQ(vexen::EscapeFilterOptionValue("a:b'c\\d e"), "a\\:b\\'c\\\\d\\ e");
    EXPECT_EQ(vexen::EscapeFilterArguments("x=[a],b;c'\\"), "x=\\[a\\]\\,b\\;c\\'\\\\");
}

TEST(VexenTranslation, MalformedVectorsGiveMessages)
{
    EXPECT_NE(Translate({"-i", "in"}).error, "");                // no output
    EXPECT_NE(Translate({"-ar", "48000", "out.mkv"}).error, ""); // no input
    EXPECT_NE(Translate({"-i", "in", "-ab", "lots", "out"}).error, "");
    EXPECT_NE(Translate({"-i", "in", "-s", "huge", "out"}).error, "");
    EXPECT_NE(Translate({"-ivs", "&new &disk x", "out"}).error, "");
    EXPECT_NE(Translate({"-i", "in", "-cropleft", "-4", "out"}).error, "");
    EXPECT_NE(Translate({"-i", "in", "-fieldorder", "up", "out"}).error, "");
    // Numbers too large for a count are refused, not wrapped into nonsense.
    for (const char* option : {"-fs", "-ab", "-b", "-cropleft", "-padright"}) {
        auto t = Translate({"-i", "in", option, "2041e300", "out"});
        EXPECT_NE(t.error.find("out of range"), std::string::npos) << option << ": " << t.error;
    }
}

TEST(VexenTranslation, MergedInputsAreJoinedAtOneFrameSize)
{
    std::string a = testmedia::ClipPath(testmedia::Clip::Standard4x3);
    std::string b = testmedia::ClipPath(testmedia::Clip::Wide16x9);
    auto t = Translate({"-ivs", "&new &file " + a, "-ias", "&file " + a, "-ivs", "&new &dshow &file " + b, "-ias",
                        "&file " + b, "-b", "300", "joined.mkv"});
    ASSERT_EQ(t.error, "");
    EXPECT_EQ(std::count(t.arguments.begin(), t.arguments.end(), "-i"), 2);
    EXPECT_EQ(ValueOf(t, "-filter_complex"),
              "[0:v:0]scale=320:240,setsar=1[v0];[0:a:0]anull[a0];[1:v:0]scale=320:240,setsar=1[v1];"
              "[1:a:0]anull[a1];[v0][a0][v1][a1]concat=n=2:v=1:a=1[joinedv][joineda];[joinedv]null[vout];"
              "[joineda]anull[aout]");

    // Only the interlaced source among them is deinterlaced.
    std::string fields = testmedia::ClipPath(testmedia::Clip::Interlaced576);
    auto deinterlaced = Translate({"-ivs", "&new &file " + fields, "-ias", "&file " + fields, "-ivs", "&new &file " + a,
                                   "-ias", "&file " + a, "-deinterlace", "joined.mkv"});
    ASSERT_EQ(deinterlaced.error, "");
    EXPECT_EQ(ValueOf(deinterlaced, "-filter_complex")
                  .find("[0:v:0]bwdif=mode=send_frame,scale=720:576,setsar=1[v0];[0:a:0]anull[a0];[1:v:0]scale="),
              0u)
        << ValueOf(deinterlaced, "-filter_complex");

    std::string audioOnly = testmedia::ClipPath(testmedia::Clip::AudioOnly);
    auto mixed = Translate({"-ivs", "&new &file " + a, "-ias", "&file " + a, "-ivs", "&new &file " + audioOnly, "-ias",
                            "&file " + audioOnly, "out.mkv"});
    EXPECT_NE(mixed.error.find("no video"), std::string::npos);

    auto missing = Translate({"-ivs", "&new &file " + a, "-ias", "&file " + a, "-ivs", "&new &file /no/such.mkv",
                              "-ias", "&file /no/such.mkv", "out.mkv"});
    EXPECT_NE(missing.error.find("\"/no/such.mkv\" cannot be read"), std::string::npos) << missing.error;
}

} // namespace

namespace {

TEST(VexenEncoderNames, EveryDialogNameHasAnEncoderOrAMessage)
{
    const char* audio[] = {"aac",           "ac3",           "amr_nb",       "amr_wb",           "gsm",
                           "mp2",           "mp3",           "vorbis",       "adpcm_ima_qt",     "adpcm_ima_wav",
                           "adpcm_ima_dk3", "adpcm_ima_dk4", "adpcm_ima_ws", "adpcm_ima_smjpeg", "adpcm_ms",
                           "adpcm_4xm",     "adpcm_xa",      "adpcm_adx",    "adpcm_ea",         "adpcm_g726",
                           "adpcm_ct",      "adpcm_swf",     "adpcm_yamaha", "pcm_s32le",        "pcm_s32be",
                           "pcm_u32le",     "pcm_u32be",     "pcm_s24le",    "pcm_s24be",        "pcm_u24le",
                           "pcm_u24be",     "pcm_s24daud",   "pcm_s16le",    "pcm_s16be",        "pcm_u16le",
                           "pcm_u16be",     "pcm_s8",        "pcm_u8",       "pcm_alaw",         "pcm_mulaw",
                           "opus",          "alac"};
    const char* video[] = {"dvvideo", "h261",     "h263",       "h263p",      "h264",  "huffyuv",   "flv",
                           "ljpeg",   "mjpeg",    "mpeg1video", "mpeg2video", "mpeg4", "msmpeg4v1", "msmpeg4v2",
                           "msmpeg4", "rawvideo", "rv10",       "rv20",       "svq1",  "wmv1",      "wmv2",
                           "xvid",    "asv1",     "asv2",       "zlib",       "pam",   "pbm",       "pgm",
                           "pgmyuv",  "png",      "ppm",        "hevc",       "av1",   "vp9"};
    auto check = [](const char* name, vexen::CodecKind kind) {
        vexen::EncoderChoice choice = vexen::FindEncoder(name, kind);
        if (choice.encoder.empty())
            EXPECT_NE(choice.error.find(std::string("\"") + name + "\""), std::string::npos) << name;
        else
            EXPECT_EQ(choice.error, "") << name;
    };
    for (const char* name : audio)
        check(name, vexen::CodecKind::Audio);
    for (const char* name : video)
        check(name, vexen::CodecKind::Video);

    EXPECT_EQ(vexen::FindEncoder("h264", vexen::CodecKind::Video).encoder, "libx264");
    EXPECT_EQ(vexen::FindEncoder("vorbis", vexen::CodecKind::Audio).encoder, "libvorbis");
    EXPECT_EQ(vexen::FindEncoder("pcm_s16le", vexen::CodecKind::Audio).encoder, "pcm_s16le");
    EXPECT_EQ(vexen::FindEncoder("msmpeg4", vexen::CodecKind::Video).encoder, "msmpeg4");
    EXPECT_EQ(vexen::FindEncoder("Copy", vexen::CodecKind::Video).encoder, "copy");
    EXPECT_EQ(vexen::FindEncoder("adpcm_ima_dk3", vexen::CodecKind::Audio).encoder, "");
}

} // namespace
