#pragma once
// printf formats that come from data (language packs) are used only when their conversions match
// the arguments that will be passed.

#include <string>
#include <string_view>

namespace reelvane {

// True when `format` holds exactly the conversions of `letters`, in order ("sdf" for %s %d %f),
// with any flags, width and precision, and no other conversion than "%%".
bool FormatTakes(std::string_view format, std::string_view letters);

// `candidate` when it takes `letters`, else `fallback`.
std::string CheckedFormat(const std::string& candidate, std::string_view letters, const std::string& fallback);

} // namespace reelvane
