#include "tests/catalogue/disc_checks.h"

#include "platform/process_runner.h"
#include "tests/bluvat/stream_checks.h"
#include "tests/bluvat/test_media.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace fs = std::filesystem;

namespace catalogue {
namespace {

// Runs a program, keeping what it says on standard error; returns the exit status.
int RunKeepingErrors(const std::string& program, const std::vector<std::string>& args, std::string& errors)
{
    platform::ChildProcess child;
    platform::ProcessOptions options;
    options.pipeStderr = true;
    if (!child.Start(program, args, options)) {
        errors = child.error();
        return -1;
    }
    char buffer[4096];
    for (ssize_t n; (n = ::read(child.stderrFd(), buffer, sizeof buffer)) > 0;)
        errors.append(buffer, static_cast<std::size_t>(n));
    return child.Wait();
}

} // namespace

std::vector<std::string> BluRayProblems(const std::string& stream, const std::string& folder, double seconds)
{
    std::vector<std::string> problems;
    bluvat_test::JobResult job = bluvat_test::runJob(folder, {{stream, {}}});
    if (job.result != 0)
        problems.push_back("bluvat returned " + std::to_string(job.result));
    for (const std::string& error : job.errors())
        problems.push_back("bluvat: " + error);
    bluvat_test::DiscFacts disc = bluvat_test::readDisc(folder);
    if (!disc.opened || disc.titles.size() != 1) {
        problems.push_back("libbluray finds no single title in " + folder);
        return problems;
    }
    const bluvat_test::DiscTitle& title = disc.titles[0];
    if (std::fabs(title.seconds - seconds) > 0.5)
        problems.push_back("the title lasts " + std::to_string(title.seconds) + " s");
    if (title.videoPids.size() != 1 || title.audioPids.size() != 1)
        problems.push_back("the title has " + std::to_string(title.videoPids.size()) + " video and " +
                           std::to_string(title.audioPids.size()) + " audio streams");
    // libbluray does not know the maker's extension entry of index.bdmv and says so on every open.
    for (const std::string& message : disc.criticalMessages)
        if (message.find("unknown extension 4096.256") == std::string::npos)
            problems.push_back("libbluray: " + message);
    return problems;
}

std::vector<std::string> DvdProblems(const std::string& programStream, const std::string& folder, bool pal)
{
    std::vector<std::string> problems;
    fs::create_directories(folder);
    const std::string control = folder + "/dvd.xml";
    const char* format = pal ? "pal" : "ntsc";
    std::ofstream(control) << "<dvdauthor dest=\"" << folder << "/disc\"><vmgm><menus><video format=\"" << format
                           << "\"/></menus></vmgm><titleset><titles><video format=\"" << format
                           << "\"/><pgc><vob file=\"" << programStream
                           << "\"/></pgc></titles></titleset></dvdauthor>\n";
    std::string errors;
    int status = RunKeepingErrors("dvdauthor", {"-x", control}, errors);
    std::error_code error;
    auto titleSize = fs::file_size(folder + "/disc/VIDEO_TS/VTS_01_1.VOB", error);
    if (status != 0 || error || titleSize == 0 || !fs::exists(folder + "/disc/VIDEO_TS/VIDEO_TS.IFO"))
        problems.push_back("dvdauthor refused the stream (status " + std::to_string(status) + "):\n" + errors);
    return problems;
}

VideoTiming ReadVideoTiming(const std::string& path)
{
    VideoTiming timing;
    // Decoded pictures: program streams leave the time out of some packets.
    auto text =
        platform::RunAndCapture("ffprobe", {"-v", "error", "-select_streams", "v:0", "-show_entries",
                                            "frame=key_frame,best_effort_timestamp_time", "-of", "compact=p=0", path});
    if (!text)
        return timing;
    constexpr std::string_view kTime = "best_effort_timestamp_time=";
    std::vector<double> times, keys;
    std::istringstream lines(*text);
    for (std::string line; std::getline(lines, line);) {
        std::size_t at = line.find(kTime);
        if (at == std::string::npos || line.compare(at + kTime.size(), 3, "N/A") == 0)
            continue;
        times.push_back(std::atof(line.c_str() + at + kTime.size()));
        if (line.starts_with("key_frame=1"))
            keys.push_back(times.back());
    }
    std::sort(times.begin(), times.end());
    for (std::size_t i = 1; i < times.size(); ++i) {
        double step = times[i] - times[i - 1];
        timing.shortestStep = timing.shortestStep < 0 ? step : std::min(timing.shortestStep, step);
        timing.longestStep = std::max(timing.longestStep, step);
    }
    std::sort(keys.begin(), keys.end());
    for (std::size_t i = 0; i < keys.size(); ++i)
        timing.longestKeyFrameGap = std::max(timing.longestKeyFrameGap, i ? keys[i] - keys[i - 1] : 0.0);
    return timing;
}

} // namespace catalogue
