#pragma once
// printf formats that come from data (language packs) are used only when their conversions match
// the arguments that will be passed.

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace reelvane {

// True when `format` holds exactly the conversions of `letters`, in order ("sdf" for %s %d %f),
// with any flags, width and precision, and no other conversion than "%%".
bool FormatTakes(std::string_view format, std::string_view letters);

// `candidate` when it takes `letters`, else `fallback`.
std::string CheckedFormat(const std::string& candidate, std::string_view letters, const std::string& fallback);

// `text` with its "%s" and "%d" replaced by `values` in order, as plain text: a pack's text can
// carry fewer or other conversions without harm.
std::string FillText(std::string text, const std::vector<std::string>& values);

// printf into a string of whatever length the values need.
template <typename... Values>
std::string FormatText(const char* format, Values... values)
{
    const int length = std::snprintf(nullptr, 0, format, values...);
    if (length <= 0)
        return {};
    std::string text(static_cast<std::size_t>(length), '\0');
    std::snprintf(text.data(), text.size() + 1, format, values...);
    return text;
}

} // namespace reelvane
