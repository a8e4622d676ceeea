// The command line as a script uses it: the real program, real clips, exit codes and JSON lines.
#include "platform/process_runner.h"
#include "tests/media/fitting_media.h"
#include "tests/media/media_facts.h"
#include "tests/media/test_media.h"
#include "tests/platform/temp_folder.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <poll.h>
#include <set>
#include <sstream>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;
using nlohmann::json;

namespace {

struct Result {
    int code = -1;
    std::string out;
    std::vector<json> lines; // the JSON objects of the output
};

// Runs reelvane with its settings, saved profiles and videos folder in `folder`; `onLine` sees
// each output line as it comes.
Result RunReelvane(const TempFolder& folder, const std::vector<std::string>& arguments,
                   const std::function<void(const std::string&, platform::ChildProcess&)>& onLine = {})
{
    const std::string home = std::getenv("HOME") ? std::getenv("HOME") : "";
    setenv("HOME", folder.path("home").c_str(), 1);
    setenv("XDG_CONFIG_HOME", folder.path("config").c_str(), 1);
    setenv("XDG_DATA_HOME", folder.path("data").c_str(), 1);
    platform::ChildProcess child;
    platform::ProcessOptions options;
    options.pipeStdout = true;
    Result result;
    if (!child.Start(REELVANE_PROGRAM, arguments, options))
        return result;
    std::string pending;
    char buffer[4096];
    // A run that hangs is killed, so that the test fails rather than waits for ever.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    for (ssize_t n;;) {
        pollfd ready{child.stdoutFd(), POLLIN, 0};
        if (::poll(&ready, 1, 200) == 0) {
            if (std::chrono::steady_clock::now() > deadline) {
                child.Signal(SIGKILL);
                result.out += "(killed: no end within 60 s)\n";
                break;
            }
            continue;
        }
        if ((n = ::read(child.stdoutFd(), buffer, sizeof buffer)) <= 0)
            break;
        pending.append(buffer, static_cast<std::size_t>(n));
        for (std::size_t end; (end = pending.find('\n')) != std::string::npos;) {
            std::string line = pending.substr(0, end);
            pending.erase(0, end + 1);
            result.out += line + "\n";
            if (json parsed = json::parse(line, nullptr, false); !parsed.is_discarded())
                result.lines.push_back(parsed);
            if (onLine)
                onLine(line, child);
        }
    }
    result.code = child.Wait();
    unsetenv("XDG_CONFIG_HOME");
    unsetenv("XDG_DATA_HOME");
    setenv("HOME", home.c_str(), 1);
    return result;
}

std::vector<json> Events(const Result& result, const std::string& event)
{
    std::vector<json> found;
    for (const json& line : result.lines)
        if (line.value("event", "") == event)
            found.push_back(line);
    return found;
}

// The slow profile of the interrupt tests: it reads at the clip's own pace.
std::string WriteSlowProfile(const TempFolder& folder)
{
    std::ofstream(folder.path("slow.ini")) << "[Slow]\nTargetType=mp4\nBeforePara=-re\nPara=-f mp4 -preset ultrafast\n"
                                              "cAudioCodec=aac\ncVideoCodec=h264\nnVideoDefaultBitRate=500\n";
    return folder.path("slow.ini") + ":Slow";
}

// The id of the child process of `parent` named `name`, or 0.
pid_t ChildNamed(pid_t parent, const std::string& name)
{
    for (const auto& entry : fs::directory_iterator("/proc")) {
        std::ifstream stat(entry.path() / "stat");
        std::string line;
        if (!std::getline(stat, line) || line.find('(' + name + ')') == std::string::npos)
            continue;
        std::istringstream rest(line.substr(line.rfind(')') + 2));
        char state = 0;
        pid_t ppid = 0;
        rest >> state >> ppid;
        if (ppid == parent)
            return static_cast<pid_t>(std::stol(entry.path().filename().string()));
    }
    return 0;
}

// True once the process has ended (a zombie no one reaps has ended too).
bool Ended(pid_t pid)
{
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    return !std::getline(stat, line) || line.substr(line.rfind(')') + 2, 1) == "Z";
}

