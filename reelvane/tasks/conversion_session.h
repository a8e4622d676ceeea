#pragma once
// What one window (or one command line) converts with: the current profile and the remembered
// choice, Apply to All, Merge, the disc-size choice, the output folder, and what one run leaves
// for the next. The rules over them live here so that the window and the command line build the
// same run request.

#include "reelvane/conversion/conversion_driver.h"
#include "reelvane/conversion/run_settings.h"
#include "reelvane/profiles/profile_folders.h"
#include "reelvane/tasks/split_choices.h"
#include "reelvane/tasks/task_list.h"

#include <memory>
#include <string>

namespace reelvane {

class ConversionSession {
public:
    // `outputFolder` is made to end with "/", unless empty.
    ConversionSession(ProfileFolders folders, std::string outputFolder);

    // The remembered profile becomes the current one.
    void LoadChosenProfile();
    // The user picked a profile: it is remembered and becomes the current one. False when the
    // choice could not be remembered (the profile is still the current one).
    bool PickProfile(const std::string& fileName, const std::string& profileName);
    // Makes a profile of any file the current one, remembering nothing.
    void UseProfile(const std::string& filePath, const std::string& profileName);
    // A selected task shows its own profile: the record follows the task's profile file, so a
    // later save goes into that file.
    void FollowTask(const ConversionTask& task);

    const ProfileSettings& currentProfile() const { return current_; }
    ProfileSettings& currentProfile() { return current_; }
    const OutputDefault& outputDefault() const { return outputDefault_; }

    // A task for a file with the current profile and the output folder; track preparation is
    // the caller's.
    std::unique_ptr<ConversionTask> NewTask(const std::string& path) const;
    // The current profile into one task; with `renameDestination` its destination is named again.
    void ApplyCurrent(ConversionTask& task, bool renameDestination) const;
    // Whether a profile pick goes to every task (else to the selected one only).
    bool applyToAll() const { return applyToAll_; }
    void SetApplyToAll(bool on) { applyToAll_ = on; }
    bool merge() const { return merge_; }
    // Merging applies the current profile to all tasks: it turns Apply to All on.
    void SetMerge(bool on);

    // The disc-size choices the current profile offers, and the one chosen (an id of SplitMedia()).
    const SplitChoices& splitChoices() const { return splitChoices_; }
    const std::string& splitChoice() const { return splitChoice_; }
    // False, changing nothing, for a choice the profile does not offer.
    bool SetSplitChoice(const std::string& id);
    int64_t customSplitMegabytes() const { return customSplitMegabytes_; }
    void SetCustomSplitMegabytes(int64_t megabytes) { customSplitMegabytes_ = megabytes; }

    const ProfileFolders& profileFolders() const { return folders_; }

    // How many tasks convert at once and whether fitting streams are copied, as the run reads them.
    const RunSettings& runSettings() const { return runSettings_; }
    void SetRunSettings(const RunSettings& run) { runSettings_ = run; }

    const std::string& outputFolder() const { return outputFolder_; }
    // The folder with a trailing "/"; false when it is the folder already.
    bool SetOutputFolder(const std::string& folder);
    // The task's destination keeps its name and goes into the output folder.
    void MoveDestination(ConversionTask& task) const;

    // The status shown while no run goes.
    IdleStatus IdleStatusOf(const TaskList& tasks) const;
    // Copies of the tasks with everything the run reads from the session.
    RunRequest BuildRunRequest(const TaskList& tasks, const std::string& programFolder) const;
    // What a run leaves for the next one: whether its tasks shared one profile file (read by the
    // next run's disc-size check, for as long as the program runs).
    void RunEnded(const RunSummary& summary);
    bool sharedProfile() const { return sharedProfile_; }

private:
    void OfferSplitChoices();

    ProfileFolders folders_;
    ProfileSettings current_ = EmptyProfileSettings();
    OutputDefault outputDefault_{};
    bool applyToAll_ = true;
    bool merge_ = false;
    SplitChoices splitChoices_;
    std::string splitChoice_ = kNoSplit;
    int64_t customSplitMegabytes_ = 0;
    std::string outputFolder_;
    bool sharedProfile_ = true;
    RunSettings runSettings_;
};

} // namespace reelvane
