// Sources whose picture is turned, timed irregularly or interlaced, through shipped profiles as a
// user's task converts them, checked with ffprobe.

#include "platform/process_runner.h"
#include "reelvane/conversion/source_shape.h"
#include "tests/conversion/profile_run.h"
#include "tests/media/media_facts.h"
#include "tests/media/test_media.h"
#include "tests/platform/temp_folder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace reelvane {
namespace {

using testmedia::Clip;

// The shape of the picture as shown, side bars left out: the lit columns and rows of a frame,
// with the sample aspect of the stream.
double PictureShape(const std::string& path, const testmedia::StreamFacts& video)
{
    testmedia::Picture picture = testmedia::GrabFrame(path, 1.0);
    if (picture.width == 0)
        return 0.0;
    int left = picture.width, right = -1, top = picture.height, bottom = -1;
    for (int y = 0; y < picture.height; ++y)
        for (int x = 0; x < picture.width; ++x) {
            testmedia::Rgb p = picture.At(x, y);
            if (p.r + p.g + p.b > 60) {
                left = std::min(left, x), right = std::max(right, x);
                top = std::min(top, y), bottom = std::max(bottom, y);
            }
        }
    if (right < left || bottom < top)
        return 0.0;
    testmedia::StreamFacts inner = video;
    inner.width = right - left + 1;
    inner.height = bottom - top + 1;
    return inner.DisplayedShape();
}

TEST(ConversionSourceShape, TurnedPortraitClipStaysUprightAndKeepsItsTiming)
{
    struct Case {
        const char* file;
        const char* section;
        bool variableRateKept;
    };
    const Case cases[] = {
        {"mp4.ini", "MP4 Video", true},
        {"mkv.ini", "MKV Video (H.264, AAC)", true},
        {"iphoneh264.ini", "iPhone H.264 (480x320)", true},
        {"avchd_h264.ini", "AVCHD H.264 (1080p, 23.976 fps)", false},
    };
    const std::string source = testmedia::ClipPath(Clip::PhonePortrait);
    const int sourceFrames = testmedia::VideoPacketCount(source);
    ASSERT_EQ(sourceFrames, 40);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.section);
        TempFolder folder;
        ProfileSettings profile = ShippedProfile(c.file, c.section);
        std::string output = ConvertAsTask(source, profile, folder);
        auto facts = testmedia::ProbeFile(output);
        ASSERT_TRUE(facts && facts->First("video"));
        const testmedia::StreamFacts& video = *facts->First("video");
        EXPECT_NEAR(PictureShape(output, video), 9.0 / 16.0, 0.01 * 9.0 / 16.0)
            << video.width << "x" << video.height << " " << video.sampleAspect << " " << video.rotation;
        if (profile.nVideoRiszeOption != 0) { // the profile's frame stays, with side bars
            EXPECT_GT(video.DisplayedShape(), 1.3);
        } else {
            EXPECT_NEAR(video.DisplayedShape(), 9.0 / 16.0, 0.01);
        }
        if (c.variableRateKept) {
            EXPECT_EQ(testmedia::VideoPacketCount(output), sourceFrames);
        }
        EXPECT_NEAR(facts->duration, 2.0, 0.15);
    }
}

TEST(ConversionSourceShape, InterlacedSourceIsDeinterlacedOrKeepsItsFields)
{
    const std::string source = testmedia::ClipPath(Clip::Interlaced576);
    auto sourceFields = testmedia::DetectFields(source);
    ASSERT_TRUE(sourceFields);
    ASSERT_GT(sourceFields->topFirst, 40); // the test's source is combed on every frame
    {
        TempFolder folder;
        std::string output = ConvertAsTask(source, ShippedProfile("mp4.ini", "MP4 Video"), folder);
        auto fields = testmedia::DetectFields(output);
        ASSERT_TRUE(fields);
        int frames = fields->topFirst + fields->bottomFirst + fields->progressive + fields->undetermined;
        EXPECT_GE(fields->progressive, frames * 95 / 100)
            << fields->topFirst << " " << fields->bottomFirst << " " << fields->undetermined;
        EXPECT_EQ(testmedia::VideoPacketCount(output), 50); // one frame per frame
    }
    for (const auto& [file, section] :
         {std::pair{"paldvd.ini", "PAL DVD (720x576)"}, std::pair{"avchd_h264.ini", "AVCHD H.264 (1080i, 25 fps)"}}) {
        SCOPED_TRACE(section);
        TempFolder folder;
        std::string output = ConvertAsTask(source, ShippedProfile(file, section), folder);
        auto facts = testmedia::ProbeFile(output);
        ASSERT_TRUE(facts && facts->First("video"));
        EXPECT_EQ(facts->First("video")->fieldOrder, "tt");
        auto fields = testmedia::DetectFields(output);
        ASSERT_TRUE(fields);
        EXPECT_GT(fields->topFirst, fields->progressive + fields->bottomFirst); // the fields are still there
    }
}

