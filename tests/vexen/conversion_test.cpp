// Converts generated clips through ffmain and checks the outputs with ffprobe.

#include "adapters/vexen/vexen.h"
#include "tests/media/media_facts.h"
#include "tests/media/test_media.h"
#include "tests/platform/temp_folder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>

namespace {

using testmedia::Clip;
using Clock = std::chrono::steady_clock;

// What the engine reported through the callback during one ffmain call.
struct Reports {
    std::vector<double> seconds;
    std::vector<std::string> messages;
    int stopAfterReports = -1; // answer -1 at this report (counted from 1)
    Clock::time_point stoppedAt;
};
Reports reports;

int32_t Record(const char* message, double value)
{
    if (value > -2 && value < 0) {
        reports.messages.emplace_back(message);
        return 0;
    }
    reports.seconds.push_back(value);
    if (static_cast<int>(reports.seconds.size()) == reports.stopAfterReports) {
        reports.stoppedAt = Clock::now();
        return -1;
    }
    return 0;
}

class VexenConversion : public ::testing::Test {
protected:
    void SetUp() override { reports = Reports{}; }

    int32_t Convert(std::vector<std::string> words)
    {
        words.insert(words.begin(), "ffmain");
        std::vector<char*> argv;
        for (std::string& word : words)
            argv.push_back(word.data());
        return ffmain(static_cast<int32_t>(argv.size()), argv.data(), Record);
    }

    testmedia::FileFacts Facts(const std::string& path)
    {
        auto facts = testmedia::ProbeFile(path);
        EXPECT_TRUE(facts) << path;
        return facts.value_or(testmedia::FileFacts{});
    }

    std::string AllMessages() const
    {
        std::string all;
        for (const std::string& m : reports.messages)
            all += m + "\n";
        return all;
    }

