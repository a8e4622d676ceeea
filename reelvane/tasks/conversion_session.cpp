#include "reelvane/tasks/conversion_session.h"

#include "reelvane/frame/startup_settings.h"
#include "reelvane/tasks/task_rules.h"

#include <algorithm>

namespace reelvane {

ConversionSession::ConversionSession(ProfileFolders folders, std::string outputFolder)
    : folders_(std::move(folders)),
      outputFolder_(outputFolder.empty() ? std::string() : WithTrailingSlash(std::move(outputFolder)))
{
    OfferSplitChoices();
}

void ConversionSession::LoadChosenProfile()
{
    outputDefault_ = reelvane::LoadChosenProfile(folders_, current_);
    OfferSplitChoices();
}

bool ConversionSession::PickProfile(const std::string& fileName, const std::string& profileName)
{
    const bool remembered = folders_.RememberChoice(fileName, profileName, 1);
    outputDefault_ = ReadOutputDefault(folders_.ChoiceReadFolder());
    UseProfile(folders_.PathOf(fileName), profileName);
    return remembered;
}

void ConversionSession::UseProfile(const std::string& filePath, const std::string& profileName)
{
    ReadProfile(profileName, current_, filePath);
    SetText(current_.iniPath, filePath);
    OfferSplitChoices();
}

void ConversionSession::FollowTask(const ConversionTask& task)
{
    // Copied first: the task's record may be the one read into.
    const std::string path = task.settings.iniPath;
    const std::string name = task.settings.profileName;
    ReadProfile(name, current_, path);
    SetText(current_.iniPath, path);
}

std::unique_ptr<ConversionTask> ConversionSession::NewTask(const std::string& path) const
{
    return CreateTask(path, current_, outputDefault_.calcAspect, outputFolder_);
}

void ConversionSession::ApplyCurrent(ConversionTask& task, bool renameDestination) const
{
    ApplyProfileToTask(task, current_, renameDestination ? outputFolder_ : std::string());
}

void ConversionSession::SetMerge(bool on)
{
    merge_ = on;
    if (on)
        applyToAll_ = true;
}

void ConversionSession::OfferSplitChoices()
{
    splitChoices_ = SplitChoicesFor(current_.iniPath);
    splitChoice_ = splitChoices_.entries[static_cast<std::size_t>(splitChoices_.selected)];
}

bool ConversionSession::SetSplitChoice(const std::string& id)
{
    const std::vector<std::string>& offered = splitChoices_.entries;
    if (std::find(offered.begin(), offered.end(), id) == offered.end())
        return false;
    splitChoice_ = id;
    return true;
}

bool ConversionSession::SetOutputFolder(const std::string& folder)
{
    const std::string chosen = WithTrailingSlash(folder);
    if (chosen == outputFolder_)
        return false;
    outputFolder_ = chosen;
    return true;
}

void ConversionSession::MoveDestination(ConversionTask& task) const
{
    task.destinationPath = outputFolder_ + FileNamePart(task.destinationPath);
}

IdleStatus ConversionSession::IdleStatusOf(const TaskList& tasks) const
{
    return IdleStatusFor(tasks, splitChoice_, static_cast<int>(customSplitMegabytes_));
}

RunRequest ConversionSession::BuildRunRequest(const TaskList& tasks, const std::string& programFolder) const
{
    RunRequest request;
    for (int i = 0; i < tasks.Count(); ++i)
        request.tasks.push_back(*tasks.Get(i));
    request.currentProfile = current_;
    request.splitChoice = splitChoice_;
    request.customSplitMegabytes = customSplitMegabytes_;
    request.outputFolder = outputFolder_;
    request.merge = merge_;
    request.programFolder = programFolder;
    request.sharedProfile = sharedProfile_;
    request.jobs = runSettings_.jobs;
    request.copyFitting = runSettings_.copyFitting;
    return request;
}

void ConversionSession::RunEnded(const RunSummary& summary)
{
    if (summary.started)
        sharedProfile_ = summary.sharedProfile;
}

} // namespace reelvane
