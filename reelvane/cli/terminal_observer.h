#pragma once
// Shows a run on the terminal: a progress bar with the task, its percentage and the time left
// for the task and the whole run, or one JSON object per line for programs.

#include "reelvane/conversion/run_observer.h"

#include <atomic>
#include <string>

namespace reelvane {

class TerminalObserver : public RunObserver {
public:
    TerminalObserver(bool json, bool burnAnswer, const std::atomic<bool>& interrupted);

    void ShowStatus(int percent, const std::string& text) override;
    void ShowMessage(const std::string& caption, const std::string& text) override;
    bool AskYesNo(const std::string& caption, const std::string& question) override;
    bool CancelRequested() const override { return interrupted_; }
    void ShowProgress(const RunProgress& progress) override;
    void TaskFinished(const TaskReport& report) override;
    void ShowOutput(const std::string& path) override;

    // The closing line of the run.
    void Finish(int exitCode, int finished, int failed, bool cancelled, const std::string& disc);

private:
    void EndBar();

    bool json_;
    bool burnAnswer_;
    bool terminal_;
    bool barShown_ = false;
    const std::atomic<bool>& interrupted_;
};

} // namespace reelvane
