// The ferrix program itself: exit status, help and the terminal form of its messages.

#include "platform/process_runner.h"
#include "tests/platform/temp_folder.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sys/inotify.h>
#include <sys/mount.h>
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

TEST(ferrixProgram, FailuresSayWhyAndNothingIsLeftThatPassesForAVideoOrLiesOutsideTheCard)
{
    namespace fs = std::filesystem;
    TempFolder folder;
    fs::create_directories(folder.path("card/VIDEO"));
    const std::string card = folder.path("card");
    const std::string clip = folder.write("clip.mp4", "video");

    // The target exists: it stays, and the reason is given.
    folder.write("card/VIDEO/clip.mp4", "the card's own");
    Result run = Ferrix({"/i", clip, "/o", "VIDEO"}, card);
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find("exists already"), std::string::npos) << run.err;
    EXPECT_EQ(folder.read("card/VIDEO/clip.mp4"), "the card's own");

    // A folder that leads off the card is refused before anything is made.
    run = Ferrix({"/i", clip, "/o", "../escaped"}, card);
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find("outside the card"), std::string::npos) << run.err;
    EXPECT_FALSE(fs::exists(folder.path("escaped")));
    EXPECT_EQ(Ferrix({"/i", clip, "/o", "/VIDEO/../../escaped"}, card).status, 2);
    EXPECT_FALSE(fs::exists(folder.path("escaped")));

    // A full card: the system's reason, and no partial copy left.
    fs::create_directories(folder.path("small"));
    if (::mount("tmpfs", folder.path("small").c_str(), "tmpfs", 0, "size=1m") == 0) {
        std::string big(2 << 20, 'v');
        const std::string large = folder.write("large.mp4", big);
        run = Ferrix({"/i", large, "/o", "VIDEO"}, folder.path("small"));
        EXPECT_EQ(run.status, 2);
        EXPECT_NE(run.err.find(std::strerror(ENOSPC)), std::string::npos) << run.err;
        EXPECT_TRUE(fs::is_empty(folder.path("small/VIDEO")));
        ::umount(folder.path("small").c_str());
    } else {
        ADD_FAILURE() << "a small tmpfs is needed for the full-card case: " << std::strerror(errno);
    }

    // Killed in the middle of a copy: the partial file's name is not a video's, and is no dot-name.
    const std::string huge = folder.path("huge.mp4");
    std::ofstream(huge).close();
    fs::resize_file(huge, 256u << 20);
    int watch = inotify_init1(IN_CLOEXEC);
    ASSERT_GE(watch, 0);
    inotify_add_watch(watch, folder.path("card/VIDEO").c_str(), IN_CREATE);
    setenv("FERRIX_REMOVABLE_ROOTS", card.c_str(), 1);
    platform::ChildProcess child;
    ASSERT_TRUE(child.Start(FERRIX_PROGRAM, {"/i", huge, "/o", "VIDEO"}));
    alignas(inotify_event) char buffer[4096];
    ASSERT_GT(::read(watch, buffer, sizeof buffer), 0);
    const pid_t pid = child.pid();
    child.Signal(SIGKILL);
    child.Wait();
    unsetenv("FERRIX_REMOVABLE_ROOTS");
    close(watch);
    std::vector<std::string> left;
    for (const auto& entry : fs::directory_iterator(folder.path("card/VIDEO")))
        if (entry.path().filename() != "clip.mp4")
            left.push_back(entry.path().filename().string());
    ASSERT_EQ(left.size(), 1u);
    EXPECT_EQ(left[0], "huge.mp4.part-" + std::to_string(pid) + "-0");
}