std::vector<std::string> HiddenFiles(const std::string& folder)
{
    std::vector<std::string> found;
    for (const auto& entry : fs::directory_iterator(folder))
        if (entry.path().filename().string().front() == '.')
            found.push_back(entry.path().filename().string());
    return found;
}

// What reelvane writes to standard error with these arguments, and its exit status.
std::pair<int, std::string> ErrorOutput(const TempFolder& folder, const std::vector<std::string>& arguments)
{
    setenv("XDG_CONFIG_HOME", folder.path("config").c_str(), 1);
    platform::ChildProcess child;
    platform::ProcessOptions options;
    options.pipeStderr = true;
    std::string text;
    if (child.Start(REELVANE_PROGRAM, arguments, options)) {
        char buffer[4096];
        for (ssize_t n; (n = ::read(child.stderrFd(), buffer, sizeof buffer)) > 0;)
            text.append(buffer, static_cast<std::size_t>(n));
    }
    unsetenv("XDG_CONFIG_HOME");
    return {child.Wait(), text};
}

} // namespace

TEST(CommandLine, ConvertsTwoClipsWithJsonLines)
{
    TempFolder folder;
    const std::string clip = testmedia::SizedClipPath(2, 320, 240);
    Result r = RunReelvane(folder, {"--convert", "--profile", "mp4.ini:MP4 Video", "--output", folder.path("out"),
                                    "--json", clip, testmedia::ClipPath(testmedia::Clip::MatroskaTracks)});
    ASSERT_EQ(r.code, 0) << r.out;
    std::vector<json> tasks = Events(r, "task");
    ASSERT_EQ(tasks.size(), 2u) << r.out;
    // Side by side, tasks end in any order: each event names its task.
    std::sort(tasks.begin(), tasks.end(), [](const json& a, const json& b) { return a["task"] < b["task"]; });
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(tasks[i]["task"], i + 1);
        EXPECT_EQ(tasks[i]["state"], "finished");
        auto facts = testmedia::ProbeFile(tasks[i]["output"].get<std::string>());
        ASSERT_TRUE(facts) << tasks[i];
        EXPECT_NEAR(facts->duration, 2.0, 0.2);
        EXPECT_EQ(facts->First("video")->codec, "h264");
    }
    EXPECT_EQ(tasks[0]["output"], folder.path("out/sized_2s_320x240.mp4"));
    for (const json& progress : Events(r, "progress")) {
        EXPECT_EQ(progress["tasks"], 2);
        EXPECT_GE(progress["percent"].get<int>(), 0);
        EXPECT_LE(progress["runPercent"].get<int>(), 100);
        EXPECT_TRUE(progress.contains("secondsLeft") && progress.contains("runSecondsLeft"));
    }
    std::vector<json> end = Events(r, "end");
    ASSERT_EQ(end.size(), 1u);
    EXPECT_EQ(end[0]["exitCode"], 0);
    EXPECT_EQ(end[0]["finished"], 2);
    EXPECT_EQ(r.lines.back()["event"], "end");
}

TEST(CommandLine, ExitCodesTellUsageErrorsFromFailedTasks)
{
    TempFolder folder;
    const std::string clip = testmedia::SizedClipPath(2, 320, 240);
    const std::string out = folder.path("out");
    EXPECT_EQ(RunReelvane(folder, {"--convert", "--frobnicate", clip}).code, 2);
    EXPECT_EQ(RunReelvane(folder, {"--convert", "--output", out, folder.path("missing.mkv")}).code, 2);
    EXPECT_EQ(RunReelvane(folder, {"--convert", "--profile", "No Such Profile", clip}).code, 2);
    EXPECT_EQ(RunReelvane(folder, {"--convert", "--split", "BD-25", "--split-size", "100", clip}).code, 2);
    EXPECT_EQ(RunReelvane(folder, {"--convert", "--profile", "PAL DVD (720x576)", "--split", "BD-25", clip}).code, 2);
    EXPECT_EQ(RunReelvane(folder, {"--convert", "--audio", "2", "--output", out, clip}).code, 2);
    EXPECT_FALSE(fs::exists(out) && !fs::is_empty(out)); // nothing was converted

    Result broken = RunReelvane(folder, {"--convert", "--profile", "MP4 Video", "--output", out, "--json",
                                         testmedia::ClipPath(testmedia::Clip::NotMedia), clip});
    EXPECT_EQ(broken.code, 1);
    std::vector<json> tasks = Events(broken, "task");
    ASSERT_EQ(tasks.size(), 2u) << broken.out;
    EXPECT_EQ(tasks[0]["state"], "failed");
    EXPECT_EQ(tasks[1]["state"], "finished");
    EXPECT_EQ(Events(broken, "message").size(), 1u);
    EXPECT_EQ(Events(broken, "end").at(0)["failed"], 1);
}

