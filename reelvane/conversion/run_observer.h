#pragma once
// What a conversion run needs from whoever shows it: the main window, the command line or a
// test. The run calls these from the thread it runs on.

#include <cstdint>
#include <string>
#include <vector>

namespace reelvane {

// Where a run stands, for displays that show more than the progress line.
struct RunProgress {
    int taskIndex = 0; // from 0; a merged run is one task
    int taskCount = 0;
    int taskPercent = 0;
    int64_t taskMillisecondsLeft = 0;
    int runPercent = 0;
    int64_t runMillisecondsLeft = 0;
    std::string output;
};

// How a task ended; a task in the list is also Waiting for its run, or Converting.
enum class TaskState { Finished, Failed, Cancelled, NotStarted, Waiting, Converting };

enum class StreamAction { Copy, Encode };

// What a task does with one chosen stream of its source, and why.
struct StreamDecision {
    int index = -1; // the stream of the source file
    int kind = 0;   // VEXEN_KIND_VIDEO or VEXEN_KIND_AUDIO
    StreamAction action = StreamAction::Encode;
    std::string reason; // for the user
};

struct TaskReport {
    int taskIndex = 0;
    std::string source;
    std::string output; // the finished file; empty unless Finished
    TaskState state = TaskState::NotStarted;
    std::string message;                 // why it failed
    std::vector<StreamDecision> streams; // the chosen streams, copied or encoded
};

class RunObserver {
public:
    virtual ~RunObserver() = default;
    // The progress line and bar: a percentage 0 to 100 and the line's text.
    virtual void ShowStatus(int percent, const std::string& text) = 0;
    // A message the user must read before the run goes on.
    virtual void ShowMessage(const std::string& caption, const std::string& text) = 0;
    // A yes/no question in the middle of the run; true for yes.
    virtual bool AskYesNo(const std::string& caption, const std::string& question) = 0;
    // Called by every progress callback, at most every few hundred milliseconds.
    virtual void Pump() {}
    // True once the user asked to cancel; the run stops at its next progress call.
    virtual bool CancelRequested() const = 0;
    // With every accepted progress report.
    virtual void ShowProgress(const RunProgress&) {}
    // When the engine starts on a task (a merged run is task 0).
    virtual void TaskStarted(int /*taskIndex*/) {}
    // Once per task, when it has ended or was never started.
    virtual void TaskFinished(const TaskReport&) {}
    // While the disc libraries run; a cancel then stops them at their next safe point.
    virtual void DiscPhase(bool /*active*/) {}
    // At the end of a run without a disc step: the output to show in the file manager.
    virtual void ShowOutput(const std::string& /*path*/) {}
};

} // namespace reelvane
