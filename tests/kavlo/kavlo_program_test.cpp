// The kavlo program's command line: its usage, batch conversion, and its messages on a terminal.

#include "tests/kavlo/kavlo_media_set.h"
#include "tools/kavlo/kavlo_messages.h"

#include "platform/process_runner.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <unistd.h>

using namespace kavlo_test;

namespace {

struct Result {
    int status;
    std::string output; // standard output and error together
};

Result Kavlo(const std::vector<std::string>& args)
{
    unsetenv("DISPLAY");
    unsetenv("WAYLAND_DISPLAY");
    platform::ChildProcess child;
    platform::ProcessOptions options;
    options.pipeStderr = true;
    EXPECT_TRUE(child.Start(KAVLO_PROGRAM, args, options));
    Result result;
    char buffer[4096];
    for (ssize_t n; (n = ::read(child.stderrFd(), buffer, sizeof buffer)) > 0;)
        result.output.append(buffer, static_cast<std::size_t>(n));
    result.status = child.Wait();
    return result;
}

} // namespace

TEST(kavloProgram, BatchModeConvertsIntoTheNamedOutputAndReportsRefusals)
{
    EXPECT_EQ(Kavlo({"a.mov", "b.mov"}).status, 2);

    TempFolder folder;
    CopyInto(folder, Media().cameraClip, "camera.mov");
    RecordingUi ui;
    ASSERT_EQ(kavlo::CreateTemp(folder.path(""), "camera.mov", ui), kavlo::Outcome::Done);
    const std::string templ = folder.path(std::string(kavlo::kTemplatePrefix) + "camera.mov");

    Result run = Kavlo({Media().target, templ, folder.path("converted.mov")});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.output, std::string(kavlo::kConverted) + "\n");
    EXPECT_EQ(TopLevel(ReadBytes(folder.path("converted.mov"))).front().type, "skip");

    run = Kavlo({Media().wideband, templ, folder.path("refused.mov")});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.output, std::string(kavlo::kSampleRateDiffers) + "\n");
    EXPECT_FALSE(std::filesystem::exists(folder.path("refused.mov")));
}

TEST(kavloProgram, NoArgumentsShowTheUsageAndAnExistingOutputIsNeverReplaced)
{
    Result bare = Kavlo({});
    EXPECT_EQ(bare.status, 2);
    EXPECT_NE(bare.output.find("Usage: kavlo"), std::string::npos) << bare.output;

    TempFolder folder;
    CopyInto(folder, Media().cameraClip, "camera.mov");
    RecordingUi ui;
    ASSERT_EQ(kavlo::CreateTemp(folder.path(""), "camera.mov", ui), kavlo::Outcome::Done);
    const std::string templ = folder.path(std::string(kavlo::kTemplatePrefix) + "camera.mov");
    const std::string mine = folder.path("mine.mov");
    WriteBytes(mine, {'m', 'i', 'n', 'e'});

    Result run = Kavlo({Media().target, templ, mine});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.output, std::string(kavlo::kOutputExists) + mine + "\n");
    EXPECT_EQ(ReadBytes(mine), (std::vector<uint8_t>{'m', 'i', 'n', 'e'}));
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder.path("")))
        names.push_back(entry.path().filename().string());
    EXPECT_EQ(names.size(), 3u); // no partial file is left beside it
}