TEST(CommandLine, SecondAudioTrackAndSubtitleTracksOnlyWhereTheOutputHoldsThem)
{
    TempFolder folder;
    const std::string clip = testmedia::ClipPath(testmedia::Clip::SurroundTracks);
    const std::string out = folder.path("out");
    for (const std::vector<std::string>& words :
         {std::vector<std::string>{"--profile", "mp3.ini:MP3 Audio", "--audio", "1,2"},
          {"--profile", "divxavi.ini:DivX AVI", "--subtitle-tracks", "1"},
          {"--profile", "mp4.ini:MP4 Video", "--subtitle-tracks", "2"},
          {"--profile", "mp4.ini:MP4 Video", "--subtitle-tracks", "one"}}) {
        std::vector<std::string> arguments = {"--convert", "--output", out};
        arguments.insert(arguments.end(), words.begin(), words.end());
        arguments.push_back(clip);
        EXPECT_EQ(RunReelvane(folder, arguments).code, 2) << words[1] << " " << words[3];
    }
    EXPECT_FALSE(fs::exists(out) && !fs::is_empty(out)); // refused before anything ran

    Result kept = RunReelvane(folder, {"--convert", "--profile", "mp4.ini:MP4 Video", "--audio", "1,2",
                                       "--subtitle-tracks", "1", "--output", out, "--json", clip});
    ASSERT_EQ(kept.code, 0) << kept.out;
    auto facts = testmedia::ProbeFile(Events(kept, "task").at(0)["output"].get<std::string>());
    ASSERT_TRUE(facts);
    ASSERT_EQ(facts->Count("audio"), 2);
    EXPECT_EQ(facts->streams[1].codec, "aac");
    EXPECT_EQ(facts->streams[2].codec, "aac");
    ASSERT_EQ(facts->Count("subtitle"), 1);
    EXPECT_EQ(facts->streams[3].codec, "mov_text");
    EXPECT_EQ(facts->streams[3].language, "eng");
}

TEST(CommandLine, InterruptStopsTheRunCleanly)
{
    TempFolder folder;
    // A profile that reads at the clip's own pace, so that the run is still going when interrupted.
    const std::string slow = WriteSlowProfile(folder);
    const std::string clip = testmedia::SizedClipPath(2, 320, 240);
    bool sent = false;
    Result r = RunReelvane(
        folder, {"--convert", "--profile", slow, "--output", folder.path("out"), "--jobs", "1", "--json", clip, clip},
        [&](const std::string& line, platform::ChildProcess& child) {
            if (!sent && line.find("\"progress\"") != std::string::npos)
                sent = child.Signal(SIGINT);
        });
    ASSERT_TRUE(sent) << r.out;
    EXPECT_EQ(r.code, 1);
    std::vector<json> tasks = Events(r, "task");
    ASSERT_EQ(tasks.size(), 2u) << r.out;
    EXPECT_EQ(tasks[0]["state"], "cancelled");
    EXPECT_EQ(tasks[1]["state"], "not started");
    EXPECT_EQ(Events(r, "end").at(0)["cancelled"], true);
    EXPECT_TRUE(fs::is_empty(folder.path("out")));
}

