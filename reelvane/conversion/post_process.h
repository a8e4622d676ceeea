#pragma once
// A profile's post-process command: arguments in double quotes, separated by blanks. In each
// argument the first "./" becomes the program folder; without one, the first "%out" becomes the
// output path. Run as an argument list, never through a shell.

#include <string>
#include <vector>

namespace reelvane {

// The program and its arguments; empty for a command without words.
std::vector<std::string> PostProcessArguments(const std::string& command, const std::string& programFolder,
                                              const std::string& outputPath);

// Runs the command and waits; the program's exit status, or -1 when it could not be started.
int RunPostProcess(const std::string& command, const std::string& programFolder, const std::string& outputPath);

} // namespace reelvane
