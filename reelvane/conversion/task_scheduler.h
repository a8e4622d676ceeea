#pragma once
// Runs engine calls side by side, each on a thread of its own, while the run's thread keeps every
// other duty: it starts the tasks in order (so that output names are reserved one after another),
// shows progress, asks for cancel and finishes each task. Whoever shows the run is therefore only
// ever called from the run's thread.

#include "reelvane/conversion/engine_arguments.h"
#include "reelvane/tasks/conversion_task.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace reelvane {

struct EngineCall {
    EngineArguments arguments;
    int32_t usePlatformReader = 0;
};

struct EngineOutcome {
    int32_t result = -1;  // ffmain's: 0 written, 1 stopped, -1 failed
    std::string messages; // the engine's messages for the user, one a line
};

struct SchedulerHooks {
    // Prepares task `index`; nothing when it ended without an engine call (skipped or refused).
    std::function<std::optional<EngineCall>(int index)> start;
    // The seconds done of each running task, at its first report and then about twice a second.
    // Answering true stops every running engine call.
    std::function<bool(const std::vector<std::pair<int, double>>& running)> tick;
    std::function<void(int index, const EngineOutcome& outcome)> finish;
};

// One engine call on the calling thread: `progress` gets the seconds done as the engine reports
// them, and the call stops once `stopped` answers true. Several threads may each run one at once.
EngineOutcome CallEngine(EngineCall call, const std::function<void(double seconds)>& progress,
                         const std::function<bool()>& stopped);

// Runs tasks 0 to count - 1 in order, at most `jobs` engine calls at a time.
void RunTasks(int count, int jobs, const SchedulerHooks& hooks);

// How many engine calls keep `processors` busy without oversubscribing them: each task costs the
// processors its output's pixel rate needs (an audio-only task one), and the costliest task of
// the run decides, so that an HD encode runs alone and small or audio tasks run side by side.
int AutomaticJobs(const std::vector<ConversionTask>& tasks, int processors);

// The processors one task's engine call keeps busy, from 1 up to `processors`.
int TaskProcessorCost(const ConversionTask& task, int processors);

} // namespace reelvane