TEST(CommandLine, TaskEventsSayPerStreamWhetherItIsCopiedAndJobsRunSideBySide)
{
    TempFolder folder;
    const std::string fitting = testmedia::FittingClipPath(testmedia::FittingClip::Mp4Main);
    const std::string profile = "h264mp4.ini:H.264 MP4 Video";
    EXPECT_EQ(RunReelvane(folder, {"--convert", "--jobs", "0", fitting}).code, 2);
    EXPECT_EQ(RunReelvane(folder, {"--convert", "--jobs", "two", fitting}).code, 2);

    for (const char* choice : {"--copy-fitting", "--re-encode"}) {
        SCOPED_TRACE(choice);
        const std::string out = folder.path(std::string("out") + choice);
        Result r = RunReelvane(folder, {"--convert", "--profile", profile, "--output", out, "--jobs", "2", choice,
                                        "--json", fitting, fitting});
        ASSERT_EQ(r.code, 0) << r.out;
        std::vector<json> tasks = Events(r, "task");
        ASSERT_EQ(tasks.size(), 2u) << r.out;
        std::set<std::string> outputs;
        for (const json& task : tasks) {
            outputs.insert(task["output"].get<std::string>());
            ASSERT_EQ(task["streams"].size(), 2u) << task;
            EXPECT_EQ(task["streams"][0]["kind"], "video");
            EXPECT_EQ(task["streams"][1]["kind"], "audio");
            for (const json& stream : task["streams"]) {
                EXPECT_EQ(stream["action"], choice == std::string("--copy-fitting") ? "copy" : "encode") << stream;
                EXPECT_FALSE(stream["reason"].get<std::string>().empty());
            }
        }
        EXPECT_EQ(outputs.size(), 2u); // two names, though both tasks share the source's
    }
}

TEST(CommandLine, ListsTheCatalogueAndAnswersHelpAndVersion)
{
    TempFolder folder;
    Result list = RunReelvane(folder, {"--list-profiles"});
    ASSERT_EQ(list.code, 0);
    for (const auto& entry : fs::directory_iterator(PROFILE_SOURCE_FOLDER)) {
        const std::string file = entry.path().filename().string();
        if (file != "tvcdef.ini") {
            EXPECT_NE(("\n" + list.out).find("\n" + file + ":"), std::string::npos) << file << " missing from\n"
                                                                                    << list.out;
        }
    }
    EXPECT_NE(list.out.find("mp4.ini:MP4 Video\t"), std::string::npos);

    Result help = RunReelvane(folder, {"--help"});
    EXPECT_EQ(help.code, 0);
    EXPECT_NE(help.out.find("--convert"), std::string::npos);
    Result version = RunReelvane(folder, {"--version"});
    EXPECT_EQ(version.code, 0);
    EXPECT_TRUE(version.out.starts_with("Reelvane ")) << version.out;
}

namespace {

// Sends `signal` to the process as soon as something whose name `wanted` accepts is made in `folder`.
class CreationTrigger {
public:
    CreationTrigger(const std::string& folder, std::function<bool(const std::string&, bool)> wanted, int signal)
        : fd_(inotify_init1(IN_CLOEXEC)), signal_(signal), wanted_(std::move(wanted))
    {
        inotify_add_watch(fd_, folder.c_str(), IN_CREATE);
    }
    ~CreationTrigger()
    {
        done_ = true;
        if (thread_.joinable())
            thread_.join();
        close(fd_);
    }
    void Arm(pid_t pid)
    {
        if (thread_.joinable())
            return;
        thread_ = std::thread([this, pid] {
            alignas(inotify_event) char buffer[4096];
            while (!done_ && !fired_) {
                pollfd ready{fd_, POLLIN, 0};
                if (poll(&ready, 1, 50) <= 0)
                    continue;
                ssize_t n = read(fd_, buffer, sizeof buffer);
                for (ssize_t at = 0; at < n;) {
                    auto* event = reinterpret_cast<inotify_event*>(buffer + at);
                    if (!fired_ && event->len > 0 && wanted_(event->name, (event->mask & IN_ISDIR) != 0)) {
                        fired_ = true;
                        kill(pid, signal_);
                        name_ = event->name;
                    }
                    at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
                }
            }
        });
    }
    bool fired() const { return fired_; }
    const std::string& name() const { return name_; }

private:
    int fd_;
    int signal_;
    std::function<bool(const std::string&, bool)> wanted_;
    std::thread thread_;
    std::atomic<bool> done_{false};
    std::atomic<bool> fired_{false};
    std::string name_;
};

} // namespace

