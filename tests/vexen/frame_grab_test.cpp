// The in-process frame grabber against ffmpeg's own decoding of the same clips.

#include "adapters/vexen/vexen.h"
#include "tests/media/media_facts.h"
#include "tests/media/test_media.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

namespace {

using testmedia::Clip;

struct Grab {
    FramePicture picture{};
    int32_t result = 0;

    Grab(const std::string& path, double seconds, int box)
    {
        result = GrabFrame(path.c_str(), seconds, box, box, &picture);
    }
    ~Grab() { FreeFramePicture(&picture); }
    testmedia::Picture AsPicture() const
    {
        testmedia::Picture out{picture.width, picture.height, {}};
        out.rgb.assign(picture.pixels, picture.pixels + picture.width * picture.height * 3);
        return out;
    }
};

// The frame at a time is the one ffmpeg decodes there (a neighbouring frame of the moving test
// picture differs clearly), and the shape is the displayed one.
TEST(VexenFrameGrab, FrameAtTheTimeInItsDisplayedShape)
{
    const std::string clip = testmedia::ClipPath(Clip::Standard4x3);
    Grab at(clip, 1.0, 320);
    ASSERT_EQ(at.result, 0);
    EXPECT_EQ(at.picture.width, 320);
    EXPECT_EQ(at.picture.height, 240);
    EXPECT_LT(testmedia::MeanDifference(at.AsPicture(), testmedia::GrabFrame(clip, 1.0)), 3.0);
    EXPECT_GT(testmedia::MeanDifference(at.AsPicture(), testmedia::GrabFrame(clip, 1.4)), 10.0);

    Grab small(clip, 0.2, 100);
    ASSERT_EQ(small.result, 0);
    EXPECT_EQ(small.picture.width, 100);
    EXPECT_EQ(small.picture.height, 75);

    // 352x288 stored with a 16:11 sample aspect is shown 16:9.
    Grab anamorphic(testmedia::ClipPath(Clip::Anamorphic), 0.5, 160);
    ASSERT_EQ(anamorphic.result, 0);
    EXPECT_EQ(anamorphic.picture.width, 160);
    EXPECT_EQ(anamorphic.picture.height, 90);

    // Stored 320x180 and turned a quarter for display: upright 180x320.
    Grab portrait(testmedia::ClipPath(Clip::PhonePortrait), 0.5, 160);
    ASSERT_EQ(portrait.result, 0);
    EXPECT_EQ(portrait.picture.width, 90);
    EXPECT_EQ(portrait.picture.height, 160);

    // Past the end: the last frame.
    Grab late(clip, 60.0, 160);
    EXPECT_EQ(late.result, 0);
    EXPECT_EQ(late.picture.width, 160);
}

TEST(VexenFrameGrab, NoPictureForSoundAndCoverArtAndFailureForTheUnreadable)
{
    for (Clip sound : {Clip::AudioOnly, Clip::CoverArt}) {
        Grab none(testmedia::ClipPath(sound), 0.5, 160);
        EXPECT_EQ(none.result, 1);
        EXPECT_EQ(none.picture.pixels, nullptr);
    }
    for (std::string path : {testmedia::ClipPath(Clip::NotMedia), std::string("/no/such/file.mkv"), std::string("/")}) {
        Grab unreadable(path, 0.5, 160);
        EXPECT_EQ(unreadable.result, -1) << path;
        EXPECT_EQ(unreadable.picture.pixels, nullptr);
    }
    EXPECT_EQ(GrabFrame(testmedia::ClipPath(Clip::Standard4x3).c_str(), 0.5, 0, 100, nullptr), -1);
}

// Pictures are made on a thread pool: calls at once give what one call alone gives.
TEST(VexenFrameGrab, CallsFromSeveralThreadsAtOnce)
{
    const std::vector<std::string> clips = {testmedia::ClipPath(Clip::Standard4x3),
                                            testmedia::ClipPath(Clip::MatroskaTracks),
                                            testmedia::ClipPath(Clip::TransportStream)};
    std::vector<testmedia::Picture> alone;
    for (const std::string& clip : clips)
        alone.push_back(Grab(clip, 0.8, 120).AsPicture());
    std::vector<double> differences(12, 255.0);
    std::vector<std::thread> threads;
    for (std::size_t i = 0; i < differences.size(); ++i)
        threads.emplace_back([&, i] {
            differences[i] =
                testmedia::MeanDifference(Grab(clips[i % clips.size()], 0.8, 120).AsPicture(), alone[i % clips.size()]);
        });
    for (std::thread& thread : threads)
        thread.join();
    for (double difference : differences)
        EXPECT_EQ(difference, 0.0);
}

} // namespace
