#include "reelvane/profiles/profile_settings.h"
#include "reelvane/profiles/profile_file.h"

#include <gtest/gtest.h>

using namespace reelvane;

TEST(OutputFrameSize, EveryResizeOption)
{
    ProfileSettings s = EmptyProfileSettings();
    s.nSourceWidth = 1918;
    s.nSourceHeight = 1080;
    s.nVideoCustomSizeX = 701;
    s.nVideoCustomSizeY = 397;
    const int expected[][2] = {{1920, 1080}, {128, 96},  {176, 144}, {352, 288}, {704, 576},  {320, 240},
                               {640, 480},   {720, 480}, {720, 576}, {704, 397}, {1280, 768}, {1920, 1080}};
    for (int option = 0; option < 12; ++option) {
        s.nVideoRiszeOption = option;
        FrameSize f = OutputFrameSize(s);
        EXPECT_EQ(f.width, expected[option][0]) << option;
        EXPECT_EQ(f.height, expected[option][1]) << option;
    }
    s.nVideoRiszeOption = 12; // outside the table: the source size
    EXPECT_EQ(OutputFrameSize(s).width, 1920);
    s.nVideoRiszeOption = -1;
    EXPECT_EQ(OutputFrameSize(s).height, 1080);
}

TEST(DeriveDefaultBitRate, WorkedCases)
{
    ProfileSettings s = EmptyProfileSettings();
    s.nVideoBitRateLevel = 3.0f;
    s.nVideoRiszeOption = 6;
    DeriveDefaultBitRate(s);
    EXPECT_EQ(s.nVideoDefaultBitRate, 900);

    s.nVideoRiszeOption = 0;
    s.nSourceWidth = 0;
    s.nSourceHeight = 480;
    DeriveDefaultBitRate(s);
    EXPECT_EQ(s.nVideoDefaultBitRate, 0);

    // The squared and linear terms: (0*W*H + 4*4*1024 + 10*1024) * 0.9765625 = 26000.
    s.nVideoRiszeOption = 1;
    s.nVideoBitRateLevel = 0;
    s.nVideoBitRateLevel2 = -4;
    s.nVideoBitRateLevel3 = 10;
    DeriveDefaultBitRate(s);
    EXPECT_EQ(s.nVideoDefaultBitRate, 26);

    s.nVideoBitRateLevel = -0.5f;
    DeriveDefaultBitRate(s);
    EXPECT_EQ(s.nVideoDefaultBitRate, 0);
}

TEST(DeriveDefaultBitRate, HugeValuesStayDefined)
{
    ProfileSettings s = EmptyProfileSettings();
    s.nVideoRiszeOption = 9;
    s.nVideoCustomSizeX = 2000000000;
    s.nVideoCustomSizeY = 2000000000;
    s.nVideoBitRateLevel = 3e38f;
    DeriveDefaultBitRate(s); // must not trap under the sanitizers
    SUCCEED();

    // "nan" reads as a level (the atof rule); converting it to an integer is undefined.
    s.nVideoRiszeOption = 6;
    s.nVideoBitRateLevel = 3.0f;
    s.nVideoBitRateLevel2 = ParseReal("nan");
    DeriveDefaultBitRate(s);
    EXPECT_EQ(s.nVideoDefaultBitRate, 0);
}