TEST(CommandLine, InterruptOrKillDuringTheDiscStepLeavesTheConvertedFilesAndNothingHalfMade)
{
    TempFolder folder;
    std::ofstream(folder.path("disc.ini"))
        << "[Disc]\nTargetType=ts\nPara=-f mpegts -preset ultrafast -qp 4 -g 24 -fs 0\n"
           "cAudioCodec=ac3\ncVideoCodec=h264\nbCanBurn=1\nBurnType=BLURAY\n";
    struct Case {
        const char* name;
        int signal;
        bool folderMade; // the trigger: the authoring folder, else the image
        std::string clip;
    };
    // The image is written in moments: its case gets streams large enough for the signal to
    // arrive while it is being written.
    const std::string small = testmedia::SizedClipPath(10, 320, 240);
    for (const Case& c : {Case{"authoring", SIGINT, true, small},
                          Case{"imaging", SIGINT, false, testmedia::SizedClipPath(30, 640, 480)},
                          Case{"killed while authoring", SIGKILL, true, small}}) {
        SCOPED_TRACE(c.name);
        const std::string& clip = c.clip;
        const std::string stem = fs::path(clip).stem().string();
        const std::string out = folder.path(c.name);
        fs::create_directories(out);
        CreationTrigger trigger(
            out,
            [&c](const std::string& name, bool isFolder) { return c.folderMade ? isFolder : name.ends_with(".iso"); },
            c.signal);
        Result r = RunReelvane(folder,
                               {"--convert", "--profile", folder.path("disc.ini") + ":Disc", "--output", out, "--json",
                                clip, clip},
                               [&](const std::string&, platform::ChildProcess& child) { trigger.Arm(child.pid()); });
        ASSERT_TRUE(trigger.fired()) << r.out;
        std::vector<std::string> names = FolderEntries(out);
        if (c.signal == SIGKILL) {
            // Only hidden partial names are left, for the next run to clear.
            EXPECT_EQ(r.code, 128 + SIGKILL);
            for (const std::string& name : names)
                EXPECT_TRUE(name.starts_with(".") || name.ends_with(".ts")) << name;
            continue;
        }
        EXPECT_EQ(r.code, 1) << r.out;
        ASSERT_EQ(Events(r, "end").size(), 1u) << r.out;
        EXPECT_EQ(Events(r, "end")[0]["cancelled"], true);
        // The converted streams stay; no folder, image or partial file is left of the disc step.
        EXPECT_EQ(names, (std::vector<std::string>{stem + " (1).ts", stem + ".ts"}));
        for (const json& task : Events(r, "task"))
            EXPECT_TRUE(fs::exists(task["output"].get<std::string>()));
    }
}
// A source whose name is nearly as long as a file name may be: the output takes a shortened name
// (whole characters, its extension, " (1)" beside an existing one) rather than the run hanging.
TEST(CommandLine, LongSourceNamesGetShortenedOutputNames)
{
    TempFolder folder;
    std::string stem;
    while (stem.size() < 240)
        stem += "\xC3\xA9";
    const std::string clip = testmedia::SizedClipPath(2, 320, 240);
    const std::string source = folder.path(stem + fs::path(clip).extension().string());
    fs::copy_file(clip, source);
    for (const char* expected : {".mp4", " (1).mp4"}) {
        Result r = RunReelvane(folder, {"--convert", "--profile", "mp4.ini:MP4 Video", "--output", folder.path("out"),
                                        "--json", source});
        ASSERT_EQ(r.code, 0) << r.out;
        std::vector<json> tasks = Events(r, "task");
        ASSERT_EQ(tasks.size(), 1u) << r.out;
        const std::string output = tasks[0]["output"].get<std::string>();
        EXPECT_TRUE(output.ends_with("\xC3\xA9" + std::string(expected))) << output;
        EXPECT_TRUE(testmedia::ProbeFile(output)) << output;
    }
    std::size_t outputs = 0;
    for (const auto& entry : fs::directory_iterator(folder.path("out"))) {
        EXPECT_NE(entry.path().filename().string().front(), '.') << entry.path();
        ++outputs;
    }
    EXPECT_EQ(outputs, 2u);
}

