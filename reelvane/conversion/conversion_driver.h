#pragma once
// The conversion run: tasks in, finished files (or a disc image) out. One engine call per task,
// or one for all tasks when they are merged; progress, time left and cancel through a
// RunObserver, so that the window, the command line and the tests drive the same code.
// Every output is written under a partial name and takes its own name only when the engine
// reports success: a failed or cancelled task leaves no file, and no existing file is replaced.

#include "reelvane/conversion/engine_arguments.h"
#include "reelvane/conversion/run_observer.h"
#include "reelvane/conversion/split_media.h"
#include "reelvane/tasks/conversion_task.h"

#include <chrono>
#include <cstdint>
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
};

struct RunSummary {
    bool started = false; // false when the disc-size or merge check refused the run
    bool cancelled = false;
    std::vector<TaskReport> tasks;
    bool discStep = false;
    bool discOk = true;
    std::string discResult;    // the image, or what the disc step kept for the user
    bool sharedProfile = true; // every task had the same profile file, for the next run's disc-size check

    int Count(TaskState state) const;
    // Every task finished and the disc step, if any, succeeded.
    bool Succeeded() const;
};

class ConversionDriver {
public:
    explicit ConversionDriver(RunObserver& observer) : observer_(observer) {}

    RunSummary Run(RunRequest request);
    bool converting() const { return converting_; }

    // Called by the engine's progress callback: seconds done, or a message for values in (-2, 0).
    int OnEngineProgress(const char* message, double value);

private:
    using Clock = std::chrono::steady_clock;

    void RunPerFile(RunRequest& request, RunSummary& summary);
    void RunMerged(RunRequest& request, RunSummary& summary);
    // One engine call into a partial file; the final path when the engine reported success.
    TaskReport Convert(EngineArguments& arguments, const std::string& partial, const std::string& destination,
                       const std::string& baseName, int32_t usePlatformReader);
    void StatusUpdate(int percent, const std::string& text = {});
    void ReportProgress(double seconds);
    void EndOfRun(RunRequest& request, RunSummary& summary);

    RunObserver& observer_;
    bool converting_ = false;
    bool discPhase_ = false;

    // Per engine call.
    double divisorSeconds_ = 0.0;
    double runSecondsBefore_ = 0.0; // converted seconds of the tasks before this one
    double runSeconds_ = 0.0;
    int taskIndex_ = 0;
    int taskCount_ = 0;
    bool firstReport_ = true;
    Clock::time_point lastAccepted_{};
    Clock::time_point progressStart_{};
    Clock::time_point runStart_{};
    std::string engineMessages_;

    std::string currentOutput_;
    std::string runBurnType_;
    std::vector<std::string> outputsToAuthor_;
};

} // namespace reelvane
