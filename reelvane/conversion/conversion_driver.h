#pragma once
// The conversion run: tasks in, finished files (or a disc image) out. One engine call per task
// (several side by side when the run allows it), or one for all tasks when they are merged;
// progress, time left and cancel through a RunObserver, so that the window, the command line
// and the tests drive the same code. Every output is written under a partial name and takes its
// own name only when the engine reports success: a failed or cancelled task leaves no file, and
// no existing file is replaced.

#include "reelvane/conversion/argument_builder.h"
#include "reelvane/conversion/engine_arguments.h"
#include "reelvane/conversion/run_observer.h"
#include "reelvane/conversion/split_media.h"
#include "reelvane/conversion/task_scheduler.h"
#include "reelvane/tasks/conversion_task.h"

#include <chrono>
#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace reelvane {

struct RunRequest {
    std::vector<ConversionTask> tasks;                       // copies: the list may change while the run goes on
    ProfileSettings currentProfile = EmptyProfileSettings(); // the window's current profile
    std::string splitChoice = kNoSplit;                      // an id of kSplitMedia
    int64_t customSplitMegabytes = 0;
    std::string outputFolder; // ends with "/"
    bool merge = false;
    std::string programFolder; // libraries, burner, "./" of post-process commands; empty: this program's
    bool sharedProfile = true; // what the previous run left (RunSummary::sharedProfile); read by the disc-size check
    int jobs = 1;              // engine calls at once; kAutomaticJobs sizes them to the processors
    bool copyFitting = false;  // streams that already fit the profile are copied
};

constexpr int kAutomaticJobs = 0;

struct RunSummary {
    bool started = false; // false when the disc-size or merge check refused the run
    bool cancelled = false;
    std::vector<TaskReport> tasks;
    bool discStep = false;
    bool discOk = true;
    std::string discResult;    // the image, or what the disc step kept for the user
    bool sharedProfile = true; // every task had the same profile file, for the next run's disc-size check
    bool postProcessOk = true; // no post-process command failed or was refused

    int Count(TaskState state) const;
    // Every task finished and the disc step, if any, succeeded.
    bool Succeeded() const;
};

class ConversionDriver {
public:
    explicit ConversionDriver(RunObserver& observer) : observer_(observer) {}

    RunSummary Run(RunRequest request);
    bool converting() const { return converting_; }

private:
    using Clock = std::chrono::steady_clock;

    // One engine call in flight.
    struct EngineTask {
        std::string partial;
        std::string destination;
        std::string baseName;
        double divisorSeconds = 0.0;
        double seconds = 0.0;
        Clock::time_point start{};
    };

    void RunPerFile(RunRequest& request, RunSummary& summary);
    void RunMerged(RunRequest& request, RunSummary& summary);
    int JobsFor(const RunRequest& request) const;
    // The profile's post-process command on a finished output; a problem goes into the report.
    void PostProcess(const ProfileSettings& settings, const std::string& programFolder, TaskReport& report,
                     RunSummary& summary);
    // A failed task whose output could not be named.
    TaskReport NameFailure(const std::string& destination, const std::string& problem);
    // True when the disc author can take the task's source as it is, with no engine call.
    bool AuthorsFromSource(const PerFileTask& task, const SplitRule& split, const std::string& burnType) const;
    // The partial file under its final name when the engine reported success.
    TaskReport Commit(const EngineTask& task, const EngineOutcome& outcome);
    bool Tick(const std::vector<std::pair<int, double>>& running);
    // The whole run's percentage: the tasks that ended and the done part of those running.
    int RunPercent() const;
    // The progress line over the whole run, for runs of several tasks at once.
    void ShowRunStatus(int percent);
    void StatusUpdate(int percent, const std::string& text = {});
    void EndOfRun(RunRequest& request, RunSummary& summary);

    RunObserver& observer_;
    bool converting_ = false;
    bool discPhase_ = false;
    bool sideBySide_ = false; // several engine calls at once: the status line shows the whole run

    double runSecondsBefore_ = 0.0; // converted seconds of the tasks that have ended
    double runSeconds_ = 0.0;
    int taskCount_ = 0;
    Clock::time_point progressStart_{};
    Clock::time_point runStart_{};
    std::map<int, EngineTask> running_;
    std::set<std::string> reserved_; // names of outputs still being written

    std::string currentOutput_;
    std::string runBurnType_;
    std::vector<std::string> outputsToAuthor_;
    std::vector<std::vector<std::string>> languagesToAuthor_; // each output's audio languages
    std::vector<std::string> writtenOutputs_; // what the run wrote, as opposed to sources authored as they are
    std::map<std::string, std::vector<double>> outputChapters_; // the sources' chapters of what the run wrote
};

} // namespace reelvane
