#pragma once
// What the user can pick in the burner's window: an image as it is, or files (a folder stands
// for the files directly in it) with one of the burn types.

#include "adapters/discora/burn_plan.h"

#include <string>
#include <vector>

namespace discora {

struct BurnTypeChoice {
    const char* id;  // what -t takes
    const char* key; // the language-pack key of its caption
    const char* text;
};

// The kinds of disc the burner makes from files: a DVD type makes MPEG program streams a
// DVD-Video, any other type a data disc.
inline constexpr BurnTypeChoice kBurnTypes[] = {
    {"DVD", "strTypeDvdVideoInfo", "DVD-Video"},
    {"DATA", "strTypeDataInfo", "Data disc"},
};

// True when the files are one image, which is burned as it is whatever the burn type.
bool BurnsAsImage(const std::vector<std::string>& files);

// The regular files directly in `folder`, in name order; links to files count, folders do not.
std::vector<std::string> FolderFiles(const std::string& folder);

} // namespace discora
