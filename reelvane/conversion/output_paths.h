#pragma once
// Where an output is written: a name no existing file has, a hidden partial name beside it while
// the engine writes, and the move to the final name once the engine reports success.

#include <optional>
#include <string>
#include <vector>

namespace reelvane {

// `destination` when no file of that name exists; else its folder, `baseName`, " (n)" and its
// extension with the first n from 1 that names no file.
// Names in `taken` (the outputs of the run's earlier tasks) count as existing files.
std::string UniqueOutputPath(const std::string& destination, const std::string& baseName,
                             const std::vector<std::string>& taken = {});

// A name in the destination's folder, hidden and marked partial, keeping the extension so that
// the engine still picks the format by it. No file of that name exists.
std::string PartialOutputPath(const std::string& destination);

// True when the engine takes the path whole and the file system takes its file name.
bool PathFitsEngine(const std::string& path);

// Gives the partial file its final name without replacing any file: when `destination` has
// appeared meanwhile the next free " (n)" name is taken. The final path, or nothing on failure
// (the partial file is then removed).
std::optional<std::string> CommitOutput(const std::string& partial, const std::string& destination,
                                        const std::string& baseName);

} // namespace reelvane
