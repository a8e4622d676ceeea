#pragma once
#include <string>

namespace platform {

// Folder of the running program file, without a trailing "/".
std::string ProgramFolder();

// The user's videos folder (XDG), else ~/Videos, without a trailing "/".
std::string UserVideosFolder();

} // namespace platform
