#pragma once
#include <string>

namespace platform {

// Folder of the running program file, without a trailing "/".
std::string ProgramFolder();

// The read-only data (ini/, language/, help/): the installed data folder when the program runs
// from an install, else the program folder of a build. No trailing "/".
std::string DataFolder();

// The private libraries: the installed library folder, else the program folder. No trailing "/".
std::string PrivateLibraryFolder();

// The user's videos folder (XDG), else ~/Videos, without a trailing "/".
std::string UserVideosFolder();

// The user's folder for state that outlives a run ($XDG_STATE_HOME, else ~/.local/state), without
// a trailing "/".
std::string UserStateFolder();

// The user's configuration folder ($XDG_CONFIG_HOME, else ~/.config) and data folder
// ($XDG_DATA_HOME, else ~/.local/share), without a trailing "/".
std::string UserConfigFolder();
std::string UserDataFolder();

} // namespace platform
