// The command line as a script uses it: the real program, real clips, exit codes and JSON lines.
#include "platform/process_runner.h"
#include "tests/media/media_facts.h"
#include "tests/media/test_media.h"
#include "tests/platform/temp_folder.h"

#include <csignal>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <unistd.h>

namespace fs = std::filesystem;
using nlohmann::json;

namespace {

struct Result {
    int code = -1;
    std::string out;
    std::vector<json> lines; // the JSON objects of the output
};

// Runs reelvane with its settings in `folder`; `onLine` sees each output line as it comes.
Result RunReelvane(const TempFolder& folder, const std::vector<std::string>& arguments,
                   const std::function<void(const std::string&, platform::ChildProcess&)>& onLine = {})
{
    setenv("XDG_CONFIG_HOME", folder.path("config").c_str(), 1);
    platform::ChildProcess child;
    platform::ProcessOptions options;
    options.pipeStdout = true;
    Result result;
    if (!child.Start(REELVANE_PROGRAM, arguments, options))
        return result;
    std::string pending;
    char buffer[4096];
    for (ssize_t n; (n = ::read(child.stdoutFd(), buffer, sizeof buffer)) > 0;) {
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

TEST(CommandLine, SecondAudioTrackOnlyWhereTheOutputHoldsIt)
{
    TempFolder folder;
    const std::string clip = testmedia::ClipPath(testmedia::Clip::SurroundTracks);
    const std::string out = folder.path("out");
    Result refused =
        RunReelvane(folder, {"--convert", "--profile", "mp3.ini:MP3 Audio", "--audio", "1,2", "--output", out, clip});
    EXPECT_EQ(refused.code, 2);
    EXPECT_FALSE(fs::exists(out) && !fs::is_empty(out)); // refused before anything ran

    Result kept = RunReelvane(folder, {"--convert", "--profile", "mp4.ini:MP4 Video", "--audio", "1,2", "--output", out,
                                       "--json", clip});
    ASSERT_EQ(kept.code, 0) << kept.out;
    auto facts = testmedia::ProbeFile(Events(kept, "task").at(0)["output"].get<std::string>());
    ASSERT_TRUE(facts);
    ASSERT_EQ(facts->Count("audio"), 2);
    EXPECT_EQ(facts->streams[1].codec, "aac");
    EXPECT_EQ(facts->streams[2].codec, "aac");
}

TEST(CommandLine, InterruptStopsTheRunCleanly)
{
    TempFolder folder;
    // A profile that reads at the clip's own pace, so that the run is still going when interrupted.
    std::ofstream(folder.path("slow.ini")) << "[Slow]\nTargetType=mp4\nBeforePara=-re\nPara=-f mp4 -preset ultrafast\n"
                                              "cAudioCodec=aac\ncVideoCodec=h264\nnVideoDefaultBitRate=500\n";
    const std::string clip = testmedia::SizedClipPath(2, 320, 240);
    bool sent = false;
    Result r = RunReelvane(folder,
                           {"--convert", "--profile", folder.path("slow.ini") + ":Slow", "--output", folder.path("out"),
                            "--json", clip, clip},
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
