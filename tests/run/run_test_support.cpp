#include "tests/run/run_test_support.h"

#include <algorithm>
#include <filesystem>
#include <fstream>

namespace runtest {
namespace fs = std::filesystem;

reelvane::ProfileSettings Profile(const std::string& file, const std::string& section)
{
    reelvane::ProfileSettings s = reelvane::EmptyProfileSettings();
    const std::string path = std::string(PROFILE_SOURCE_FOLDER) + file;
    reelvane::ReadProfile(section, s, path);
    reelvane::SetText(s.iniPath, path);
    return s;
}

std::vector<reelvane::ConversionTask> Tasks(const std::vector<std::string>& sources,
                                            const reelvane::ProfileSettings& profile, const std::string& outputFolder)
{
    std::vector<reelvane::ConversionTask> tasks;
    for (const std::string& source : sources)
        tasks.push_back(*reelvane::CreateTask(source, profile, -1, outputFolder));
    return tasks;
}

std::string WriteScript(const std::string& path, const std::string& body)
{
    std::ofstream(path) << "#!/bin/sh\n" << body << "\n";
    fs::permissions(path, fs::perms::owner_all | fs::perms::group_read | fs::perms::others_read);
    return path;
}

} // namespace runtest
