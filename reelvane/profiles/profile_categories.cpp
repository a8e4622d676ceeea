#include "reelvane/profiles/profile_categories.h"

#include "reelvane/frame/language_table.h"
#include "reelvane/profiles/profile_catalogue.h"
#include "reelvane/profiles/profile_file.h"

#include <algorithm>

namespace reelvane {

ProfileCategories::ProfileCategories()
{
    for (const ProfileCatalogueRow& row : ProfileCatalogue()) {
        bool listed = std::any_of(categories_.begin(), categories_.end(),
                                  [&](const CategoryEntry& c) { return c.name == row.categoryName; });
        if (!listed)
            categories_.push_back({row.categoryName, row.categoryImage, {}});
    }
    categories_.push_back({"Other Profiles", 1, {}});
    categories_.push_back({"All Profiles", 0, {}});
}

int ProfileCategories::CategoryIndexOf(const std::string& fileName) const
{
    const std::string name = CategoryOfProfileFile(fileName).categoryName;
    for (std::size_t i = 0; i < categories_.size(); ++i)
        if (categories_[i].name == name)
            return static_cast<int>(i);
    return -1;
}

void ProfileCategories::AddProfile(const std::string& fileName, const std::string& profileName)
{
    int index = CategoryIndexOf(fileName);
    if (index < 0)
        return;
    categories_[static_cast<std::size_t>(index)].profiles.push_back(
        {fileName, profileName, CategoryOfProfileFile(fileName).profileImage});
}

std::vector<ProfileEntry> ProfileCategories::ProfilesShown(int category) const
{
    if (category < 0 || category >= static_cast<int>(categories_.size()))
        return {};
    if (category != allProfilesIndex())
        return categories_[static_cast<std::size_t>(category)].profiles;
    std::vector<ProfileEntry> all;
    for (int i = 0; i < allProfilesIndex(); ++i) {
        const auto& profiles = categories_[static_cast<std::size_t>(i)].profiles;
        all.insert(all.end(), profiles.begin(), profiles.end());
    }
    return all;
}

CataloguePosition ProfileCategories::Find(const std::string& fileName, const std::string& profileName) const
{
    CataloguePosition position;
    position.category = CategoryIndexOf(fileName);
    const std::vector<ProfileEntry> shown = ProfilesShown(position.category);
    // The file decides too: two files may hold sections of the same name.
    for (std::size_t i = 0; i < shown.size(); ++i)
        if (shown[i].fileName == fileName && shown[i].profileName == profileName)
            position.profile = static_cast<int>(i);
    return position;
}

std::string CategoryText(const std::string& name)
{
    if (name == "HEVC / AV1 / WebM")
        return LookupText("MAIN_DLG", "strCategoryHevcInfo", name);
    return name;
}

ProfileCategories BuildCatalogue(const ProfileFolders& folders)
{
    ProfileCategories categories;
    for (const std::string& file : folders.Files())
        for (const std::string& section : ProfileSectionNames(folders.PathOf(file)))
            categories.AddProfile(file, section);
    return categories;
}

} // namespace reelvane
