#pragma once
// Profile files: INI files in the profile folder, one profile per section.

#include "reelvane/profiles/profile_settings.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace reelvane {

inline constexpr std::size_t kProfileSectionBufferSize = 5120;
inline constexpr char kOutputDefaultFileName[] = "tvcdef.ini";

// The profile files of a folder ("*.ini" without "tvcdef.ini"), sorted by name.
std::vector<std::string> ListProfileFiles(const std::string& profileFolder);

void ReadProfile(const std::string& section, ProfileSettings& settings, const std::string& filePath);
// False when a key could not be written (the file or its folder is not writable).
bool WriteProfile(const std::string& section, const ProfileSettings& settings, const std::string& filePath);
// Every key of a profile section with its value as the file holds it, and the reverse for one
// key (unknown keys are ignored).
std::vector<std::pair<std::string, std::string>> ProfileKeyValues(const ProfileSettings& settings);
void SetProfileKeyValue(ProfileSettings& settings, const std::string& key, const std::string& text);
void WriteProfileInt(const std::string& section, const std::string& key, int32_t value, const std::string& filePath);

// Zeroes the buffer and fills it with the section names, each NUL-terminated, ending with an
// empty name.
void ListProfileSections(const std::string& filePath, char* buffer, std::size_t size);

// The section names as ListProfileSections sees them in a buffer of the usual size.
std::vector<std::string> ProfileSectionNames(const std::string& filePath);

// Writes the record under a new name; returns 0 and writes nothing when a section of that name
// (ignoring case) exists anywhere in the file, -1 when the write failed, 1 otherwise.
int SaveProfileAsNew(const std::string& name, const ProfileSettings& settings, const std::string& filePath);

// The remembered profile choice, kept in "tvcdef.ini" (see ProfileFolders).
struct OutputDefault {
    char profileFile[200];
    char profileName[200];
    int32_t calcAspect;
};

// The writes answer false when a key could not be written.
bool RememberSavedProfile(const std::string& profileFolder, const std::string& fileName,
                          const std::string& profileName);
OutputDefault ReadOutputDefault(const std::string& profileFolder);
bool WriteOutputDefault(const std::string& profileFolder, const std::string& fileName, const std::string& profileName,
                        int32_t calcAspect);

// C-style number text: a leading decimal number (after blanks), otherwise 0; independent of the
// process locale, as are the "%f" texts written back.
float ParseReal(const std::string& text);
std::string FormatReal(float value);

} // namespace reelvane
