#pragma once
// "--start TIME" and "--end TIME": one trim for every source of a command-line run.

#include "reelvane/tasks/conversion_task.h"

#include <cstdint>
#include <optional>
#include <string>

namespace reelvane {

struct TrimArguments {
    std::optional<int64_t> start; // microseconds from each source's start
    std::optional<int64_t> end;
};

// Reads the value of `option` ("--start" or "--end") into `arguments`; the problem when it is
// no time.
std::optional<std::string> ReadTrimArgument(const std::string& option, const char* value, TrimArguments& arguments);

// Trims the task as asked; the problem, naming the option, when the source cannot take it.
std::optional<std::string> ApplyTrimArguments(const TrimArguments& arguments, ConversionTask& task);

} // namespace reelvane
