#pragma once
// The built-in table that puts each profile file under a category of the selector.

#include <cstdint>
#include <span>
#include <string>

namespace reelvane {

struct ProfileCatalogueRow {
    char categoryName[32];
    int32_t categoryImage;
    char profileFile[52];
    int32_t profileImage;
};

std::span<const ProfileCatalogueRow> ProfileCatalogue();

struct ProfileCategory {
    std::string categoryName;
    int32_t categoryImage;
    int32_t profileImage;
};

// The category of a profile file (compared byte for byte); "Other Profiles" with image 0 when the
// file is in no row.
ProfileCategory CategoryOfProfileFile(const std::string& fileName);

} // namespace reelvane
