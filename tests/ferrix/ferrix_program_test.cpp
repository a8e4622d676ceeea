// The ferrix program itself: exit status, help and the terminal form of its one message.

#include "platform/process_runner.h"
#include "tests/platform/temp_folder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <unistd.h>

namespace {

struct Result {
    int status;
    std::string out, err;
};

std::string ReadAll(int fd)
{
    std::string text;
    char buffer[4096];
    for (ssize_t n; (n = ::read(fd, buffer, sizeof buffer)) > 0;)
        text.append(buffer, static_cast<std::size_t>(n));
    return text;
}

// Runs ferrix without a display and with the given cards.
Result Ferrix(const std::vector<std::string>& args, const std::string& roots)
{
    unsetenv("DISPLAY");
    unsetenv("WAYLAND_DISPLAY");
    setenv("FERRIX_REMOVABLE_ROOTS", roots.c_str(), 1);
    platform::ChildProcess child;
    platform::ProcessOptions options;
    options.pipeStdout = true;
    options.pipeStderr = true;
    EXPECT_TRUE(child.Start(FERRIX_PROGRAM, args, options));
    Result result;
    result.out = ReadAll(child.stdoutFd());
    result.err = ReadAll(child.stderrFd());
    result.status = child.Wait();
    unsetenv("FERRIX_REMOVABLE_ROOTS");
    return result;
}

} // namespace

TEST(ferrixProgram, ExitStatusTellsCopiedFromNothingDoneAndFailed)
{
    TempFolder folder;
    std::filesystem::create_directories(folder.path("card/MP_ROOT"));
    const std::string clip = folder.write("clip.mp4", "video");
    folder.write("clip.THM", "thumbnail");
    const std::string card = folder.path("card");

    Result run = Ferrix({"/i", clip, "/o", "/MP_ROOT/VIDEO"}, card);
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(folder.read("card/MP_ROOT/VIDEO/clip.mp4"), "video");
    EXPECT_EQ(Ferrix({"/i", clip, "/o", "/MP_ROOT/VIDEO"}, card).status, 2);
    EXPECT_EQ(Ferrix({"/i", clip}, card).status, 1);

    std::filesystem::remove_all(folder.path("card/MP_ROOT"));
    run = Ferrix({"/i", clip, "/o", "MP_ROOT"}, card);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "Cannot find PSP\n");
}

TEST(ferrixProgram, HelpExplainsTheKeys)
{
    const Result run = Ferrix({"--help"}, "");
    EXPECT_EQ(run.status, 0);
    EXPECT_NE(run.out.find("/i FILE"), std::string::npos);
    EXPECT_NE(run.out.find("/o FOLDER"), std::string::npos);
    EXPECT_NE(run.out.find("FERRIX_REMOVABLE_ROOTS"), std::string::npos);
}
