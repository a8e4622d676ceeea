// Surround and further audio tracks through shipped profiles, as a user's task converts them,
// checked with ffprobe and ffmpeg's decoder.

#include "platform/process_runner.h"
#include "reelvane/conversion/audio_layout.h"
#include "tests/conversion/profile_run.h"
#include "tests/media/media_facts.h"
#include "tests/media/test_media.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

namespace reelvane {
namespace {

using testmedia::Clip;

// Decoded samples of audio stream `n` of the file at full scale (clipped); -1 when undecodable.
long FullScaleSamples(const std::string& path, int n)
{
    auto pcm = platform::RunAndCapture("ffmpeg", {"-v", "error", "-nostdin", "-i", path, "-map",
                                                  "0:a:" + std::to_string(n), "-f", "s16le", "-c:a", "pcm_s16le", "-"});
    if (!pcm || pcm->size() < 2)
        return -1;
    long count = 0;
    for (std::size_t i = 0; i + 1 < pcm->size(); i += 2) {
        int16_t sample;
        std::memcpy(&sample, pcm->data() + i, 2);
        count += sample >= 32767 || sample <= -32767;
    }
    return count;
}

void SelectBothTracks(ConversionTask& task)
{
    for (AudioTrackEntry& entry : task.probed.audioTracks)
        entry.selected = 1;
}

TEST(ConversionAudioLayout, LoudSurroundFoldsToStereoWithoutClipping)
{
    const std::string source = testmedia::ClipPath(Clip::SurroundTracks);
    ASSERT_EQ(FullScaleSamples(source, 0), 0); // the source itself never reaches full scale
    const std::pair<const char*, const char*> profiles[] = {{"mp3.ini", "MP3 Audio"},
                                                            {"ac3.ini", "AC-3 Audio"},
                                                            {"aac.ini", "AAC Audio"},
                                                            {"mkv.ini", "MKV Video (H.264, AC-3)"}};
    for (const auto& [file, section] : profiles) {
        SCOPED_TRACE(section);
        TempFolder folder;
        std::string output = ConvertAsTask(source, ShippedProfile(file, section), folder);
        auto facts = testmedia::ProbeFile(output);
        ASSERT_TRUE(facts && facts->First("audio"));
        EXPECT_EQ(facts->First("audio")->channels, 2);
        EXPECT_EQ(FullScaleSamples(output, 0), 0);
        EXPECT_EQ(facts->First("audio")->title.find("5.1"), std::string::npos); // the title named the old layout
    }
}

TEST(ConversionAudioLayout, SurroundAsSourceAndFurtherTracksWithTheProfileCodec)
{
    const std::string source = testmedia::ClipPath(Clip::SurroundTracks);
    {
        TempFolder folder;
        ProfileSettings mkv = ShippedProfile("mkv.ini", "MKV Video (H.264, AC-3)");
        mkv.nAudioChannel = kChannelsAsSource; // "As source" in the option sheet
        auto facts = testmedia::ProbeFile(ConvertAsTask(source, mkv, folder, SelectBothTracks));
        ASSERT_TRUE(facts);
        ASSERT_EQ(facts->Count("audio"), 2);
        EXPECT_EQ(facts->streams[1].channels, 6);
        EXPECT_EQ(facts->streams[1].codec, "ac3");
        EXPECT_EQ(facts->streams[1].title, "English 5.1"); // still true
        EXPECT_EQ(facts->streams[2].channels, 2);          // never spread over more than the source has
        EXPECT_EQ(facts->streams[2].codec, "ac3");
        EXPECT_EQ(facts->streams[2].language, "ger");
    }
    {
        TempFolder folder;
        auto facts = testmedia::ProbeFile(
            ConvertAsTask(source, ShippedProfile("mp4.ini", "MP4 Video"), folder, SelectBothTracks));
        ASSERT_TRUE(facts);
        ASSERT_EQ(facts->Count("audio"), 2);
        for (int i : {1, 2}) {
            EXPECT_EQ(facts->streams[i].codec, "aac") << i;
            EXPECT_EQ(facts->streams[i].channels, 2) << i;
        }
    }
    // A single-track output refuses the second one before anything runs.
    ProbedSource probed;
    ASSERT_EQ(ProbeSource(source, 0, probed), 0);
    EXPECT_FALSE(AudioTrackProblem(ShippedProfile("mp3.ini", "MP3 Audio"), probed));
    for (AudioTrackEntry& entry : probed.audioTracks)
        entry.selected = 1;
    for (const auto& [file, section] :
         {std::pair{"mp3.ini", "MP3 Audio"}, std::pair{"psp.ini", "PSP H.264 (480x272)"}}) {
        ProfileSettings single = ShippedProfile(file, section);
        auto problem = AudioTrackProblem(single, probed);
        ASSERT_TRUE(problem) << section;
        EXPECT_NE(problem->find(single.FormatName[0] ? single.FormatName : single.TargetType), std::string::npos);
    }
    EXPECT_FALSE(AudioTrackProblem(ShippedProfile("mp4.ini", "MP4 Video"), probed));
}

} // namespace
} // namespace reelvane
