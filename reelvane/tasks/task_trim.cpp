#include "reelvane/tasks/task_trim.h"

#include "reelvane/conversion/run_status.h"

#include <cstdio>
#include <vector>

namespace reelvane {
namespace {

// Digits only, at least one; the value, or nothing.
std::optional<int64_t> Digits(const std::string& text, std::size_t most)
{
    if (text.empty() || text.size() > most)
        return std::nullopt;
    int64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return value;
}

} // namespace

std::optional<int64_t> ParseTrimTime(const std::string& text)
{
    std::string whole = text;
    int64_t fraction = 0;
    if (std::size_t dot = text.find('.'); dot != std::string::npos) {
        std::string digits = text.substr(dot + 1);
        auto value = Digits(digits, 6);
        if (!value)
            return std::nullopt;
        fraction = *value;
        for (std::size_t n = digits.size(); n < 6; ++n)
            fraction *= 10;
        whole = text.substr(0, dot);
    }
    std::vector<int64_t> parts;
    std::size_t from = 0;
    for (;;) {
        std::size_t colon = whole.find(':', from);
        auto value = Digits(whole.substr(from, colon == std::string::npos ? std::string::npos : colon - from), 9);
        if (!value)
            return std::nullopt;
        parts.push_back(*value);
        if (colon == std::string::npos)
            break;
        from = colon + 1;
    }
    if (parts.size() > 3)
        return std::nullopt;
    // Minutes and seconds after a larger unit stay below 60.
    for (std::size_t i = 1; i < parts.size(); ++i)
        if (parts[i] >= 60)
            return std::nullopt;
    int64_t seconds = 0;
    for (int64_t part : parts)
        seconds = seconds * 60 + part;
    return seconds * 1'000'000 + fraction;
}

std::string FormatTrimTime(int64_t microseconds)
{
    const int64_t milliseconds = (microseconds < 0 ? 0 : microseconds) / 1000;
    char text[40];
    std::snprintf(text, sizeof text, "%02lld:%02lld:%02lld.%03lld", static_cast<long long>(milliseconds / 3'600'000),
                  static_cast<long long>(milliseconds / 60'000 % 60), static_cast<long long>(milliseconds / 1000 % 60),
                  static_cast<long long>(milliseconds % 1000));
    return text;
}

int64_t SourceLength(const ConversionTask& task)
{
    return task.probed.mediaInfo.duration;
}

TrimRange TaskTrim(const ConversionTask& task)
{
    const int64_t fileStart = task.probed.mediaInfo.startTime;
    TrimRange range{0, SourceLength(task)};
    if (!task.fromStart)
        range.start = task.trimStart - fileStart;
    if (!task.toEnd)
        range.end = task.trimEnd - fileStart;
    return range;
}

std::optional<TrimFault> CheckTrim(const ConversionTask& task, const TrimRange& range)
{
    if (range.start < 0 || range.end <= range.start)
        return TrimFault::EndNotAfterStart;
    const int64_t length = SourceLength(task);
    if (length > 0 && range.end > length)
        return TrimFault::EndBeyondLength;
    return std::nullopt;
}

double TrimmedSeconds(const ConversionTask& task)
{
    return task.fromStart && task.toEnd ? task.probed.duration : ConvertedSeconds(task);
}

void ApplyTrim(ConversionTask& task, const TrimRange& range)
{
    // The builder counts the times on the file's own clock, which may not begin at 0.
    const int64_t fileStart = task.probed.mediaInfo.startTime;
    const int64_t length = SourceLength(task);
    task.fromStart = range.start <= 0 ? 1 : 0;
    task.trimStart = task.fromStart ? 0 : fileStart + range.start;
    task.toEnd = length > 0 && range.end >= length ? 1 : 0;
    task.trimEnd = task.toEnd ? 0 : fileStart + range.end;
}

} // namespace reelvane
