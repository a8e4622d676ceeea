#include "reelvane/tasks/split_choices.h"

#include "reelvane/conversion/checked_format.h"
#include "reelvane/frame/language_table.h"
#include "reelvane/tasks/task_rules.h"

#include <filesystem>

namespace reelvane {

SplitChoices SplitChoicesFor(const std::string& profilePath)
{
    const std::string name = std::filesystem::path(profilePath).stem().string();
    if (name == "blu-ray_h264" || name == "blu-ray_mpeg2")
        return {{"BD-25 (25GB)", "BD-50 (50GB)", "DVD-5 (4.7GB)", "DVD-9 (8.5GB)"}, 0};
    if (name == "avchd_h264" || name == "avchd_mpeg2")
        return {{"DVD-5 (4.7GB)", "DVD-9 (8.5GB)", "BD-25 (25GB)", "BD-50 (50GB)"}, 0};
    if (name == "ntscdvd" || name == "paldvd")
        return {{"DVD-5 (4.7GB)", "DVD-9 (8.5GB)"}, 0};
    return {{"DVD-5 (4.7GB)", "DVD-9 (8.5GB)", "BD-25 (25GB)", "BD-50 (50GB)", kCustomSplit, kNoSplit}, 5};
}

double EstimatedTotalMegabytes(const TaskList& tasks)
{
    double total = 0;
    for (int i = 0; i < tasks.Count(); ++i)
        total += EstimatedSizeMegabytes(*tasks.Get(i));
    return total;
}

IdleStatus IdleStatusFor(const TaskList& tasks, const std::string& splitChoice, int customSplitMegabytes)
{
    IdleStatus status;
    if (tasks.Count() == 0) {
        status.text = LookupText("MAIN_DLG", "strProgressInfoTooltips", "Please Add File(s)");
        return status;
    }
    double seconds = 0;
    for (int i = 0; i < tasks.Count(); ++i)
        seconds += tasks.Get(i)->probed.duration;
    const double total = EstimatedTotalMegabytes(tasks);

    std::string media = SplitMediumText(kNoSplit);
    // The bar shows the medium's share the tasks fill.
    if (const int64_t megabytes = SplitMediumMegabytes(splitChoice); megabytes > 0) {
        status.barPercent = static_cast<int>(total * 100 / static_cast<double>(megabytes));
        media = SplitMediumText(splitChoice);
    }
    if (splitChoice == kCustomSplit) {
        const std::string builtIn = "Split size: %s MB";
        const std::string pattern =
            CheckedFormat(LookupText("WINDOW_INFO", "strSplitSizeStatusInfo", builtIn), "s", builtIn);
        media = FormatText(pattern.c_str(), std::to_string(customSplitMegabytes).c_str());
    }

    const auto tenths = static_cast<long long>(seconds * 10);
    status.text =
        LookupText("MAIN_DLG", "strTotalInfo", "Total") + FormatText(": %d | ", tasks.Count()) +
        LookupText("MAIN_DLG", "strLengthInfo", "Length") +
        FormatText(": %02d:%02d:%02d.%01d | ", static_cast<int>(tenths / 36000), static_cast<int>(tenths / 600 % 60),
                   static_cast<int>(tenths / 10 % 60), static_cast<int>(tenths % 10)) +
        LookupText("MAIN_DLG", "strTotalSizeInfo", "Total Size") + FormatText(": %0.2f MB | ", total) +
        LookupText("MAIN_DLG", "strMediaType", "") + media;
    return status;
}

} // namespace reelvane
