#pragma once
// The library's process-wide callbacks; every message of the readers and writers goes through here.

#include "bluvat/bluvat.h"

#include <cstdint>
#include <string>

namespace bluvat {

void SetCallback(AuthorCallback callback);
void SetStopCallback(AuthorStopCallback stop);

// Whether the caller asked the job to stop; never without a stop callback.
bool StopRequested();

// (kind, value, text) to the caller's callback; dropped when none is set.
void Report(int32_t kind, int32_t value, const std::string& text);

// An input or output error: (1, 0, text).
inline void ReportError(const std::string& text)
{
    Report(1, 0, text);
}

} // namespace bluvat
