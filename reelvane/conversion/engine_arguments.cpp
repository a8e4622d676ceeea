#include "reelvane/conversion/engine_arguments.h"

#include <algorithm>
#include <cstdio>

namespace reelvane {

std::size_t EngineArguments::Add(std::string_view word)
{
    entries_.emplace_back(word.substr(0, kEngineEntryLimit));
    return entries_.size();
}

std::size_t EngineArguments::AddPath(std::string_view entry)
{
    entries_.emplace_back(entry.substr(0, kEnginePathEntryLimit));
    return entries_.size();
}

void EngineArguments::SetPath(std::size_t index, std::string_view entry)
{
    entries_.at(index) = std::string(entry.substr(0, kEnginePathEntryLimit));
}

std::vector<char*> EngineArguments::Argv()
{
    std::vector<char*> argv;
    for (std::string& entry : entries_)
        argv.push_back(entry.data());
    return argv;
}

std::string EngineArguments::LogLine() const
{
    std::string line;
    for (const std::string& entry : entries_)
        line += entry + " ";
    return line;
}

std::string FormatEngineTime(int64_t microseconds)
{
    if (microseconds < 0)
        microseconds = 0;
    int64_t seconds = microseconds / 1000000;
    int tenths = static_cast<int>((microseconds % 1000000) * 10 / 1000000);
    char text[48];
    std::snprintf(text, sizeof text, "%02lld:%02d:%02d.%d", static_cast<long long>(seconds / 3600),
                  static_cast<int>(seconds / 60 % 60), static_cast<int>(seconds % 60), tenths);
    return text;
}

std::vector<std::string> SplitWords(std::string_view text)
{
    std::vector<std::string> words;
    std::size_t start = 0;
    while (start < text.size()) {
        if (text[start] == ' ') {
            ++start;
            continue;
        }
        std::size_t end = std::min(text.find(' ', start), text.size());
        words.emplace_back(text.substr(start, end - start));
        start = end;
    }
    return words;
}

std::size_t SplitParameterString(std::string_view text, EngineArguments& arguments)
{
    for (const std::string& word : SplitWords(text))
        arguments.Add(word);
    return arguments.size();
}

} // namespace reelvane
