// The idet scan for sources whose container does not say whether they are interlaced.

#include "adapters/vexen/ffmpeg_runner.h"
#include "adapters/vexen/vexen.h"

#include "platform/process_runner.h"

#include <cstdio>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Enough frames for idet's multi-frame verdict to settle, few enough to stay a short wait.
constexpr const char* kScanFrames = "60";
// A verdict needs a clear majority of the frames.
constexpr double kMajority = 0.6;

} // namespace

extern "C" int32_t ScanFieldOrder(const char* path, int32_t streamIndex)
{
    struct stat status;
    if (!path || streamIndex < 0 || ::stat(path, &status) != 0 || !S_ISREG(status.st_mode))
        return 0;
    try {
        auto program = platform::FindProgram(vexen::FfmpegProgramName());
        if (!program)
            return 0;
        platform::ChildProcess child;
        platform::ProcessOptions options;
        options.pipeStderr = true;
        // "file:" keeps a name that looks like a protocol or an option a plain file.
        if (!child.Start(*program,
                         {"-hide_banner", "-nostdin", "-nostats", "-i", std::string("file:") + path, "-map",
                          "0:" + std::to_string(streamIndex), "-frames:v", kScanFrames, "-vf", "idet", "-an", "-sn",
                          "-f", "null", "-"},
                         options))
            return 0;
        std::string log;
        char buffer[4096];
        for (ssize_t n; (n = ::read(child.stderrFd(), buffer, sizeof buffer)) > 0;)
            log.append(buffer, static_cast<std::size_t>(n));
        if (child.Wait() != 0)
            return 0;
        std::size_t at = log.rfind("Multi frame detection:");
        int top = 0, bottom = 0, progressive = 0, undetermined = 0;
        if (at == std::string::npos ||
            std::sscanf(log.c_str() + at, "Multi frame detection: TFF: %d BFF: %d Progressive: %d Undetermined: %d",
                        &top, &bottom, &progressive, &undetermined) != 4)
            return 0;
        double frames = top + bottom + progressive + undetermined;
        if (frames <= 0)
            return 0;
        if (progressive >= kMajority * frames)
            return 1;
        if (top >= kMajority * frames)
            return 2;
        if (bottom >= kMajority * frames)
            return 3;
        return 0;
    } catch (...) { // nothing may cross the C interface
        return 0;
    }
}
