#include "reelvane/profiles/profile_folders.h"

#include "platform/program_folder.h"
#include "platform/staged_file.h"
#include "reelvane/conversion/checked_format.h"
#include "reelvane/frame/language_table.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

namespace reelvane {
namespace fs = std::filesystem;
namespace {

// Gives the user a copy of a shipped file to write into, made once and never replaced. True when
// the copy is there, or when there is nothing to copy and the folder for it is.
bool CopyOnce(const std::string& source, const std::string& target)
{
    std::error_code ec;
    if (fs::exists(target, ec))
        return true;
    const fs::path folder = fs::path(target).parent_path();
    fs::create_directories(folder, ec);
    std::ifstream in(source, std::ios::binary);
    if (!in)
        return !fs::exists(source, ec) && fs::is_directory(folder, ec);
    const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    return !in.bad() && platform::WriteFileStaged(target, bytes.data(), bytes.size(), false);
}

} // namespace

std::string ProfileFolders::PathOf(const std::string& fileName) const
{
    std::error_code ec;
    if (fs::is_regular_file(user + fileName, ec))
        return user + fileName;
    return shipped + fileName;
}

std::vector<std::string> ProfileFolders::Files() const
{
    std::vector<std::string> files = ListProfileFiles(shipped);
    for (std::string& name : ListProfileFiles(user))
        files.push_back(std::move(name));
    std::sort(files.begin(), files.end());
    files.erase(std::unique(files.begin(), files.end()), files.end());
    return files;
}

std::string ProfileFolders::ChoiceReadFolder() const
{
    std::error_code ec;
    return fs::is_regular_file(choice + kOutputDefaultFileName, ec) ? choice : shipped;
}

std::string ProfileFolders::WritablePath(const std::string& iniPath) const
{
    const fs::path file(iniPath);
    std::error_code ec;
    if (!fs::equivalent(file.parent_path(), shipped, ec))
        return iniPath;
    const std::string target = user + file.filename().string();
    return CopyOnce(iniPath, target) ? target : std::string();
}

bool ProfileFolders::RememberChoice(const std::string& fileName, const std::string& profileName,
                                    int32_t calcAspect) const
{
    // The user's file starts as the shipped one, so that neither of its two sections is lost.
    return CopyOnce(shipped + kOutputDefaultFileName, choice + kOutputDefaultFileName) &&
           WriteOutputDefault(choice, fileName, profileName, calcAspect);
}

bool ProfileFolders::RememberSaved(const std::string& fileName, const std::string& profileName) const
{
    return CopyOnce(shipped + kOutputDefaultFileName, choice + kOutputDefaultFileName) &&
           RememberSavedProfile(choice, fileName, profileName);
}

std::string ProfileFolders::ChoiceFailedText() const
{
    return FillText(LookupText("MAIN_DLG", "strChoiceSaveFailInfo", "The profile choice could not be saved in %s."),
                    {choice + kOutputDefaultFileName});
}

ProfileFolders UserProfileFolders()
{
    return {platform::DataFolder() + "/ini/", platform::UserDataFolder() + "/quillon/ini/",
            platform::UserConfigFolder() + "/quillon/"};
}

OutputDefault LoadChosenProfile(const ProfileFolders& folders, ProfileSettings& settings)
{
    OutputDefault chosen = ReadOutputDefault(folders.ChoiceReadFolder());
    const std::string path = folders.PathOf(chosen.profileFile);
    ReadProfile(chosen.profileName, settings, path);
    SetText(settings.iniPath, path);
    return chosen;
}

} // namespace reelvane
