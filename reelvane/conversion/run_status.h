#pragma once
// The texts and checks of a conversion run that need no engine: the progress line, time left,
// the disc-size check and the merge check.

#include "reelvane/tasks/conversion_task.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace reelvane {

// Milliseconds left from the elapsed time and the percentage done; 0 below 1 %.
int64_t TimeLeftMilliseconds(int64_t elapsedMilliseconds, int percent);

// "%02d:%02d:%02d" of a millisecond count.
std::string FormatClock(int64_t milliseconds);

// "Completed: p% | Time Left: hh:mm:ss | " followed by `tail` ("Destination File: name" while
// converting, the library's text in the disc phase).
std::string ProgressLine(int percent, int64_t millisecondsLeft, const std::string& tail);
std::string DestinationTail(const std::string& outputPath);

// The desktop notice at the end of a run: "Conversion finished: %d of %d tasks".
std::string RunFinishedText(int finishedTasks, int allTasks);

// The end of a run in a few words: "3 finished, 1 failed".
std::string RunSummaryText(int finishedTasks, int failedTasks);

// iniPath without folder and extension.
std::string ProfileFileName(const std::string& iniPath);

// The disc-size message when the estimated megabytes exceed the chosen medium, else nothing.
std::optional<std::string> DiscSizeProblem(const std::string& profileFileName, bool sharedProfile,
                                           const std::string& splitChoice, double estimatedMegabytes);

// The merge check's message for tasks that cannot be joined (trimmed ones, or some without the
// video or the sound of others), else nothing.
std::optional<std::string> MergeProblem(const std::vector<ConversionTask>& tasks);

// Seconds a task converts: the whole file, or its trimmed part.
double ConvertedSeconds(const ConversionTask& task);

// True when outputs of this profile count against the disc budget ("avchd", "dvd", "blu-ray",
// "divxavi" in the file name).
bool CountsWrittenKilobytes(const std::string& profileFileName);

} // namespace reelvane