struct PictureLook {
    double colourfulness = 0; // mean of each pixel's largest less its smallest primary
    double contrast = 0;      // standard deviation of the luma
};

PictureLook LookOf(const testmedia::Picture& picture)
{
    PictureLook look;
    const std::size_t pixels = picture.rgb.size() / 3;
    if (pixels == 0)
        return look;
    double sum = 0, squares = 0;
    for (std::size_t i = 0; i < pixels; ++i) {
        const uint8_t* p = &picture.rgb[i * 3];
        look.colourfulness += std::max({p[0], p[1], p[2]}) - std::min({p[0], p[1], p[2]});
        double luma = 0.2126 * p[0] + 0.7152 * p[1] + 0.0722 * p[2];
        sum += luma;
        squares += luma * luma;
    }
    look.colourfulness /= pixels;
    look.contrast = std::sqrt(std::max(0.0, squares / pixels - (sum / pixels) * (sum / pixels)));
    return look;
}

TEST(ConversionSourceShape, HdrSourceIsToneMappedForEightBitsAndKeptInTenBits)
{
    const std::string source = testmedia::ClipPath(Clip::HdrPq10);
    // Shown without tone mapping, the PQ picture is grey and flat: what an 8-bit conversion
    // that only drops bits gives.
    const PictureLook flat = LookOf(testmedia::GrabFrame(source, 0.5));
    ASSERT_GT(flat.colourfulness, 0);
    {
        TempFolder folder;
        std::string output = ConvertAsTask(source, ShippedProfile("h264mp4.ini", "H.264 MP4 Video"), folder);
        auto facts = testmedia::ProbeFile(output);
        ASSERT_TRUE(facts && facts->First("video"));
        const testmedia::StreamFacts& video = *facts->First("video");
        EXPECT_EQ(video.pixelFormat, "yuv420p");
        EXPECT_EQ(video.colorTransfer, "bt709");
        EXPECT_EQ(video.colorPrimaries, "bt709");
        const PictureLook mapped = LookOf(testmedia::GrabFrame(output, 0.5));
        EXPECT_GT(mapped.colourfulness, 2.0 * flat.colourfulness);
        EXPECT_GT(mapped.contrast, 1.3 * flat.contrast);
    }
    {
        TempFolder folder;
        std::string output =
            ConvertAsTask(source, ShippedProfile("hevc_mkv.ini", "MKV HEVC 10-bit (H.265 Main 10, AC-3)"), folder);
        auto facts = testmedia::ProbeFile(output);
        ASSERT_TRUE(facts && facts->First("video"));
        EXPECT_EQ(facts->First("video")->pixelFormat, "yuv420p10le");
        EXPECT_EQ(facts->First("video")->colorTransfer, "smpte2084");
        EXPECT_EQ(facts->First("video")->colorPrimaries, "bt2020");
    }
    {
        // Deep pictures of ordinary light only lose bits.
        TempFolder folder;
        std::string output = ConvertAsTask(testmedia::ClipPath(Clip::PhonePortrait),
                                           ShippedProfile("hevc_mp4.ini", "MP4 HEVC (H.265, AAC)"), folder);
        auto facts = testmedia::ProbeFile(output);
        ASSERT_TRUE(facts && facts->First("video"));
        EXPECT_EQ(facts->First("video")->pixelFormat, "yuv420p");
        EXPECT_EQ(facts->First("video")->colorTransfer, "");
    }
}

