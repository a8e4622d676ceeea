#pragma once
// Where profile files live: the shipped folder, which is never written; the user's folder of
// saved profiles, whose files shadow shipped files of the same name; and the folder of the
// remembered choice "tvcdef.ini".

#include "reelvane/profiles/profile_file.h"

#include <string>
#include <vector>

namespace reelvane {

struct ProfileFolders {
    std::string shipped; // each ends with "/"
    std::string user;
    std::string choice;

    // The user's file of that name when there is one, else the shipped file.
    std::string PathOf(const std::string& fileName) const;
    // The profile files of both folders, sorted by name, each name once.
    std::vector<std::string> Files() const;
    // Where "tvcdef.ini" is read: the user's once a choice was made, else the shipped one.
    std::string ChoiceReadFolder() const;
    // The file a save of the profile file `iniPath` goes to. A shipped file is copied to the user
    // folder first, every section with it, so that the user's file can shadow it; other files
    // are written where they are. Empty when the copy could not be made.
    std::string WritablePath(const std::string& iniPath) const;
    // Write the remembered choice and the name last saved into the choice folder; false when it
    // could not be written.
    bool RememberChoice(const std::string& fileName, const std::string& profileName, int32_t calcAspect) const;
    bool RememberSaved(const std::string& fileName, const std::string& profileName) const;
    // The language table's report of a choice that could not be written.
    std::string ChoiceFailedText() const;
};

// This user's folders and this program's shipped profiles.
ProfileFolders UserProfileFolders();

// Reads the remembered profile into `settings` and sets its iniPath. Returns the choice read.
OutputDefault LoadChosenProfile(const ProfileFolders& folders, ProfileSettings& settings);

} // namespace reelvane
