#pragma once
// The selector's categories: those of the built-in catalogue in the order of their first row,
// then "Other Profiles" and "All Profiles", each with the profiles filed under it.

#include "reelvane/profiles/profile_folders.h"

#include <cstdint>
#include <string>
#include <vector>

namespace reelvane {

struct ProfileEntry {
    std::string fileName;    // without the folder
    std::string profileName; // the section name
    int32_t image = 0;
};

struct CategoryEntry {
    std::string name;
    int32_t image = 0;
    std::vector<ProfileEntry> profiles;
};

struct CataloguePosition {
    int category = -1;
    int profile = -1; // within the profiles shown for the category
};

class ProfileCategories {
public:
    ProfileCategories();

    // Files the profile under the category of its file, at the end.
    void AddProfile(const std::string& fileName, const std::string& profileName);

    const std::vector<CategoryEntry>& categories() const { return categories_; }
    int allProfilesIndex() const { return static_cast<int>(categories_.size()) - 1; }

    // The profiles listed for a category; "All Profiles" lists every other category's in order.
    std::vector<ProfileEntry> ProfilesShown(int category) const;

    // Where a profile is shown: the category of its file and, within it, the last entry of that
    // file and name. A profile that is not listed gives profile -1 (category -1 too when its
    // category is not listed).
    CataloguePosition Find(const std::string& fileName, const std::string& profileName) const;

private:
    int CategoryIndexOf(const std::string& fileName) const;

    std::vector<CategoryEntry> categories_;
};

// The name the selector shows for a category: the current language's text for the categories
// that have a language key, the built-in name for the others.
std::string CategoryText(const std::string& name);

// The categories filled from the profile files, in name order, section by section; a user's file
// stands in for the shipped file of its name.
ProfileCategories BuildCatalogue(const ProfileFolders& folders);

} // namespace reelvane
