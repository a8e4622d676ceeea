#pragma once
// "reelvane --save-profile-as NAME": the option sheet's "Save as", answered from the command line.

#include "reelvane/profiles/profile_settings.h"

#include <string>

namespace reelvane {

// Saves `picked` under `name` in the user's copy of its file, as the option sheet does, and makes
// it the chosen profile. Prints "FILE.ini:NAME"; 0 when saved, 1 when not (the reason on
// standard error).
int SaveProfileAs(const std::string& name, const ProfileSettings& picked);

} // namespace reelvane
