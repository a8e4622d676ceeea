#include "reelvane/conversion/aspect_correction.h"

#include <gtest/gtest.h>

namespace reelvane {
namespace {

ProfileSettings Source(int width, int height, float aspect)
{
    ProfileSettings s = EmptyProfileSettings();
    s.nSourceWidth = width;
    s.nSourceHeight = height;
    s.fSourceAspect = aspect;
    s.nVideoPadColor = 0x123456;
    return s;
}

TEST(ConversionAspect, KnownAspectsNeedNoPads)
{
    ProfileSettings wide = Source(720, 576, 1.7777778f);
    CorrectAspect(1, wide);
    EXPECT_EQ(wide.nAspect, 2);
    EXPECT_EQ(wide.bVideoEnablePad, 0);

    ProfileSettings standard = Source(720, 576, 1.3333f);
    CorrectAspect(4, standard);
    EXPECT_EQ(standard.nAspect, 1);
    EXPECT_EQ(standard.bVideoEnablePad, 0);
}

TEST(ConversionAspect, UnknownAspectIsTakenFromTheFrame)
{
    ProfileSettings s = Source(640, 480, 0.0f);
    CorrectAspect(0, s);
    EXPECT_FLOAT_EQ(s.fSourceAspect, 1.3333334f);
    EXPECT_EQ(s.nAspect, 1);
    EXPECT_EQ(s.bVideoEnablePad, 0);
}

TEST(ConversionAspect, FourThirdsFramesLetterboxWideSources)
{
    // Rows 2 to 5 have no 16:9: a 16:9 source gets 4:3 with top and bottom pads.
    ProfileSettings s = Source(1280, 720, 1.7777778f);
    CorrectAspect(4, s);
    EXPECT_EQ(s.nAspect, 1);
    EXPECT_EQ(s.bVideoEnablePad, 1);
    EXPECT_EQ(s.nVideoPadColor, 0);
    // P = 352 - trunc(352 / (4/3)) x 1.7777778 = 352 - 264 x 1.7777778 < 0; Q = 240 - 320 / 1.7777778 = 60.
    EXPECT_EQ(s.nVideoPadLeft, 0);
    EXPECT_EQ(s.nVideoPadTop, 30);
    EXPECT_EQ(s.nVideoPadBottom, 30);
}

TEST(ConversionAspect, NarrowSourceGetsSidePads)
{
    // 1:1 source into a 4:3 NTSC frame: P = 720 - trunc(720 / (4/3)) x 1 = 181, halves of 90.
    ProfileSettings s = Source(480, 480, 1.0f);
    CorrectAspect(0, s);
    EXPECT_EQ(s.nAspect, 1);
    EXPECT_EQ(s.bVideoEnablePad, 1);
    EXPECT_EQ(s.nVideoPadLeft, 90);
    EXPECT_EQ(s.nVideoPadRight, 90);
    EXPECT_EQ(s.nVideoPadTop, 0);
}

TEST(ConversionAspect, CinemaScopeGetsWideCodeAndBars)
{
    ProfileSettings s = Source(1920, 800, 2.4f);
    CorrectAspect(1, s);
    EXPECT_EQ(s.nAspect, 2);
    // P = 720 - trunc(405) x 2.4 < 0; Q = 576 - trunc(1024) / 2.4 = 149 -> halves 74.
    EXPECT_EQ(s.nVideoPadTop, 74);
    EXPECT_EQ(s.nVideoPadBottom, 74);
}

TEST(ConversionAspect, NoChangeOutsideTheTableOrWithoutAFrame)
{
    for (int choice : {-1, 8, 100}) {
        ProfileSettings s = Source(480, 480, 1.0f);
        CorrectAspect(choice, s);
        EXPECT_EQ(s.nAspect, 0);
        EXPECT_EQ(s.bVideoEnablePad, 0);
    }
    ProfileSettings empty = Source(0, 0, 0.0f);
    CorrectAspect(0, empty);
    EXPECT_EQ(empty.nAspect, 0);
    EXPECT_EQ(empty.fSourceAspect, 0.0f);
}

TEST(ConversionAspect, ChooseDisplayAspectRule)
{
    EXPECT_FALSE(ChooseDisplayAspect(0, 0, 480));
    EXPECT_FALSE(ChooseDisplayAspect(0, 640, -1));
    auto code = [](int choice, int w, int h) {
        auto c = ChooseDisplayAspect(choice, w, h);
        return c->code * 10 + (c->fits ? 1 : 0);
    };
    EXPECT_EQ(code(0, 640, 480), 11);
    EXPECT_EQ(code(0, 1920, 1080), 21);
    EXPECT_EQ(code(3, 1920, 1080), 10);
    EXPECT_EQ(code(0, 500, 500), 10);
    EXPECT_EQ(code(0, 2400, 1000), 20);
    EXPECT_EQ(code(0, 1500, 1000), 10); // 1.5 is nearer to 4:3
    EXPECT_EQ(code(0, 1600, 1000), 20); // 1.6 is nearer to 16:9
}

TEST(ConversionAspect, LetterboxPadsRoundHalvesToEven)
{
    ProfileSettings s = EmptyProfileSettings();
    SetLetterboxPads(s, 10, 12);
    EXPECT_EQ(s.nVideoPadLeft, 6); // 5 is odd
    EXPECT_EQ(s.nVideoPadRight, 6);
    EXPECT_EQ(s.nVideoPadTop, 6);
    SetLetterboxPads(s, 9, -1);
    EXPECT_EQ(s.nVideoPadLeft, 4);
    EXPECT_EQ(s.nVideoPadTop, 6); // a negative total leaves that pair alone
    EXPECT_EQ(s.bVideoEnablePad, 1);
}

} // namespace
} // namespace reelvane
