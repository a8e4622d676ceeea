#pragma once
#include <string>

namespace platform {

// Renames without ever replacing `to`; 0 on success, else -1 with errno set (EEXIST when `to`
// exists). File systems without the kernel's no-replace rename get a check before the rename.
int RenameNoReplace(const std::string& from, const std::string& to);

} // namespace platform
