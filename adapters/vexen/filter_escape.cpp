#include "adapters/vexen/filter_escape.h"

#include <cctype>

namespace vexen {
namespace {

// Whitespace is escaped too: the parsers trim unescaped blanks at either end of a token.
std::string EscapeWith(std::string_view text, std::string_view special)
{
    std::string out;
    out.reserve(text.size() * 2);
    for (char c : text) {
        if (special.find(c) != std::string_view::npos || std::isspace(static_cast<unsigned char>(c)))
            out += '\\';
        out += c;
    }
    return out;
}

} // namespace

std::string EscapeFilterOptionValue(std::string_view value)
{
    return EscapeWith(value, "\\':");
}

std::string EscapeFilterArguments(std::string_view arguments)
{
    return EscapeWith(arguments, "\\'[],;");
}

std::string SubtitlesFilter(std::string_view path, std::string_view forceStyle)
{
    std::string options = "filename=" + EscapeFilterOptionValue(path);
    if (!forceStyle.empty())
        options += ":force_style=" + EscapeFilterOptionValue(forceStyle);
    return "subtitles=" + EscapeFilterArguments(options);
}

} // namespace vexen