    TempFolder out_;
    const std::string clip_ = testmedia::ClipPath(Clip::Standard4x3);
};

TEST_F(VexenConversion, CodecsRatesChannelsAndBitRates)
{
    std::string output = out_.path("codecs.mkv");
    ASSERT_EQ(Convert({"-i", clip_, "-ar",     "32000", "-ac",     "1",     "-ab", "96.000000", "-r",   "10.000",
                       "-b", "300", "-acodec", "ac3",   "-vcodec", "mpeg4", "-hq", "-aspect",   "16:9", output}),
              0)
        << AllMessages();
    auto facts = Facts(output);
    const auto* video = facts.First("video");
    const auto* audio = facts.First("audio");
    ASSERT_TRUE(video && audio);
    EXPECT_EQ(video->codec, "mpeg4");
    EXPECT_EQ(video->frameRate, "10/1");
    EXPECT_EQ(video->displayAspect, "16:9");
    EXPECT_EQ(audio->codec, "ac3");
    EXPECT_EQ(audio->sampleRate, 32000);
    EXPECT_EQ(audio->channels, 1);
    EXPECT_NEAR(audio->bitRate, 96000, 1000);
    EXPECT_TRUE(reports.messages.empty());
}

TEST_F(VexenConversion, VideoBitRateIsKeptWithinATolerance)
{
    std::string low = out_.path("low.mp4"), high = out_.path("high.mp4");
    ASSERT_EQ(Convert({"-i", clip_, "-an", "-vcodec", "h264", "-b", "100", "-preset", "ultrafast", low}), 0)
        << AllMessages();
    ASSERT_EQ(Convert({"-i", clip_, "-an", "-vcodec", "h264", "-b", "800", "-preset", "ultrafast", high}), 0)
        << AllMessages();
    auto lowFacts = Facts(low), highFacts = Facts(high);
    EXPECT_EQ(lowFacts.Count("audio"), 0);
    EXPECT_NEAR(lowFacts.First("video")->bitRate, 100000, 40000);
    EXPECT_NEAR(highFacts.First("video")->bitRate, 800000, 320000);
}

TEST_F(VexenConversion, CropScaleAndColouredPads)
{
    std::string output = out_.path("padded.mkv");
    ASSERT_EQ(Convert({"-i",         clip_,       "-vcodec",  "mjpeg",      "-croptop",  "20",      "-cropbottom",
                       "20",         "-cropleft", "10",       "-cropright", "10",        "-padtop", "8",
                       "-padbottom", "8",         "-padleft", "16",         "-padright", "16",      "-padcolor",
                       "0xff0000",   "-s",        "160x120",  output}),
              0)
        << AllMessages();
    auto facts = Facts(output);
    ASSERT_TRUE(facts.First("video"));
    EXPECT_EQ(facts.First("video")->width, 192);
    EXPECT_EQ(facts.First("video")->height, 136);
    testmedia::Picture picture = testmedia::GrabFrame(output, 0.5);
    ASSERT_EQ(picture.width, 192);
    for (auto [x, y] : {std::pair{3, 3}, std::pair{188, 68}, std::pair{96, 132}}) {
        testmedia::Rgb pad = picture.At(x, y);
        EXPECT_GT(pad.r, 200) << x << "," << y;
        EXPECT_LT(pad.g, 50);
        EXPECT_LT(pad.b, 50);
    }
    EXPECT_FALSE(picture.At(96, 68).r > 200 && picture.At(96, 68).g < 50); // the picture itself
}

TEST_F(VexenConversion, NamedFrameSizes)
{
    std::string output = out_.path("sqcif.mp4");
    ASSERT_EQ(Convert({"-i", clip_, "-an", "-s", "sqcif", output}), 0) << AllMessages();
    auto facts = Facts(output);
    EXPECT_EQ(facts.First("video")->width, 128);
    EXPECT_EQ(facts.First("video")->height, 96);
}

TEST_F(VexenConversion, SeekAndDurationTrimTheSource)
{
    std::string output = out_.path("trimmed.mkv");
    ASSERT_EQ(Convert({"-ss", "00:00:00.5", "-t", "00:00:01.0", "-i", clip_, output}), 0) << AllMessages();
    EXPECT_NEAR(Facts(output).duration, 1.0, 0.15);
}

TEST_F(VexenConversion, VolumeScalesTheSignal)
{
    std::string quiet = out_.path("quiet.wav"), loud = out_.path("loud.wav");
    ASSERT_EQ(Convert({"-i", clip_, "-vn", "-vol", "64", quiet}), 0) << AllMessages();
    ASSERT_EQ(Convert({"-i", clip_, "-vn", "-vol", "256", loud}), 0) << AllMessages();
    // A quarter of the amplitude in 16-bit PCM: the file sizes match, the samples do not.
    EXPECT_EQ(std::filesystem::file_size(quiet), std::filesystem::file_size(loud));
    std::string q = out_.read("quiet.wav"), l = out_.read("loud.wav");
    long long sumQuiet = 0, sumLoud = 0;
    for (std::size_t i = 100; i + 1 < q.size(); i += 2) {
        sumQuiet += std::abs(static_cast<int16_t>((uint8_t)q[i] | ((uint8_t)q[i + 1] << 8)));
        sumLoud += std::abs(static_cast<int16_t>((uint8_t)l[i] | ((uint8_t)l[i + 1] << 8)));
    }
    EXPECT_NEAR(static_cast<double>(sumQuiet) / sumLoud, 0.25, 0.02);
}

TEST_F(VexenConversion, NewAudioAddsStreamsFromTheMappedTracks)
{
    std::string output = out_.path("tracks.mkv");
    ASSERT_EQ(Convert({"-i",      testmedia::ClipPath(Clip::MatroskaTracks),
                       "-acodec", "aac",
                       "-ab",     "96",
                       "-map",    "0:0",
                       "-map",    "0:1",
                       "-map",    "0:2",
                       output,    "-acodec",
                       "ac3",     "-ar",
                       "48000",   "-ab",
                       "448",     "-ac",
                       "2",       "-newaudio"}),
              0)
        << AllMessages();
    auto facts = Facts(output);
    ASSERT_EQ(facts.Count("audio"), 2);
    EXPECT_EQ(facts.Count("subtitle"), 0);
    const auto& first = facts.streams[1];
    const auto& second = facts.streams[2];
    EXPECT_EQ(first.codec, "aac");
    EXPECT_EQ(second.codec, "ac3");
    EXPECT_EQ(second.sampleRate, 48000);
    EXPECT_EQ(second.channels, 2);
    EXPECT_NEAR(second.bitRate, 448000, 1000);
}

TEST_F(VexenConversion, BurntSubtitleChangesThePictureOnlyWhileShown)
{
    std::string folder = out_.path("it's [odd], names; here");
    std::filesystem::create_directories(folder);
    std::string subtitle = folder + "/sub: title's.srt";
    std::filesystem::copy_file(testmedia::ClipPath(Clip::SubtitleText), subtitle);
    std::string plain = out_.path("plain.avi"), burnt = out_.path("burnt.avi");
    ASSERT_EQ(Convert({"-i", clip_, "-an", "-vcodec", "mjpeg", plain}), 0) << AllMessages();
    ASSERT_EQ(Convert({"-i", clip_, "-vhook", "SubTitleHook -f " + subtitle, "-an", "-vcodec", "mjpeg", burnt}), 0)
        << AllMessages();
    double before = testmedia::MeanDifference(testmedia::GrabFrame(plain, 0.2), testmedia::GrabFrame(burnt, 0.2));
    double during = testmedia::MeanDifference(testmedia::GrabFrame(plain, 0.8), testmedia::GrabFrame(burnt, 0.8));
    double after = testmedia::MeanDifference(testmedia::GrabFrame(plain, 1.6), testmedia::GrabFrame(burnt, 1.6));
    EXPECT_LT(before, 0.05);
    EXPECT_GT(during, 0.5);
    EXPECT_LT(after, 0.05);
}

TEST_F(VexenConversion, BurntSubtitleKeepsTheSourceTimesAfterASeek)
{
    // The cue runs from 0.5 s to 1.2 s of the source; the output starts at 0.4 s of it.
    std::string subtitle = testmedia::ClipPath(Clip::SubtitleText);
    std::string plain = out_.path("plain.avi"), burnt = out_.path("burnt.avi");
    ASSERT_EQ(Convert({"-ss", "00:00:00.4", "-i", clip_, "-an", "-vcodec", "mjpeg", plain}), 0) << AllMessages();
    ASSERT_EQ(Convert({"-ss", "00:00:00.4", "-i", clip_, "-vhook", "SubTitleHook -f " + subtitle, "-an", "-vcodec",
                       "mjpeg", burnt}),
              0)
        << AllMessages();
    double shown = testmedia::MeanDifference(testmedia::GrabFrame(plain, 0.2), testmedia::GrabFrame(burnt, 0.2));
    double gone = testmedia::MeanDifference(testmedia::GrabFrame(plain, 0.95), testmedia::GrabFrame(burnt, 0.95));
    EXPECT_GT(shown, 0.5);
    EXPECT_LT(gone, 0.05);
}

TEST_F(VexenConversion, MergedOutputLastsAsLongAsItsInputs)
{
    std::string wide = testmedia::ClipPath(Clip::Wide16x9), ts = testmedia::ClipPath(Clip::TransportStream);
    std::string output = out_.path("joined.mkv");
    ASSERT_EQ(Convert({"-ivs", "&new &file " + clip_, "-ias", "&file " + clip_, "-ivs", "&new &file " + wide, "-ias",
                       "&file " + wide, "-ivs", "&new &dshow &file " + ts, "-ias", "&file " + ts, "-b", "300", "-s",
                       "320x240", output}),
              0)
        << AllMessages();
    auto facts = Facts(output);
    EXPECT_NEAR(facts.duration, 6.0, 0.3);
    EXPECT_EQ(facts.First("video")->width, 320);
    EXPECT_EQ(facts.First("video")->height, 240);
    EXPECT_EQ(facts.Count("audio"), 1);
}

TEST_F(VexenConversion, SizeLimitStopsTheOutput)
{
    // A transport stream is written as it goes, so the limit holds to about one packet.
    std::string limited = out_.path("limited.ts");
    ASSERT_EQ(Convert({"-i", clip_, "-an", "-vcodec", "mpeg4", "-b", "2000", "-fs", "40", limited}), 0)
        << AllMessages();
    EXPECT_LE(std::filesystem::file_size(limited), 46u * 1024);
    EXPECT_LT(Facts(limited).duration, 0.8);
}

TEST_F(VexenConversion, ProgressRisesToTheDuration)
{
    std::string output = out_.path("progress.mkv");
    ASSERT_EQ(Convert({"-re", "-i", clip_, "-s", "160x120", output}), 0) << AllMessages();
    ASSERT_GE(reports.seconds.size(), 3u);
    for (std::size_t i = 1; i < reports.seconds.size(); ++i)
        EXPECT_GE(reports.seconds[i], reports.seconds[i - 1]);
    EXPECT_NEAR(reports.seconds.back(), 2.0, 0.15);
}

TEST_F(VexenConversion, CancelEndsTheChildWithinASecond)
{
    reports.stopAfterReports = 2;
    std::string output = out_.path("cancelled.mkv");
    EXPECT_EQ(Convert({"-re", "-i", testmedia::SizedClipPath(10, 160, 120), output}), 1);
    auto stopDelay = Clock::now() - reports.stoppedAt;
    EXPECT_LT(stopDelay, std::chrono::seconds(1));
    EXPECT_EQ(reports.seconds.size(), 2u);
    EXPECT_TRUE(reports.messages.empty());
}

TEST_F(VexenConversion, FailuresArriveAsMessages)
{
    EXPECT_EQ(Convert({"-i", testmedia::ClipPath(Clip::NotMedia), out_.path("broken.mkv")}), -1);
    ASSERT_EQ(reports.messages.size(), 1u);
    EXPECT_NE(reports.messages[0].find("Invalid data"), std::string::npos) << reports.messages[0];
    EXPECT_FALSE(std::filesystem::exists(out_.path("broken.mkv")));

    reports = Reports{};
    EXPECT_EQ(Convert({"-i", clip_, "-vcodec", "msmpeg4v1", out_.path("codec.avi")}), -1);
    ASSERT_EQ(reports.messages.size(), 1u);
    EXPECT_NE(reports.messages[0].find("\"msmpeg4v1\""), std::string::npos);
}

TEST_F(VexenConversion, AnEncoderThatRefusesItsSettingsLeavesNoFile)
{
    // ffmpeg makes the file before the encoder turns the frame rate down.
    std::string output = out_.path("refused.mpg");
    EXPECT_EQ(Convert({"-i", clip_, "-vcodec", "mpeg1video", "-r", "15.000", "-f", "mpeg", output}), -1);
    ASSERT_EQ(reports.messages.size(), 1u);
    EXPECT_NE(reports.messages[0].find("15/1 fps"), std::string::npos) << reports.messages[0];
    EXPECT_FALSE(std::filesystem::exists(output));
}

TEST_F(VexenConversion, ExistingOutputIsNeverOverwritten)
{
    std::string output = out_.write("taken.mkv", "the user's own file");
    EXPECT_EQ(Convert({"-i", clip_, output}), -1);
    EXPECT_EQ(reports.messages.size(), 1u);
    EXPECT_EQ(out_.read("taken.mkv"), "the user's own file");

    // Not even when a profile's own words ask for it, before or after the input.
    EXPECT_EQ(Convert({"-y", "-i", clip_, output}), -1);
    EXPECT_EQ(Convert({"-i", clip_, "-y", output}), -1);
    EXPECT_EQ(out_.read("taken.mkv"), "the user's own file");

    // A "-y" in a profile has no effect on a new file: the conversion still runs.
    reports = Reports{};
    EXPECT_EQ(Convert({"-y", "-i", clip_, "-vcodec", "mpeg4", "-y", out_.path("new.mkv")}), 0) << AllMessages();
    EXPECT_GT(Facts(out_.path("new.mkv")).duration, 1.0);
}

TEST_F(VexenConversion, MissingProgramIsReported)
{
    ::setenv("REELVANE_FFMPEG", "/nonexistent/ffmpeg", 1);
    int32_t result = Convert({"-i", clip_, out_.path("none.mkv")});
    ::unsetenv("REELVANE_FFMPEG");
    EXPECT_EQ(result, -1);
    ASSERT_EQ(reports.messages.size(), 1u);
    EXPECT_NE(reports.messages[0].find("/nonexistent/ffmpeg"), std::string::npos);
}

} // namespace
