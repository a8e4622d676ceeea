#include "reelvane/tasks/split_choices.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace reelvane {
namespace {

TEST(SplitChoices, EntriesFollowTheProfileFileName)
{
    SplitChoices bluray = SplitChoicesFor("/p/ini/blu-ray_h264.ini");
    EXPECT_EQ(bluray.entries.front(), "BD-25 (25GB)");
    EXPECT_EQ(bluray.selected, 0);
    EXPECT_EQ(SplitChoicesFor("/p/ini/paldvd.ini").entries.size(), 2u);
    EXPECT_EQ(SplitChoicesFor("/p/ini/avchd_mpeg2.ini").entries.front(), "DVD-5 (4.7GB)");
    // Compared exactly: another case is any other profile, which selects "No split".
    SplitChoices other = SplitChoicesFor("/p/ini/PalDvd.ini");
    ASSERT_EQ(other.entries.size(), 6u);
    EXPECT_EQ(other.entries[static_cast<std::size_t>(other.selected)], "No split");
    EXPECT_EQ(SplitChoicesFor("").entries.size(), 6u);
}

TEST(SplitChoices, IdleStatusShowsTotalsAndTheMediumShare)
{
    TaskList tasks;
    EXPECT_EQ(IdleStatusFor(tasks, "No split", 4000).text, "Please Add File(s)");

    for (float seconds : {60.0f, 25.25f}) {
        auto task = std::make_unique<ConversionTask>();
        task->probed.duration = seconds;
        task->settings.bVideoCustomBitRate = 1;
        task->settings.nVideoCustomBitRate = 100000; // about 715 MB a minute
        tasks.Add(std::move(task));
    }
    const double total = EstimatedTotalMegabytes(tasks);
    EXPECT_NEAR(total, 100000 * 85.25 * 1000 / 8388608.0, 1e-6);

    IdleStatus none = IdleStatusFor(tasks, "No split", 4000);
    EXPECT_EQ(none.barPercent, 0);
    char expected[200];
    std::snprintf(expected, sizeof expected, "Total: 2 | Length: 00:01:25.2 | Total Size: %0.2f MB | No split", total);
    EXPECT_EQ(none.text, expected);

    IdleStatus dvd = IdleStatusFor(tasks, "DVD-5 (4.7GB)", 4000);
    EXPECT_EQ(dvd.barPercent, static_cast<int>(total * 0.023809524));
    EXPECT_NE(dvd.text.find("| DVD-5 (4.7GB)"), std::string::npos);
    EXPECT_NE(IdleStatusFor(tasks, "Custom", 700).text.find("| Split size: 700 MB"), std::string::npos);
}

} // namespace
} // namespace reelvane
