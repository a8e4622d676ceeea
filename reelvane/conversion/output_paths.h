#pragma once
// Where an output is written: a name no existing file has, a hidden partial name beside it while
// the engine writes, and the move to the final name once the engine reports success.

#include <optional>
#include <set>
#include <string>

namespace reelvane {

// `destination` when no file of that name exists; else its folder, `baseName`, " (n)" and its
// extension with the first n from 1 that names no file. Names in `reserved` (outputs of tasks
// still running) count as taken. A name too long for the file system gets a shorter stem (cut
// between characters), leaving room for the partial name's marks. Nothing, with `problem` saying
// why, when the folder cannot be asked whether a name is free.
std::optional<std::string> UniqueOutputPath(const std::string& destination, const std::string& baseName,
                                            std::string& problem, const std::set<std::string>& reserved = {});

// A name in the destination's folder, hidden and marked with this process's id, keeping the
// extension so that the engine still picks the format by it. No file of that name exists.
std::optional<std::string> PartialOutputPath(const std::string& destination, std::string& problem);

// Removes the partial files in `folder` whose process has ended: what a killed run left behind.
void RemoveStalePartials(const std::string& folder);

// True for an output type that can only extend a file name: no path separator, no "..".
bool IsPlainExtension(const std::string& type);

// True when the engine takes the path whole and the file system takes its file name.
bool PathFitsEngine(const std::string& path);

// Gives the partial file its final name without replacing any file: when `destination` has
// appeared meanwhile the next free " (n)" name is taken. The final path, or nothing on failure
// (the partial file is then removed).
std::optional<std::string> CommitOutput(const std::string& partial, const std::string& destination,
                                        const std::string& baseName, const std::set<std::string>& reserved = {});

} // namespace reelvane
