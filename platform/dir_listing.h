#pragma once
#include <string>
#include <vector>

namespace platform {

// Names (not paths) of the regular files in `folder` whose name matches `pattern` ("*" and "?",
// case-insensitive as on the original platform), sorted by name in byte order. A missing folder
// gives an empty list.
std::vector<std::string> ListFiles(const std::string& folder, const std::string& pattern);

// Case-insensitive wildcard match of a whole name.
bool MatchesPattern(const std::string& name, const std::string& pattern);

} // namespace platform
