// Vectors from the builder, run by the engine, checked with ffprobe.

#include "reelvane/conversion/argument_builder.h"
#include "tests/media/media_facts.h"
#include "tests/media/test_media.h"
#include "tests/platform/temp_folder.h"

#include <gtest/gtest.h>

namespace reelvane {
namespace {

std::vector<std::string> messages;

int32_t KeepMessages(const char* message, double value)
{
    if (value > -2 && value < 0)
        messages.emplace_back(message);
    return 0;
}

int32_t RunEngine(EngineArguments& arguments)
{
    messages.clear();
    std::vector<char*> argv = arguments.Argv();
    return ffmain(static_cast<int32_t>(argv.size()), argv.data(), KeepMessages);
}

ProfileSettings WorkedExample()
{
    ProfileSettings s = EmptyProfileSettings();
    s.bAudioCustomSampleRate = 1;
    s.nAudioCustomSampleRate = 48000;
    s.nAudioChannel = 2;
    s.bAudioCustomBitRate = 1;
    s.nAudioCustomBitRate = 128.0f;
    s.nVideoDefaultBitRate = 900;
    SetText(s.cAudioCodec, "auto");
    SetText(s.cVideoCodec, "auto");
    SetText(s.BeforePara, "");
    SetText(s.Para, "-preset ultrafast");
    s.nVideoRiszeOption = 6;
    return s;
}

SplitRule NoSplit()
{
    SplitRule split;
    split.runChoice = split.currentChoice = "No split";
    return split;
}

TEST(ConversionWorkedExample, ConvertsToTheProfileFrameAndAudio)
{
    TempFolder folder;
    ProbedSource probed;
    std::string source = testmedia::ClipPath(testmedia::Clip::Standard4x3);
    ASSERT_EQ(ProbeSource(source, 0, probed), 0);
    ProfileSettings s = WorkedExample();
    PerFileTask task{s, probed, source, folder.path("out.mp4")};
    EngineArguments arguments = BuildPerFileArguments(task, NoSplit());
    ASSERT_EQ(RunEngine(arguments), 0) << (messages.empty() ? "" : messages[0]);
    auto facts = testmedia::ProbeFile(folder.path("out.mp4"));
    ASSERT_TRUE(facts);
    ASSERT_TRUE(facts->First("video") && facts->First("audio"));
    EXPECT_EQ(facts->First("video")->width, 640);
    EXPECT_EQ(facts->First("video")->height, 480);
    EXPECT_EQ(facts->First("audio")->sampleRate, 48000);
    EXPECT_EQ(facts->First("audio")->channels, 2);
    EXPECT_NEAR(facts->First("audio")->bitRate, 128000, 20000);
    EXPECT_NEAR(facts->duration, 2.0, 0.15);
}

TEST(ConversionWorkedExample, SelectedTracksTrimAndSubtitle)
{
    TempFolder folder;
    ProbedSource probed;
    std::string source = testmedia::ClipPath(testmedia::Clip::MatroskaTracks);
    ASSERT_EQ(ProbeSource(source, 0, probed), 0);
    probed.audioTracks[1].selected = 1;
    ProfileSettings s = WorkedExample();
    s.nVideoRiszeOption = 5;
    PerFileTask task{
        s,      probed, source, folder.path("tracks.mkv"), testmedia::ClipPath(testmedia::Clip::SubtitleText), 0,
        500000, 0,      1500000};
    EngineArguments arguments = BuildPerFileArguments(task, NoSplit());
    ASSERT_EQ(RunEngine(arguments), 0) << (messages.empty() ? "" : messages[0]);
    auto facts = testmedia::ProbeFile(folder.path("tracks.mkv"));
    ASSERT_TRUE(facts);
    ASSERT_EQ(facts->Count("audio"), 2);
    EXPECT_EQ(facts->Count("subtitle"), 0);
    // The second track as the profile makes the first: the container's own codec for "auto".
    EXPECT_EQ(facts->streams[2].codec, facts->streams[1].codec);
    EXPECT_EQ(facts->streams[2].sampleRate, 48000);
    EXPECT_EQ(facts->streams[2].channels, 2);
    EXPECT_NEAR(facts->duration, 1.0, 0.15);
    EXPECT_EQ(facts->First("video")->width, 320);
}

TEST(ConversionWorkedExample, MergedTasksBecomeOneOutput)
{
    TempFolder folder;
    ProfileSettings s = WorkedExample();
    SetText(s.TargetType, "mkv");
    std::vector<MergedInput> inputs = {{testmedia::ClipPath(testmedia::Clip::Standard4x3), 0},
                                       {testmedia::ClipPath(testmedia::Clip::Wmv), 1}};
    EngineArguments arguments = BuildMergedArguments(inputs, s, NoSplit(), folder.path(), 17);
    ASSERT_EQ(RunEngine(arguments), 0) << (messages.empty() ? "" : messages[0]);
    auto facts = testmedia::ProbeFile(folder.path("Compound17.mkv"));
    ASSERT_TRUE(facts);
    EXPECT_NEAR(facts->duration, 4.0, 0.2);
    EXPECT_EQ(facts->First("video")->width, 640);
    EXPECT_EQ(facts->First("audio")->sampleRate, 48000);
}

} // namespace
} // namespace reelvane
