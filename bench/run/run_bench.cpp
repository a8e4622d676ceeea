// A whole run through the command line (probe, run, partial file, rename) against the same
// ffmpeg command run directly; prints the best and median of interleaved rounds.

#include "platform/process_runner.h"
#include "tests/media/test_media.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <sys/resource.h>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;

const std::string kProfile = "mp4.ini:MP4 Video";

double Seconds(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// Processor seconds of the waited-for children so far: unlike wall time, blind to other load.
double ChildCpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

struct Timing {
    double wall = 0;
    double cpu = 0;
};

std::vector<std::string> CommandLine(const std::string& source, const std::string& folder)
{
    return {"--convert", "--profile", kProfile, "--output", folder, source};
}

// The ffmpeg arguments the engine ran, from its debug line, with the output put at `output`.
std::vector<std::string> EngineCommand(const std::string& source, const std::string& folder, const std::string& output)
{
    fs::create_directories(folder);
    setenv("REELVANE_DEBUG", "1", 1);
    platform::ChildProcess child;
    platform::ProcessOptions options;
    options.pipeStderr = true;
    child.Start(REELVANE_PROGRAM, CommandLine(source, folder), options);
    std::string errors;
    char buffer[4096];
    for (ssize_t n; (n = ::read(child.stderrFd(), buffer, sizeof buffer)) > 0;)
        errors.append(buffer, static_cast<std::size_t>(n));
    child.Wait();
    unsetenv("REELVANE_DEBUG");
    std::istringstream lines(errors);
    for (std::string line; std::getline(lines, line);) {
        if (!line.starts_with("vexen: /"))
            continue;
        std::istringstream words(line.substr(7));
        std::vector<std::string> args;
        for (std::string word; words >> word;)
            args.push_back(word);
        args.erase(args.begin()); // the program
        args.back() = output;
        args.insert(args.begin(), {"-hide_banner", "-nostdin", "-nostats", "-loglevel", "error"});
        return args;
    }
    return {};
}

Timing ThroughCommandLine(const std::string& source, const std::string& folder)
{
    fs::remove_all(folder);
    double cpu = ChildCpuSeconds();
    auto start = Clock::now();
    platform::RunAndCapture(REELVANE_PROGRAM, CommandLine(source, folder));
    return {Seconds(start), ChildCpuSeconds() - cpu};
}

Timing Directly(const std::vector<std::string>& args, const std::string& output)
{
    fs::remove(output);
    double cpu = ChildCpuSeconds();
    auto start = Clock::now();
    platform::RunAndWait("ffmpeg", args);
    return {Seconds(start), ChildCpuSeconds() - cpu};
}

struct Summary {
    double best = 0;
    double median = 0;
};

Summary Summarise(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return {values.front(), values[values.size() / 2]};
}

} // namespace

int main(int argc, char** argv)
{
    int rounds = std::max(1, argc > 1 ? std::atoi(argv[1]) : 5);
    const std::string source = testmedia::SizedClipPath(20, 640, 480);
    const fs::path work = fs::temp_directory_path() / "reelvane-bench-run";
    const std::string folder = (work / "cli").string(), output = (work / "direct.mp4").string();
    setenv("XDG_CONFIG_HOME", (work / "config").c_str(), 1);
    std::vector<std::string> direct = EngineCommand(source, (work / "probe").string(), output);
    if (direct.empty()) {
        std::fprintf(stderr, "the engine's command line was not found in the debug output\n");
        return 1;
    }

    std::vector<double> cliWall, cliCpu, ffmpegWall, ffmpegCpu;
    for (int round = 0; round < rounds; ++round) { // interleaved, so both see the same machine load
        Timing d = Directly(direct, output);
        Timing c = ThroughCommandLine(source, folder);
        ffmpegWall.push_back(d.wall), ffmpegCpu.push_back(d.cpu);
        cliWall.push_back(c.wall), cliCpu.push_back(c.cpu);
    }
    fs::remove_all(work);
    std::printf("a run of a 20 s 640x480 clip with %s, %d rounds\n", kProfile.c_str(), rounds);
    auto report = [](const char* what, const std::vector<double>& ffmpeg, const std::vector<double>& cli) {
        Summary f = Summarise(ffmpeg), c = Summarise(cli);
        std::printf("  %s: ffmpeg best %.3f s median %.3f s; reelvane --convert best %.3f s median %.3f s;"
                    " ratio best %.3f median %.3f (aim: at most 1.03)\n",
                    what, f.best, f.median, c.best, c.median, c.best / f.best, c.median / f.median);
    };
    report("wall time     ", ffmpegWall, cliWall);
    report("processor time", ffmpegCpu, cliCpu);
    return 0;
}
