#pragma once
#include <string>

namespace platform {

// Folder of the running program file, without a trailing "/".
std::string ProgramFolder();

// The user's videos folder (XDG), else ~/Videos, without a trailing "/".
std::string UserVideosFolder();

// The user's folder for state that outlives a run ($XDG_STATE_HOME, else ~/.local/state), without
// a trailing "/".
std::string UserStateFolder();

} // namespace platform
