#pragma once
#include <string>

namespace platform {

// One line on standard error when REELVANE_DEBUG is set; nothing otherwise.
void DebugOutput(const std::string& line);

} // namespace platform
