#include "platform/process_runner.h"
#include "temp_folder.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

TEST(ProcessRunner, ArgumentsReachTheProgramWithoutAShell)
{
    // Shell syntax in an argument must arrive as plain text.
    auto out = platform::RunAndCapture("printf", {"%s|%s", "a b; echo no", "$(x) *"});
    ASSERT_TRUE(out);
    EXPECT_EQ(*out, "a b; echo no|$(x) *");
}

TEST(ProcessRunner, ExitStatusAndMissingPrograms)
{
    EXPECT_EQ(platform::RunAndWait("sh", {"-c", "exit 3"}), 3);
    EXPECT_EQ(platform::RunAndWait("no-such-program-here", {}), -1);
    EXPECT_FALSE(platform::RunAndCapture("false", {}));
    EXPECT_FALSE(platform::FindProgram("no-such-program-here"));
    EXPECT_TRUE(platform::FindProgram("sh"));
}

TEST(ProcessRunner, PipesAndSignals)
{
    platform::ChildProcess child;
    platform::ProcessOptions options;
    options.pipeStdin = true;
    options.pipeStdout = true;
    ASSERT_TRUE(child.Start("cat", {}, options));
    ASSERT_TRUE(child.WriteStdin("hello"));
    child.CloseStdin();
    char buffer[16] = {};
    ssize_t n = ::read(child.stdoutFd(), buffer, sizeof buffer - 1);
    EXPECT_EQ(std::string(buffer, n > 0 ? n : 0), "hello");
    EXPECT_EQ(child.Wait(), 0);

    platform::ChildProcess sleeper;
    ASSERT_TRUE(sleeper.Start("sleep", {"30"}));
    EXPECT_FALSE(sleeper.TryWait());
    EXPECT_TRUE(sleeper.Signal(SIGTERM));
    EXPECT_EQ(sleeper.Wait(), 128 + SIGTERM);
}

TEST(ProcessRunner, WorkingFolderAndDetachedStart)
{
    TempFolder t;
    platform::ChildProcess child;
    platform::ProcessOptions options;
    options.pipeStdout = true;
    options.workingFolder = t.path();
    ASSERT_TRUE(child.Start("pwd", {}, options));
    char buffer[512] = {};
    ssize_t n = ::read(child.stdoutFd(), buffer, sizeof buffer - 1);
    child.Wait();
    EXPECT_EQ(std::filesystem::path(std::string(buffer, n > 0 ? n - 1 : 0)), std::filesystem::canonical(t.path()));

    EXPECT_TRUE(platform::StartDetached("touch", {t.path("made")}));
    for (int i = 0; i < 100 && !std::filesystem::exists(t.path("made")); ++i)
        ::usleep(20000);
    EXPECT_TRUE(std::filesystem::exists(t.path("made")));
    EXPECT_FALSE(platform::StartDetached("no-such-program-here", {}));
}
