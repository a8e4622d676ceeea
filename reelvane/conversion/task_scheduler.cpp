#include "reelvane/conversion/task_scheduler.h"

#include "adapters/vexen/vexen.h"
#include "platform/debug_output.h"
#include "reelvane/conversion/stream_copy_rules.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

namespace reelvane {
namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kTickInterval = std::chrono::milliseconds(500);
constexpr auto kWaitStep = std::chrono::milliseconds(50);
// A 640x480 picture at 15 frames a second keeps about one processor busy encoding.
constexpr double kPixelRatePerProcessor = 640.0 * 480.0 * 15.0;
constexpr double kUnknownFrameRate = 25.0;

struct Shared {
    std::mutex mutex;
    std::condition_variable changed;
    std::atomic<bool> stop{false};
};

struct Job {
    int index = 0;
    EngineCall call;
    Shared* shared = nullptr;
    std::atomic<double> seconds{0.0};
    std::atomic<bool> reported{false};
    bool shownFirst = false;
    bool done = false; // under the shared mutex, with the outcome
    EngineOutcome outcome;
    std::thread thread;
};

// The engine calls back through a plain function pointer on the thread that called it.
struct EngineListener {
    const std::function<void(double)>& progress;
    const std::function<bool()>& stopped;
    EngineOutcome& outcome;
};
thread_local EngineListener* listener = nullptr;

int32_t EngineCallback(const char* message, double value)
{
    EngineListener* to = listener;
    if (!to)
        return 0;
    if (value > -2 && value < 0 && message && *message)
        to->outcome.messages += (to->outcome.messages.empty() ? "" : "\n") + std::string(message);
    if (value >= 0)
        to->progress(value);
    return to->stopped() ? -1 : 0;
}

void RunEngine(Job& job)
{
    platform::DebugOutput(job.call.arguments.LogLine());
    EngineOutcome outcome = CallEngine(
        job.call,
        [&job](double seconds) {
            job.seconds = seconds;
            if (!job.reported.exchange(true))
                job.shared->changed.notify_all();
        },
        [&job] { return job.shared->stop.load(); });
    std::lock_guard lock(job.shared->mutex);
    job.outcome = std::move(outcome);
    job.done = true;
    job.shared->changed.notify_all();
}

} // namespace

EngineOutcome CallEngine(EngineCall call, const std::function<void(double seconds)>& progress,
                         const std::function<bool()>& stopped)
{
    EngineOutcome outcome;
    EngineListener to{progress, stopped, outcome};
    listener = &to;
    std::vector<char*> argv = call.arguments.Argv();
    EnableDshow(call.usePlatformReader);
    outcome.result = ffmain(static_cast<int32_t>(argv.size()), argv.data(), &EngineCallback);
    EnableDshow(0);
    listener = nullptr;
    return outcome;
}

void RunTasks(int count, int jobs, const SchedulerHooks& hooks)
{
    jobs = std::max(jobs, 1);
    Shared shared;
    std::vector<std::unique_ptr<Job>> running;
    Clock::time_point lastTick{};
    int next = 0;
    while (next < count || !running.empty()) {
        while (next < count && static_cast<int>(running.size()) < jobs) {
            const int index = next++;
            std::optional<EngineCall> call = hooks.start(index);
            if (!call)
                continue;
            auto job = std::make_unique<Job>();
            job->index = index;
            job->call = std::move(*call);
            job->shared = &shared;
            try {
                job->thread = std::thread(RunEngine, std::ref(*job));
            } catch (const std::system_error& error) {
                job->outcome = {-1, std::string("The conversion could not be started: ") + error.what()};
                job->done = true;
            }
            running.push_back(std::move(job));
        }
        if (running.empty())
            continue;

        bool firstReport = false;
        {
            std::unique_lock lock(shared.mutex);
            shared.changed.wait_for(lock, kWaitStep, [&] {
                return std::any_of(running.begin(), running.end(),
                                   [](const auto& job) { return job->done || (job->reported && !job->shownFirst); });
            });
            firstReport = std::any_of(running.begin(), running.end(),
                                      [](const auto& job) { return job->reported && !job->shownFirst; });
        }
        if (firstReport || Clock::now() - lastTick >= kTickInterval) {
            std::vector<std::pair<int, double>> states;
            for (auto& job : running) {
                if (!job->reported)
                    continue;
                job->shownFirst = true;
                states.emplace_back(job->index, job->seconds.load());
            }
            if (!states.empty()) {
                lastTick = Clock::now();
                if (hooks.tick(states))
                    shared.stop = true;
            }
        }
        for (auto it = running.begin(); it != running.end();) {
            Job& job = **it;
            bool done;
            {
                std::lock_guard lock(shared.mutex);
                done = job.done;
            }
            if (!done) {
                ++it;
                continue;
            }
            if (job.thread.joinable())
                job.thread.join();
            hooks.finish(job.index, job.outcome);
            it = running.erase(it);
        }
    }
}

int TaskProcessorCost(const ConversionTask& task, int processors)
{
    const ProfileSettings& s = task.settings;
    const bool video = !s.bDisableVideo && task.probed.mediaInfo.videoIndex >= 0;
    if (!video || processors <= 1)
        return 1;
    const FrameSize frame = OutputFrameSize(s);
    double rate = kUnknownFrameRate;
    if (s.bVideoCustomFrameRate && s.nVideoCustomFrameRate > 0)
        rate = s.nVideoCustomFrameRate;
    else if (const StreamFacts* facts = FactsOf(task.probed, task.probed.mediaInfo.videoIndex);
             facts && facts->rateNum > 0 && facts->rateDen > 0)
        rate = static_cast<double>(facts->rateNum) / facts->rateDen;
    const double cost = static_cast<double>(frame.width) * frame.height * rate / kPixelRatePerProcessor;
    return std::clamp(static_cast<int>(cost + 0.999), 1, processors);
}

int AutomaticJobs(const std::vector<ConversionTask>& tasks, int processors)
{
    processors = std::max(processors, 1);
    int costliest = 1;
    for (const ConversionTask& task : tasks)
        costliest = std::max(costliest, TaskProcessorCost(task, processors));
    return std::clamp(processors / costliest, 1, std::max(1, static_cast<int>(tasks.size())));
}

} // namespace reelvane
