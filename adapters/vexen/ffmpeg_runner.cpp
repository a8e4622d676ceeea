#include "adapters/vexen/ffmpeg_runner.h"

#include "platform/process_runner.h"

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <deque>
#include <poll.h>
#include <thread>
#include <unistd.h>

namespace vexen {
namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kReportInterval = std::chrono::milliseconds(250);
constexpr auto kGracefulQuitWait = std::chrono::milliseconds(500);
constexpr std::size_t kErrorLinesKept = 6;

// Splits a pipe's bytes into lines.
class LineReader {
public:
    template <typename OnLine>
    void Feed(const char* data, std::size_t size, OnLine onLine)
    {
        pending_.append(data, size);
        std::size_t start = 0;
        for (std::size_t end; (end = pending_.find_first_of("\r\n", start)) != std::string::npos; start = end + 1) {
            if (end > start)
                onLine(pending_.substr(start, end - start));
        }
        pending_.erase(0, start);
    }
    template <typename OnLine>
    void Finish(OnLine onLine)
    {
        if (!pending_.empty())
            onLine(pending_);
        pending_.clear();
    }

private:
    std::string pending_;
};

void Stop(platform::ChildProcess& child)
{
    child.Signal(SIGINT); // ffmpeg then closes its output properly
    auto deadline = Clock::now() + kGracefulQuitWait;
    while (Clock::now() < deadline) {
        if (child.TryWait())
            return;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    child.Signal(SIGKILL);
    child.Wait();
}

} // namespace

std::string FfmpegProgramName()
{
    const char* chosen = std::getenv("REELVANE_FFMPEG");
    return chosen && *chosen ? chosen : "ffmpeg";
}

RunReport RunFfmpeg(const std::string& program, const std::vector<std::string>& arguments,
                    const std::function<int(double)>& progress)
{
    // -n: an existing file is never overwritten, even when a profile asks for -y.
    std::vector<std::string> args = {"-hide_banner", "-nostdin",  "-n",     "-nostats",      "-loglevel",
                                     "error",        "-progress", "pipe:1", "-stats_period", "0.25"};
    args.insert(args.end(), arguments.begin(), arguments.end());

    platform::ChildProcess child;
    platform::ProcessOptions options;
    options.pipeStdout = true;
    options.pipeStderr = true;
    if (!child.Start(program, args, options))
        return {RunOutcome::Failed,
                "The conversion program \"" + program + "\" could not be started: " + child.error()};

    double seconds = 0.0;
    std::deque<std::string> errorLines;
    LineReader progressLines, errorText;
    auto onProgressLine = [&](const std::string& line) {
        constexpr std::string_view kKey = "out_time_us=";
        if (std::string_view(line).starts_with(kKey)) {
            char* end = nullptr;
            long long us = std::strtoll(line.c_str() + kKey.size(), &end, 10);
            if (end != line.c_str() + kKey.size() && us >= 0)
                seconds = us / 1e6;
        }
    };
    auto onErrorLine = [&](const std::string& line) {
        errorLines.push_back(line);
        if (errorLines.size() > kErrorLinesKept)
            errorLines.pop_front();
    };

    pollfd fds[2] = {{child.stdoutFd(), POLLIN, 0}, {child.stderrFd(), POLLIN, 0}};
    auto lastReport = Clock::now();
    while (fds[0].fd >= 0 || fds[1].fd >= 0) {
        ::poll(fds, 2, static_cast<int>(kReportInterval.count() / 2));
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || !(fds[i].revents & (POLLIN | POLLHUP | POLLERR)))
                continue;
            char buffer[4096];
            ssize_t n = ::read(fds[i].fd, buffer, sizeof buffer);
            if (n <= 0) {
                fds[i].fd = -1; // the child closed it; the ChildProcess owns the descriptor
                continue;
            }
            if (i == 0)
                progressLines.Feed(buffer, static_cast<std::size_t>(n), onProgressLine);
            else
                errorText.Feed(buffer, static_cast<std::size_t>(n), onErrorLine);
        }
        if (Clock::now() - lastReport >= kReportInterval) {
            lastReport = Clock::now();
            if (progress(seconds) == -1) {
                Stop(child);
                return {RunOutcome::Stopped, {}};
            }
        }
    }
    progressLines.Finish(onProgressLine);
    errorText.Finish(onErrorLine);
    int status = child.Wait();
    if (status == 0) {
        progress(seconds);
        return {RunOutcome::Finished, {}};
    }
    std::string message = "The conversion failed (ffmpeg ended with status " + std::to_string(status) + ").";
    for (const std::string& line : errorLines)
        message += "\n" + line;
    return {RunOutcome::Failed, message};
}

} // namespace vexen
