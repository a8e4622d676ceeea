#pragma once
// A profile's post-process command: arguments in double quotes, separated by blanks. In each
// argument the first "./" becomes the program folder; without one, the first "%out" becomes the
// output path. Run as an argument list, never through a shell.

#include "reelvane/profiles/profile_settings.h"

#include <optional>
#include <string>
#include <vector>

namespace reelvane {

// The program and its arguments; empty for a command without words.
std::vector<std::string> PostProcessArguments(const std::string& command, const std::string& programFolder,
                                              const std::string& outputPath);

// Runs the post-process command of a task's profile and waits, the program's standard output
// sent to standard error (the command line's standard output is for its own lines). The command
// runs only when its profile file is the user's or the system's and no one else may change it.
// Nothing when it ran and succeeded (or there is none), else what went wrong.
std::optional<std::string> RunPostProcess(const ProfileSettings& settings, const std::string& programFolder,
                                          const std::string& outputPath);

} // namespace reelvane