// `kill` and a closed terminal cancel as Ctrl+C does; a run killed outright takes its engine
// with it, and the next run into the folder removes the partial file the killed one left.
TEST(CommandLine, TerminationSignalsCancelAndAKilledRunLeavesNoEngine)
{
    TempFolder folder;
    const std::string slow = WriteSlowProfile(folder);
    const std::string clip = testmedia::SizedClipPath(2, 320, 240);
    const std::string out = folder.path("out");
    for (int signal : {SIGTERM, SIGHUP}) {
        bool sent = false;
        Result r = RunReelvane(folder, {"--convert", "--profile", slow, "--output", out, "--json", clip},
                               [&](const std::string& line, platform::ChildProcess& child) {
                                   if (!sent && line.find("\"progress\"") != std::string::npos)
                                       sent = child.Signal(signal);
                               });
        ASSERT_TRUE(sent) << r.out;
        EXPECT_EQ(r.code, 1) << signal;
        ASSERT_EQ(Events(r, "end").size(), 1u) << signal << r.out;
        EXPECT_EQ(Events(r, "end")[0]["cancelled"], true);
        EXPECT_EQ(Events(r, "task").at(0)["state"], "cancelled");
        EXPECT_TRUE(fs::is_empty(out)) << signal;
    }

    pid_t engine = 0;
    Result killed =
        RunReelvane(folder, {"--convert", "--profile", slow, "--output", out, "--json", clip},
                    [&](const std::string& line, platform::ChildProcess& child) {
                        // Once the engine has its partial file open.
                        if (!engine && line.find("\"progress\"") != std::string::npos && !HiddenFiles(out).empty()) {
                            engine = ChildNamed(child.pid(), "ffmpeg");
                            child.Signal(SIGKILL);
                        }
                    });
    EXPECT_EQ(killed.code, 128 + SIGKILL);
    ASSERT_GT(engine, 0) << killed.out;
    for (int i = 0; i < 100 && !Ended(engine); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_TRUE(Ended(engine));
    if (!Ended(engine))
        ::kill(engine, SIGKILL);
    EXPECT_EQ(HiddenFiles(out).size(), 1u);

    Result next = RunReelvane(folder, {"--convert", "--profile", "mp4.ini:MP4 Video", "--output", out, "--json", clip});
    EXPECT_EQ(next.code, 0) << next.out;
    EXPECT_TRUE(HiddenFiles(out).empty());
}

// Link loops, a pipe and a device as sources or as the output folder end in a clear usage error
// that says what they are, before any program reads them.
TEST(CommandLine, LinkLoopsAndSpecialFilesAreClearErrors)
{
    TempFolder folder;
    fs::create_symlink(folder.path("b"), folder.path("a"));
    fs::create_symlink(folder.path("a"), folder.path("b"));
    ASSERT_EQ(::mkfifo(folder.path("pipe.mkv").c_str(), 0600), 0);
    const std::string clip = testmedia::SizedClipPath(2, 320, 240);
    const std::string out = folder.path("out");
    struct Case {
        std::vector<std::string> arguments;
        std::string says;
    };
    const Case cases[] = {
        {{"--convert", "--output", out, folder.path("a")}, "Too many levels of symbolic links"},
        {{"--convert", "--output", folder.path("a"), clip}, "Too many levels of symbolic links"},
        {{"--convert", "--output", out, folder.path("pipe.mkv")}, "named pipe (FIFO)"},
        {{"--convert", "--output", out, "/dev/zero"}, "is a device"},
        {{"--convert", "--output", out, "--subtitle", folder.path("a"), clip}, "Too many levels of symbolic links"},
    };
    for (const Case& c : cases) {
        auto [code, text] = ErrorOutput(folder, c.arguments);
        EXPECT_EQ(code, 2) << text;
        EXPECT_NE(text.find(c.says), std::string::npos) << text;
    }
    EXPECT_FALSE(fs::exists(out) && !fs::is_empty(out));
}

// A post-process program that is missing or fails is reported for its task and in the exit
// status; what it prints stays out of the JSON lines; a profile file another user owns, or that
// others may write, runs no command at all.
TEST(CommandLine, PostProcessProblemsAreReportedAndKeepTheJsonClean)
{
    TempFolder folder;
    const std::string clip = testmedia::SizedClipPath(2, 320, 240);
    auto profile = [&](const std::string& file, const std::string& command) {
        std::ofstream(folder.path(file)) << "[Fast]\nTargetType=mp4\nPara=-f mp4 -preset ultrafast\ncAudioCodec=aac\n"
                                            "cVideoCodec=h264\nnVideoDefaultBitRate=500\nPostProcess="
                                         << command << "\n";
        return folder.path(file) + ":Fast";
    };
    auto run = [&](const std::string& chosen) {
        return RunReelvane(folder, {"--convert", "--profile", chosen, "--output", folder.path("out"), "--json", clip});
    };

    Result talking = run(profile("echo.ini", "\"echo\" \"post-process says hello\" %out"));
    EXPECT_EQ(talking.code, 0) << talking.out;
    EXPECT_EQ(talking.out.find("hello"), std::string::npos) << talking.out;
    EXPECT_EQ(static_cast<std::size_t>(std::count(talking.out.begin(), talking.out.end(), '\n')), talking.lines.size());

    struct Case {
        std::string chosen;
        std::string says;
    };
    const std::string untrusted = profile("foreign.ini", "\"touch\" %out.ran");
    ASSERT_EQ(::chown(untrusted.substr(0, untrusted.rfind(':')).c_str(), 4242, 4242), 0);
    const std::string writable = profile("writable.ini", "\"touch\" %out.ran");
    ASSERT_EQ(::chmod(writable.substr(0, writable.rfind(':')).c_str(), 0666), 0);
    const Case cases[] = {
        {profile("false.ini", "false"), "ended with status 1"},
        {profile("missing.ini", "\"/nonexistent/tagger\" %out"), "could not be started"},
        {untrusted, "is not run"},
        {writable, "is not run"},
    };
    for (const Case& c : cases) {
        Result r = run(c.chosen);
        EXPECT_EQ(r.code, 1) << r.out;
        std::vector<json> tasks = Events(r, "task");
        ASSERT_EQ(tasks.size(), 1u) << r.out;
        EXPECT_EQ(tasks[0]["state"], "finished");
        EXPECT_NE(tasks[0].value("message", "").find(c.says), std::string::npos) << r.out;
        EXPECT_EQ(Events(r, "end").at(0)["exitCode"], 1);
        EXPECT_FALSE(fs::exists(tasks[0]["output"].get<std::string>() + ".ran"));
    }
}

// Every file the engine writes is the task's output: a profile word that ffmpeg would take as
// one more output (a plain word, "-"), an option that writes files beside it, or an output type
// that climbs out of the folder fails the task and writes nothing.
TEST(CommandLine, ProfileWordsWriteNothingButTheOutput)
{
    TempFolder folder;
    const std::string clip = testmedia::SizedClipPath(2, 320, 240);
    const std::string out = folder.path("out");
    fs::create_directories(folder.path("elsewhere"));
    auto run = [&](const std::string& type, const std::string& para) {
        std::ofstream(folder.path("words.ini")) << "[Words]\nTargetType=" << type << "\nPara=-f mp4 " << para
                                                << "\ncAudioCodec=aac\ncVideoCodec=h264\nnVideoDefaultBitRate=500\n";
        return RunReelvane(folder, {"--convert", "--profile", folder.path("words.ini") + ":Words", "--output", out,
                                    "--json", clip});
    };
    struct Case {
        std::string type;
        std::string para;
        std::string says;
    };
    const Case cases[] = {
        {"mp4", "-preset ultrafast " + folder.path("elsewhere/extra.mp4"), "would make an output file of its own"},
        {"mp4", "-shortest " + folder.path("elsewhere/extra.mp4"), "would make an output file of its own"},
        {"mp4", "-preset ultrafast -", "would make an output file of its own"},
        {"mp4", "-passlogfile " + folder.path("elsewhere/log"), "would write files beside the output"},
        {"mp3/../../elsewhere/x", "-preset ultrafast", "is not a plain file extension"},
    };
    for (const Case& c : cases) {
        Result r = run(c.type, c.para);
        EXPECT_EQ(r.code, 1) << c.para << "\n" << r.out;
        std::vector<json> tasks = Events(r, "task");
        ASSERT_EQ(tasks.size(), 1u) << r.out;
        EXPECT_EQ(tasks[0]["state"], "failed");
        EXPECT_NE(tasks[0].value("message", "").find(c.says), std::string::npos) << r.out;
        EXPECT_EQ(static_cast<std::size_t>(std::count(r.out.begin(), r.out.end(), '\n')), r.lines.size()) << r.out;
        EXPECT_TRUE(fs::is_empty(folder.path("elsewhere"))) << c.para;
        EXPECT_TRUE(!fs::exists(out) || fs::is_empty(out)) << c.para;
    }
    // The value of an option ffmpeg knows and the translation does not stays a value.
    Result kept = run("mp4", "-preset ultrafast -metadata title=kept");
    ASSERT_EQ(kept.code, 0) << kept.out;
    EXPECT_EQ(Events(kept, "task").at(0)["state"], "finished");
}

// A file name whose bytes are not UTF-8 reads back exactly from the JSON lines: its hexadecimal
// bytes come beside the text with its U+FFFD.
TEST(CommandLine, JsonPathsKeepBytesThatAreNotUtf8)
{
    TempFolder folder;
    const std::string clip = testmedia::SizedClipPath(2, 320, 240);
    const std::string source = folder.path("clip-\xFF\xFE" + fs::path(clip).extension().string());
    fs::copy_file(clip, source);
    Result r = RunReelvane(folder, {"--convert", "--profile", "mp4.ini:MP4 Video", "--output", folder.path("out"),
                                    "--json", source});
    ASSERT_EQ(r.code, 0) << r.out;
    auto bytes = [](const json& event, const std::string& key) {
        const std::string hex = event.value(key + "Bytes", "");
        std::string decoded;
        for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
            decoded += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
        return decoded;
    };
    const json task = Events(r, "task").at(0);
    EXPECT_EQ(bytes(task, "source"), source) << task;
    const std::string output = bytes(task, "output");
    EXPECT_EQ(output, folder.path("out/clip-\xFF\xFE.mp4")) << task;
    EXPECT_TRUE(fs::is_regular_file(output));
    for (const json& progress : Events(r, "progress"))
        EXPECT_EQ(bytes(progress, "output"), output);
    EXPECT_FALSE(Events(r, "end").at(0).contains("discBytes"));
}

// One trim for every source: the output holds the range, starting at the source's frame there.
TEST(CommandLine, StartAndEndTrimEverySource)
{
    TempFolder folder;
    const std::string clip = testmedia::SizedClipPath(6, 320, 240);
    Result r = RunReelvane(folder, {"--convert", "--profile", "mp4.ini:MP4 Video", "--output", folder.path("out"),
                                    "--json", "--start", "00:00:02.000", "--end", "5", clip});
    ASSERT_EQ(r.code, 0) << r.out;
    const std::string output = folder.path("out/sized_6s_320x240.mp4");
    auto facts = testmedia::ProbeFile(output);
    ASSERT_TRUE(facts) << r.out;
    EXPECT_NEAR(facts->duration, 3.0, 0.1);
    EXPECT_GE(testmedia::FirstFrameSimilarity(output, clip, 2.0), 0.9);

    for (const auto& [arguments, named] : std::vector<std::pair<std::vector<std::string>, std::string>>{
             {{"--start", "1:75"}, "--start takes a time"},
             {{"--end"}, "--end takes a time"},
             {{"--start", "3", "--end", "00:00:01.500"}, "--end 00:00:01.500 is not after --start 00:00:03.000"},
             {{"--end", "9"}, "--end 00:00:09.000 is beyond the length of " + clip},
             {{"--start", "7"}, "--start 00:00:07.000 is not before the end of " + clip},
             {{"--merge", "--end", "4", clip}, "cannot be used with --merge"}}) {
        std::vector<std::string> words = {"--convert", "--output", folder.path("refused")};
        words.insert(words.end(), arguments.begin(), arguments.end());
        if (arguments.size() > 1)
            words.push_back(clip);
        auto [code, text] = ErrorOutput(folder, words);
        EXPECT_EQ(code, 2) << text;
        EXPECT_NE(text.find(named), std::string::npos) << text;
    }
    EXPECT_FALSE(fs::exists(folder.path("refused")) && !fs::is_empty(folder.path("refused")));
}
