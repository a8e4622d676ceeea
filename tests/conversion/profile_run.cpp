#include "tests/conversion/profile_run.h"

#include "reelvane/conversion/argument_builder.h"
#include "reelvane/profiles/profile_file.h"

#include <gtest/gtest.h>

namespace reelvane {
namespace {

std::string lastMessage;

int32_t KeepMessage(const char* message, double value)
{
    if (value > -2 && value < 0)
        lastMessage = message;
    return 0;
}

} // namespace

ProfileSettings ShippedProfile(const std::string& file, const std::string& section)
{
    ProfileSettings s = EmptyProfileSettings();
    std::string path = std::string(REELVANE_PROFILE_SOURCE_FOLDER) + file;
    ReadProfile(section, s, path);
    SetText(s.iniPath, path);
    SetText(s.Para, ("-preset ultrafast " + std::string(s.Para)).c_str());
    return s;
}

std::string ConvertAsTask(const std::string& source, const ProfileSettings& profile, const TempFolder& folder,
                          const std::function<void(ConversionTask&)>& change)
{
    // calcAspect 1, as a pick in the selector remembers it.
    std::unique_ptr<ConversionTask> task = CreateTask(source, profile, 1, folder.path() + "/");
    if (change)
        change(*task);
    SplitRule split;
    split.runChoice = split.currentChoice = "No split";
    PerFileTask perFile{task->settings, task->probed, task->sourcePath, task->destinationPath};
    perFile.subtitleTracks = task->subtitleTracks;
    EngineArguments arguments = BuildPerFileArguments(perFile, split);
    std::vector<char*> argv = arguments.Argv();
    lastMessage.clear();
    int32_t result = ffmain(static_cast<int32_t>(argv.size()), argv.data(), KeepMessage);
    EXPECT_EQ(result, 0) << lastMessage << "\n" << arguments.LogLine();
    return task->destinationPath;
}

} // namespace reelvane