TEST(ConversionSourceShape, ProfileDepthIsTheDepthItsPixelFormatNames)
{
    ProfileSettings s = EmptyProfileSettings();
    const std::pair<const char*, int> cases[] = {{"-f mp4 -pix_fmt yuv420p -fs 0", 8},
                                                 {"-f matroska -pix_fmt yuv420p10le -profile:v main10", 10},
                                                 {"-pix_fmt p010le", 10},
                                                 {"-pix_fmt yuv444p12be", 12},
                                                 {"-pix_fmt rgb48le", 8},
                                                 {"-pix_fmt", 8},
                                                 {"-f avi", 8}};
    for (const auto& [para, depth] : cases) {
        SetText(s.Para, para);
        EXPECT_EQ(ProfileBitDepth(s), depth) << para;
    }
}

// A camcorder's 480i (DV, bottom field first, no field order in the AVI) and a progressive clip.
TEST(ConversionSourceShape, DvdTurnsBottomFirstFieldsAndKeepsProgressivePictures)
{
    TempFolder folder;
    const std::string source = folder.path("dv.avi");
    const std::string bottomFirst = "testsrc2=size=720x480:rate=60000/1001:duration=1,interlace=scan=bff";
    ASSERT_EQ(platform::RunAndWait("ffmpeg", {"-loglevel", "error", "-nostdin", "-f", "lavfi", "-i", bottomFirst,
                                              "-c:v", "dvvideo", "-pix_fmt", "yuv411p", "-r", "30000/1001", source}),
              0);
    std::string output = ConvertAsTask(source, ShippedProfile("ntscdvd.ini", "NTSC DVD (720x480)"), folder);
    auto facts = testmedia::ProbeFile(output);
    ASSERT_TRUE(facts && facts->First("video"));
    EXPECT_EQ(facts->First("video")->fieldOrder, "tt");
    auto fields = testmedia::DetectFields(output);
    ASSERT_TRUE(fields);
    // Turned, not merely flagged: the picture's own motion is top field first.
    EXPECT_GT(fields->topFirst, 3 * (fields->progressive + fields->bottomFirst + fields->undetermined))
        << fields->topFirst << " " << fields->bottomFirst << " " << fields->progressive;

    std::string progressive = ConvertAsTask(testmedia::ClipPath(Clip::Standard4x3),
                                            ShippedProfile("paldvd.ini", "PAL DVD (720x576)"), folder);
    auto progressiveFacts = testmedia::ProbeFile(progressive);
    ASSERT_TRUE(progressiveFacts && progressiveFacts->First("video"));
    EXPECT_EQ(progressiveFacts->First("video")->fieldOrder, "progressive");
}

// The rule on its own: what a quarter turn does to a frame with a fixed display aspect.
TEST(ConversionSourceShape, SideBarsOnlyForPortraitPictures)
{
    ProbedSource probed;
    probed.mediaInfo.videoIndex = 0;
    StreamFacts video{};
    video.kind = VEXEN_KIND_VIDEO;
    video.width = 1920;
    video.height = 1080;
    video.sarNum = video.sarDen = 1;
    video.rotation = 90;
    probed.facts = {video};

    ProfileSettings s = EmptyProfileSettings();
    s.nVideoRiszeOption = 11;
    s.nAspect = 2;
    KeepDisplayedShape(probed, s);
    EXPECT_EQ(s.bVideoEnablePad, 1);
    EXPECT_EQ(s.nVideoPadLeft + s.nVideoPadRight, 1920 - 608); // 1080 x 9/16, even
    EXPECT_EQ(s.nVideoPadLeft % 2, 0);
    EXPECT_EQ(s.nAspect, 2);

    ProfileSettings kept = EmptyProfileSettings();
    kept.nAspect = 2; // no resize: the source size stays, so no fixed aspect may stretch it
    KeepDisplayedShape(probed, kept);
    EXPECT_EQ(kept.nAspect, 0);
    EXPECT_EQ(kept.bVideoEnablePad, 0);

    probed.facts[0].rotation = 180; // landscape stays as the profile makes it
    ProfileSettings landscape = EmptyProfileSettings();
    landscape.nVideoRiszeOption = 11;
    landscape.nAspect = 2;
    KeepDisplayedShape(probed, landscape);
    EXPECT_EQ(landscape.bVideoEnablePad, 0);
    EXPECT_EQ(landscape.nAspect, 2);

    probed.facts.clear(); // no facts: the profile as it stands
    ProfileSettings unknown = EmptyProfileSettings();
    unknown.nAspect = 2;
    KeepDisplayedShape(probed, unknown);
    EXPECT_EQ(unknown.nAspect, 2);
}

} // namespace
} // namespace reelvane
