#pragma once
// A scripted stand-in for the window: it records what the run shows and answers its questions.

#include "reelvane/conversion/conversion_driver.h"
#include "reelvane/profiles/profile_file.h"
#include "reelvane/tasks/task_rules.h"

#include <functional>
#include <string>
#include <vector>

namespace runtest {

struct ScriptedObserver : reelvane::RunObserver {
    std::vector<std::pair<int, std::string>> statuses;
    std::vector<std::string> messages;
    std::vector<std::string> questions;
    std::vector<reelvane::RunProgress> progress;
    std::vector<reelvane::TaskReport> reports;
    std::vector<std::string> shownOutputs;
    bool answer = false;
    bool cancel = false;
    std::function<void(const reelvane::RunProgress&)> onProgress;
    // Tasks whose engine call started while no task had ended yet.
    std::size_t startedBeforeAnyEnded = 0;

    void ShowStatus(int percent, const std::string& text) override { statuses.push_back({percent, text}); }
    void ShowMessage(const std::string&, const std::string& text) override { messages.push_back(text); }
    bool AskYesNo(const std::string&, const std::string& question) override
    {
        questions.push_back(question);
        return answer;
    }
    bool CancelRequested() const override { return cancel; }
    void ShowProgress(const reelvane::RunProgress& p) override
    {
        progress.push_back(p);
        if (onProgress)
            onProgress(p);
    }
    void TaskStarted(int) override
    {
        if (reports.empty())
            ++startedBeforeAnyEnded;
    }
    void TaskFinished(const reelvane::TaskReport& report) override { reports.push_back(report); }
    void ShowOutput(const std::string& path) override { shownOutputs.push_back(path); }
};

// A profile section of a file in the source tree's data/ini, with its iniPath set.
reelvane::ProfileSettings Profile(const std::string& file, const std::string& section);

// Tasks as the task list makes them, with the profile put in and destinations in `outputFolder`.
std::vector<reelvane::ConversionTask> Tasks(const std::vector<std::string>& sources,
                                            const reelvane::ProfileSettings& profile, const std::string& outputFolder);

// Writes an executable shell script.
std::string WriteScript(const std::string& path, const std::string& body);

} // namespace runtest
