#pragma once
// Escaping for FFmpeg filter graphs: a value inside a filter's options, and a filter's whole
// argument text inside a graph. A path escaped with both keeps every character it holds.

#include <string>
#include <string_view>

namespace vexen {

std::string EscapeFilterOptionValue(std::string_view value);
std::string EscapeFilterArguments(std::string_view arguments);

// "subtitles=filename=..." for one subtitle file, ready for a filter chain; a style override text
// ("FontName=...,FontSize=...") is drawn over the file's own styles.
std::string SubtitlesFilter(std::string_view path, std::string_view forceStyle = {});

} // namespace vexen
