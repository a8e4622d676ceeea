#pragma once
// The argument vector handed to the engine's ffmain: entry 0 is "ffmain"; it grows as needed.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace reelvane {

constexpr std::size_t kEngineEntryLimit = 255;
// Paths are never cut to the word limit: a cut path names another file.
constexpr std::size_t kEnginePathEntryLimit = 511;

class EngineArguments {
public:
    EngineArguments() { Add("ffmain"); }

    // Appends a word, cut to kEngineEntryLimit characters; returns the next free index.
    std::size_t Add(std::string_view word);
    // Appends an entry that carries a path, cut to kEnginePathEntryLimit characters.
    std::size_t AddPath(std::string_view entry);
    // Puts a path in place of entry `index` (the merged output's partial name).
    void SetPath(std::size_t index, std::string_view entry);

    std::size_t size() const { return entries_.size(); }
    const std::vector<std::string>& entries() const { return entries_; }
    const std::string& operator[](std::size_t i) const { return entries_[i]; }

    // Pointers for ffmain; valid until the vector changes.
    std::vector<char*> Argv();
    // Every entry followed by one blank, for the debug output.
    std::string LogLine() const;

private:
    std::vector<std::string> entries_;
};

// "hh:mm:ss.t" of a microsecond count; hours are not wrapped, a negative count reads as 0.
std::string FormatEngineTime(int64_t microseconds);

// The words of `text`: separated by one or more blanks, with no quoting.
std::vector<std::string> SplitWords(std::string_view text);

// Appends the blank-separated words of `text`; returns the next free index.
std::size_t SplitParameterString(std::string_view text, EngineArguments& arguments);

} // namespace reelvane
