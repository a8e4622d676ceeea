#include "reelvane/conversion/run_status.h"

#include "reelvane/conversion/checked_format.h"
#include "reelvane/conversion/split_media.h"
#include "reelvane/frame/language_table.h"
#include "reelvane/tasks/task_rules.h"

#include <cstdio>
#include <filesystem>

namespace reelvane {
namespace {

std::string MainText(const char* key, const char* builtin)
{
    return LookupText("MAIN_DLG", key, builtin);
}

bool Contains(const std::string& text, const char* part)
{
    return text.find(part) != std::string::npos;
}

bool IsDiscProfile(const std::string& name, bool sharedProfile)
{
    return Contains(name, "avchd") || Contains(name, "dvd") || Contains(name, "blu-ray") ||
           (Contains(name, "divxavi") && sharedProfile);
}

} // namespace

int64_t TimeLeftMilliseconds(int64_t elapsedMilliseconds, int percent)
{
    if (percent < 1)
        return 0;
    return elapsedMilliseconds / percent * (100 - percent);
}

std::string FormatClock(int64_t milliseconds)
{
    int64_t seconds = milliseconds < 0 ? 0 : milliseconds / 1000;
    char text[48];
    std::snprintf(text, sizeof text, "%02lld:%02d:%02d", static_cast<long long>(seconds / 3600),
                  static_cast<int>(seconds / 60 % 60), static_cast<int>(seconds % 60));
    return text;
}

std::string ProgressLine(int percent, int64_t millisecondsLeft, const std::string& tail)
{
    return MainText("strCompletedInfo", "Completed") + ": " + std::to_string(percent) + "% | " +
           MainText("strTimeLeftInfo", "Time Left") + ": " + FormatClock(millisecondsLeft) + " | " + tail;
}

std::string DestinationTail(const std::string& outputPath)
{
    return MainText("strDestinationFileInfo", "Destination File") + ": " + FileNamePart(outputPath);
}

std::string RunFinishedText(int finishedTasks, int allTasks)
{
    const std::string builtIn = "Conversion finished: %d of %d tasks";
    const std::string pattern = CheckedFormat(LookupText("RUN_INFO", "strRunFinishedInfo", builtIn), "dd", builtIn);
    return FormatText(pattern.c_str(), finishedTasks, allTasks);
}

std::string RunSummaryText(int finishedTasks, int failedTasks)
{
    const std::string builtIn = "%d finished, %d failed";
    const std::string pattern = CheckedFormat(LookupText("RUN_INFO", "strRunSummaryInfo", builtIn), "dd", builtIn);
    return FormatText(pattern.c_str(), finishedTasks, failedTasks);
}

std::string ProfileFileName(const std::string& iniPath)
{
    return std::filesystem::path(iniPath).stem().string();
}

std::optional<std::string> DiscSizeProblem(const std::string& profileFileName, bool sharedProfile,
                                           const std::string& splitChoice, double estimatedMegabytes)
{
    if (!IsDiscProfile(profileFileName, sharedProfile))
        return std::nullopt;
    const int64_t megabytes = SplitMediumMegabytes(splitChoice);
    if (megabytes > 0 && estimatedMegabytes > static_cast<double>(megabytes))
        return LookupText("RUN_INFO", "strMediaTooSmallInfo",
                          "The calculated output file size is larger than selected media size.\n"
                          "You can make some changes in profiles, media type or media file(s). ");
    return std::nullopt;
}

std::optional<std::string> MergeProblem(const std::vector<ConversionTask>& tasks)
{
    auto hasVideo = [](const ConversionTask& t) { return t.probed.mediaInfo.videoIndex >= 0; };
    auto hasAudio = [](const ConversionTask& t) {
        for (const StreamInfo& s : t.probed.streams)
            if (s.kind == VEXEN_KIND_AUDIO)
                return true;
        return false;
    };
    // The merged input is read whole: a trim would be lost without a word.
    for (const ConversionTask& task : tasks)
        if (!task.fromStart || !task.toEnd)
            return LookupText("RUN_INFO", "strMergeTrimInfo",
                              "Trimmed tasks cannot be merged into one file: clear their trims, or convert them one by "
                              "one.");
    bool anyVideo = false, anyAudio = false;
    for (const ConversionTask& task : tasks) {
        anyVideo = anyVideo || hasVideo(task);
        anyAudio = anyAudio || hasAudio(task);
    }
    if (!anyVideo && !anyAudio)
        return LookupText("RUN_INFO", "strNoMediaInfo", "Cannot find any videos or audios");
    for (const ConversionTask& task : tasks) {
        if (anyVideo && !hasVideo(task))
            return LookupText("RUN_INFO", "strNoVideoInfo", "Some items no videos");
        if (anyAudio && !hasAudio(task))
            return LookupText("RUN_INFO", "strNoAudioInfo", "Some items no audios");
    }
    return std::nullopt;
}

double ConvertedSeconds(const ConversionTask& task)
{
    const double fileStart = task.probed.mediaInfo.startTime * 1e-6;
    const double fileDuration = task.probed.mediaInfo.duration * 1e-6;
    if (task.fromStart && task.toEnd)
        return fileDuration;
    if (!task.fromStart && !task.toEnd)
        return (task.trimEnd - task.trimStart) * 1e-6;
    if (task.fromStart)
        return task.trimEnd * 1e-6 - fileStart;
    return fileStart + fileDuration - task.trimStart * 1e-6;
}

bool CountsWrittenKilobytes(const std::string& name)
{
    return Contains(name, "avchd") || Contains(name, "dvd") || Contains(name, "blu-ray") || Contains(name, "divxavi");
}

} // namespace reelvane
