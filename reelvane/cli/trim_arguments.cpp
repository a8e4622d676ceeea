#include "reelvane/cli/trim_arguments.h"

#include "reelvane/tasks/task_trim.h"

namespace reelvane {

std::optional<std::string> ReadTrimArgument(const std::string& option, const char* value, TrimArguments& arguments)
{
    auto time = value ? ParseTrimTime(value) : std::nullopt;
    if (!time)
        return option + " takes a time as hh:mm:ss.mmm, mm:ss.mmm or seconds (such as 00:01:30.500 or 90.5).";
    (option == "--start" ? arguments.start : arguments.end) = *time;
    return std::nullopt;
}

std::optional<std::string> ApplyTrimArguments(const TrimArguments& arguments, ConversionTask& task)
{
    if (!arguments.start && !arguments.end)
        return std::nullopt;
    const int64_t length = SourceLength(task);
    const TrimRange range{arguments.start.value_or(0), arguments.end.value_or(length)};
    const std::string lengthText = " (" + FormatTrimTime(length) + ")";
    if (auto fault = CheckTrim(task, range)) {
        if (*fault == TrimFault::EndBeyondLength)
            return "--end " + FormatTrimTime(range.end) + " is beyond the length of " + task.sourcePath + lengthText +
                   ".";
        if (!arguments.end)
            return "--start " + FormatTrimTime(range.start) + " is not before the end of " + task.sourcePath +
                   lengthText + ".";
        return "--end " + FormatTrimTime(range.end) + " is not after --start " + FormatTrimTime(range.start) + ".";
    }
    ApplyTrim(task, range);
    return std::nullopt;
}

} // namespace reelvane
