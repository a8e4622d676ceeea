#include "reelvane/conversion/argument_builder.h"
#include "reelvane/conversion/run_status.h"
#include "reelvane/tasks/task_rules.h"
#include "reelvane/tasks/task_trim.h"

#include <gtest/gtest.h>

namespace reelvane {
namespace {

TEST(TaskTrim, TypedTimesReadBackAsTheyAreShown)
{
    EXPECT_EQ(ParseTrimTime("01:02:03.456"), 3'723'456'000);
    EXPECT_EQ(ParseTrimTime("2:05"), 125'000'000);
    EXPECT_EQ(ParseTrimTime("90.5"), 90'500'000);
    EXPECT_EQ(ParseTrimTime("0.000001"), 1);
    EXPECT_EQ(ParseTrimTime("100:00:00"), 360'000'000'000);
    for (const char* wrong : {"", ":", "1:", ".5", "5.", "1:60", "1:2:3:4", "-1", "1e3", "0.1234567", "a:b", " 1"})
        EXPECT_FALSE(ParseTrimTime(wrong)) << wrong;
    EXPECT_EQ(FormatTrimTime(3'723'456'789), "01:02:03.456");
    EXPECT_EQ(ParseTrimTime(FormatTrimTime(5'250'000)), 5'250'000);
}

// The range is counted from the source's start; the task keeps the file's own clock, which the
// builder writes "-ss" and "-t" from.
TEST(TaskTrim, RangeBecomesTheFlagsTheBuilderWrites)
{
    ConversionTask task;
    task.probed.mediaInfo.startTime = 1'400'000;
    task.probed.mediaInfo.duration = 6'000'000;
    task.probed.duration = 6.0f;
    EXPECT_EQ(TaskTrim(task).start, 0);
    EXPECT_EQ(TaskTrim(task).end, 6'000'000);

    ApplyTrim(task, {2'000'000, 5'000'000});
    EXPECT_EQ(task.fromStart, 0);
    EXPECT_EQ(task.trimStart, 3'400'000);
    EXPECT_EQ(task.toEnd, 0);
    EXPECT_EQ(task.trimEnd, 6'400'000);
    EXPECT_EQ(TaskTrim(task).start, 2'000'000);
    EXPECT_EQ(TaskTrim(task).end, 5'000'000);
    EXPECT_DOUBLE_EQ(TrimmedSeconds(task), 3.0);
    const std::string words = BuildPerFileArguments({task.settings, task.probed, "/in.mkv", "/out.mp4", "",
                                                     task.fromStart, task.trimStart, task.toEnd, task.trimEnd},
                                                    {})
                                  .LogLine();
    EXPECT_NE(words.find("-ss 00:00:02.0 -t 00:00:03.0 "), std::string::npos) << words;

    // From the start, or to the end, keeps that flag.
    ApplyTrim(task, {0, 4'000'000});
    EXPECT_EQ(task.fromStart, 1);
    EXPECT_EQ(task.toEnd, 0);
    EXPECT_DOUBLE_EQ(TrimmedSeconds(task), 4.0);
    ApplyTrim(task, {1'000'000, 6'000'000});
    EXPECT_EQ(task.fromStart, 0);
    EXPECT_EQ(task.toEnd, 1);
    EXPECT_DOUBLE_EQ(TrimmedSeconds(task), 5.0);
    ApplyTrim(task, {0, 6'000'000});
    EXPECT_EQ(task.fromStart + task.toEnd, 2);

    EXPECT_EQ(CheckTrim(task, {3'000'000, 3'000'000}), TrimFault::EndNotAfterStart);
    EXPECT_EQ(CheckTrim(task, {3'000'000, 2'000'000}), TrimFault::EndNotAfterStart);
    EXPECT_EQ(CheckTrim(task, {0, 6'000'001}), TrimFault::EndBeyondLength);
    EXPECT_FALSE(CheckTrim(task, {0, 6'000'000}));

    // A merged run reads its inputs whole, so a trimmed task is refused rather than joined whole.
    task.probed.mediaInfo.videoIndex = 0;
    std::vector<ConversionTask> merged = {task, task};
    EXPECT_FALSE(MergeProblem(merged));
    ApplyTrim(merged[1], {1'000'000, 6'000'000});
    EXPECT_NE(MergeProblem(merged).value_or("").find("Trimmed tasks cannot be merged"), std::string::npos);
}

} // namespace
} // namespace reelvane
