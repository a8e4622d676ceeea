// What OK refuses in the option sheet before a run could fail on it: crops and pads that leave no
// picture, odd frames for 4:2:0 codecs, frames beyond a codec's limit.
#include "platform/process_runner.h"
#include "reelvane/conversion/output_frame_check.h"
#include "reelvane/conversion/output_preview.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

using namespace reelvane;

namespace {

ProfileSettings Clip1280(const char* codec)
{
    ProfileSettings s = EmptyProfileSettings();
    s.nSourceWidth = 1280;
    s.nSourceHeight = 720;
    std::strcpy(s.cVideoCodec, codec);
    return s;
}

void Crop(ProfileSettings& s, int left, int right, int top, int bottom)
{
    s.bVideoEnableCrop = 1;
    s.nVideoCropLeft = left, s.nVideoCropRight = right, s.nVideoCropTop = top, s.nVideoCropBottom = bottom;
}

void Pad(ProfileSettings& s, int left, int right, int top, int bottom)
{
    s.bVideoEnablePad = 1;
    s.nVideoPadLeft = left, s.nVideoPadRight = right, s.nVideoPadTop = top, s.nVideoPadBottom = bottom;
}

} // namespace

TEST(OutputFrameCheck, CropsAndPadsThatLeaveNoPictureAreRefusedAtTheirLargerSide)
{
    ProfileSettings s = Clip1280("h264");
    Crop(s, 5000, 0, 0, 0);
    auto refusal = RefuseOutputFrame(s);
    ASSERT_TRUE(refusal);
    EXPECT_EQ(refusal->field, FrameField::Crop);
    EXPECT_EQ(refusal->side, 0);
    EXPECT_EQ(refusal->message, "Crop: Left and Right together must be less than the picture's 1280 pixels.");

    Crop(s, 0, 0, 300, 420);
    refusal = RefuseOutputFrame(s);
    ASSERT_TRUE(refusal);
    EXPECT_EQ(refusal->side, 3);
    EXPECT_NE(refusal->message.find("720"), std::string::npos);

    // Pads of a chosen frame are taken from it: 640 wide leaves nothing between 320 and 320.
    Crop(s, 0, 0, 0, 0);
    s.nVideoRiszeOption = 6;
    Pad(s, 320, 320, 0, 0);
    refusal = RefuseOutputFrame(s);
    ASSERT_TRUE(refusal);
    EXPECT_EQ(refusal->field, FrameField::Pad);
    Pad(s, 300, 300, 0, 0);
    EXPECT_FALSE(RefuseOutputFrame(s));

    // Without a picture made there is nothing to refuse.
    Crop(s, 5000, 0, 0, 0);
    std::strcpy(s.cVideoCodec, "copy");
    EXPECT_FALSE(RefuseOutputFrame(s));
}

TEST(OutputFrameCheck, OddFramesAndFramesBeyondTheLimitFollowTheCodec)
{
    ProfileSettings s = Clip1280("h264");
    Pad(s, 0, 0, 3, 0);
    auto refusal = RefuseOutputFrame(s);
    ASSERT_TRUE(refusal);
    EXPECT_EQ(refusal->field, FrameField::Pad);
    EXPECT_EQ(refusal->side, 2);
    EXPECT_EQ(refusal->message,
              "Pad: the output frame 1280x723 has an odd width or height, which the codec h264 cannot encode.");
    Crop(s, 0, 0, 1, 0); // 720 - 1 + 3: even again
    EXPECT_FALSE(RefuseOutputFrame(s));
    std::strcpy(s.cVideoCodec, "png");
    Crop(s, 0, 0, 0, 0);
    EXPECT_FALSE(RefuseOutputFrame(s));

    s = Clip1280("mpeg4");
    s.nVideoRiszeOption = 9;
    s.nVideoCustomSizeX = 9000;
    s.nVideoCustomSizeY = 480;
    refusal = RefuseOutputFrame(s);
    ASSERT_TRUE(refusal);
    EXPECT_EQ(refusal->field, FrameField::Size);
    EXPECT_EQ(refusal->message, "Resize (Width x Height): the output frame 9008x480 is larger than the codec mpeg4 "
                                "allows (8191x8191).");
    std::strcpy(s.cVideoCodec, "h264");
    EXPECT_FALSE(RefuseOutputFrame(s));
}

// The preview shows a frame in its display shape: the pixel shape the engine writes into the PNG.
TEST(OutputFrameCheck, PreviewFramesCarryTheirPixelShape)
{
    const std::string path = (std::filesystem::temp_directory_path() / "reelvane-pixel-shape.png").string();
    ASSERT_EQ(platform::RunAndWait("ffmpeg",
                                   {"-v", "error", "-y", "-f", "lavfi", "-i", "testsrc=s=64x48", "-vf", "setsar=16/11",
                                    "-frames:v", "1", "-c:v", "png", "-f", "image2", "-update", "1", path}),
              0);
    std::ifstream in(path, std::ios::binary);
    std::vector<unsigned char> png{std::istreambuf_iterator<char>(in), {}};
    std::filesystem::remove(path);
    EXPECT_NEAR(PngPixelAspect(png), 16.0 / 11.0, 1e-6);
    png.resize(40); // cut off before its pHYs chunk ends
    EXPECT_EQ(PngPixelAspect(png), 1.0);
    EXPECT_EQ(PngPixelAspect({}), 1.0);
}
