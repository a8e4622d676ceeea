#pragma once
// A task's trim as the user sees it: start and end counted from the source's start, written
// into the task's flags and times as the argument builder reads them.

#include "reelvane/tasks/conversion_task.h"

#include <cstdint>
#include <optional>
#include <string>

namespace reelvane {

// "hh:mm:ss.mmm", "mm:ss.mmm" or "ss.mmm" (the fraction optional, up to six digits) as
// microseconds; nothing for any other text.
std::optional<int64_t> ParseTrimTime(const std::string& text);
// hh:mm:ss.mmm of microseconds.
std::string FormatTrimTime(int64_t microseconds);

// Microseconds from the source's start; an untrimmed task runs from 0 to its length.
struct TrimRange {
    int64_t start = 0;
    int64_t end = 0;
};

// The source's length as the probe found it, in microseconds.
int64_t SourceLength(const ConversionTask& task);
TrimRange TaskTrim(const ConversionTask& task);

enum class TrimFault { EndNotAfterStart, EndBeyondLength };
// Why `range` cannot be a trim of the task's source: an end at or before the start, or past the
// source's length (a source of unknown length takes any end).
std::optional<TrimFault> CheckTrim(const ConversionTask& task, const TrimRange& range);

// Seconds the task converts, as the list shows them and the estimate counts them.
double TrimmedSeconds(const ConversionTask& task);

// Sets the flags and times; a start of 0 keeps "from the start", an end at the length "to the
// end", so that an untouched range leaves the task as it was.
void ApplyTrim(ConversionTask& task, const TrimRange& range);

} // namespace reelvane
