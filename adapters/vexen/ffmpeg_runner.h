#pragma once
// Runs the ffmpeg program as a child, follows its "-progress" output and stops it on request.

#include <functional>
#include <string>
#include <vector>

namespace vexen {

enum class RunOutcome { Finished, Stopped, Failed };

struct RunReport {
    RunOutcome outcome = RunOutcome::Failed;
    std::string message; // for a failure: what went wrong, with ffmpeg's own last error lines
};

// The ffmpeg program to run: REELVANE_FFMPEG when set, else "ffmpeg" on PATH.
std::string FfmpegProgramName();

// `progress` gets the seconds written so far, at least every quarter second while the child
// runs; answering -1 stops the child (a graceful quit, then termination) within a second.
// `arguments` exclude the program name; the progress options are added here.
RunReport RunFfmpeg(const std::string& program, const std::vector<std::string>& arguments,
                    const std::function<int(double)>& progress);

} // namespace vexen
