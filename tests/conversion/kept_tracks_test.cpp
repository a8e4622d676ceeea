// Text subtitle tracks kept as tracks and music files' cover pictures, through shipped profiles as
// a user's task converts them, checked with ffprobe.

#include "reelvane/conversion/kept_tracks.h"
#include "tests/conversion/profile_run.h"
#include "tests/media/media_facts.h"
#include "tests/media/test_media.h"

#include <gtest/gtest.h>

namespace reelvane {
namespace {

using testmedia::Clip;

void KeepEveryTextTrack(ConversionTask& task)
{
    task.subtitleTracks = TextSubtitleStreams(task.probed);
}

TEST(ConversionKeptTracks, TickedTextTracksReachMatroskaAndMp4AndNoneWhereTheyCannotGo)
{
    const std::string source = testmedia::ClipPath(Clip::SurroundTracks);
    struct Case {
        const char* file;
        const char* section;
        const char* codec; // nullptr: no subtitle track
    };
    for (const Case& c : {Case{"mkv.ini", "MKV Video (H.264, AAC)", "subrip"}, Case{"mp4.ini", "MP4 Video", "mov_text"},
                          Case{"divxavi.ini", "DivX AVI", nullptr}}) {
        SCOPED_TRACE(c.section);
        TempFolder folder;
        ProfileSettings profile = ShippedProfile(c.file, c.section);
        EXPECT_EQ(CarriesSubtitleTracks(profile), c.codec != nullptr);
        auto facts = testmedia::ProbeFile(ConvertAsTask(source, profile, folder, KeepEveryTextTrack));
        ASSERT_TRUE(facts);
        ASSERT_EQ(facts->Count("subtitle"), c.codec ? 1 : 0);
        EXPECT_EQ(facts->Count("video"), 1);
        EXPECT_EQ(facts->Count("audio"), 1);
        if (c.codec) {
            EXPECT_EQ(facts->First("subtitle")->codec, c.codec);
            EXPECT_EQ(facts->First("subtitle")->language, "eng");
        }
    }
    // ASS stays ASS beside SRT in Matroska, in the order ticked.
    TempFolder folder;
    auto facts = testmedia::ProbeFile(ConvertAsTask(testmedia::ClipPath(Clip::MatroskaTracks),
                                                    ShippedProfile("mkv.ini", "MKV Video (H.264, AAC)"), folder,
                                                    KeepEveryTextTrack));
    ASSERT_TRUE(facts);
    ASSERT_EQ(facts->Count("subtitle"), 2);
    EXPECT_EQ(facts->streams[2].codec, "subrip");
    EXPECT_EQ(facts->streams[3].codec, "ass");
}

TEST(ConversionKeptTracks, MusicKeepsItsCoverPictureWhereTheContainerHoldsOne)
{
    const std::string flac = testmedia::ClipPath(Clip::CoverFlac);
    ProbedSource probed;
    ASSERT_EQ(ProbeSource(flac, 0, probed), 0);
    EXPECT_EQ(probed.mediaInfo.videoIndex, -1); // the cover is no film
    EXPECT_EQ(probed.sourceWidth, 0);
    struct Case {
        std::string source;
        const char* file;
        const char* section;
        bool cover;
    };
    for (const Case& c :
         {Case{flac, "mp3.ini", "MP3 Audio", true}, Case{flac, "m4a.ini", "M4A Audio (AAC)", true},
          Case{flac, "flac.ini", "FLAC Audio", true}, Case{flac, "mkv.ini", "MKV Video (H.264, AAC)", true},
          Case{testmedia::ClipPath(Clip::CoverArt), "mp3.ini", "MP3 Audio", true},
          Case{flac, "wav.ini", "WAV Audio", false},
          // The profile's encoder words must not reach a copied picture.
          Case{flac, "iphoneh264.ini", "iPhone H.264 (480x320)", false}}) {
        SCOPED_TRACE(std::string(c.section) + " from " + c.source);
        TempFolder folder;
        auto source = testmedia::ProbeFile(c.source);
        auto facts = testmedia::ProbeFile(ConvertAsTask(c.source, ShippedProfile(c.file, c.section), folder));
        ASSERT_TRUE(source && facts);
        ASSERT_EQ(facts->Count("audio"), 1);
        EXPECT_NEAR(facts->duration, source->duration, 0.1); // the audio converts whole
        // Matroska's attachment reads back as an attached picture, not as a film track.
        ASSERT_EQ(facts->Count("video"), c.cover ? 1 : 0);
        if (c.cover) {
            EXPECT_TRUE(facts->First("video")->attachedPicture);
            EXPECT_EQ(facts->First("video")->codec, "png"); // copied, not re-encoded
            EXPECT_EQ(facts->First("video")->width, 64);
        }
    }
}

} // namespace
} // namespace reelvane
