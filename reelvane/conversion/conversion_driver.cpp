#include "reelvane/conversion/conversion_driver.h"

#include "adapters/vexen/vexen.h"
#include "platform/debug_output.h"
#include "platform/program_folder.h"
#include "reelvane/conversion/argument_builder.h"
#include "reelvane/conversion/checked_format.h"
#include "reelvane/conversion/disc_output.h"
#include "reelvane/conversion/output_paths.h"
#include "reelvane/conversion/post_process.h"
#include "reelvane/conversion/run_status.h"
#include "reelvane/frame/language_table.h"
#include "reelvane/tasks/task_rules.h"

#include <algorithm>
#include <filesystem>

namespace reelvane {
namespace fs = std::filesystem;
namespace {

constexpr char kTitle[] = "Reelvane";
constexpr auto kProgressInterval = std::chrono::milliseconds(500);

// The engine calls back through a plain function pointer on the thread that called it.
thread_local ConversionDriver* activeDriver = nullptr;

int32_t EngineCallback(const char* message, double value)
{
    return activeDriver ? activeDriver->OnEngineProgress(message, value) : 0;
}

std::string RunText(const char* key, const char* builtin)
{
    return LookupText("RUN_INFO", key, builtin);
}

// Fills the "%s" and "%d" directives of a language text in order.
std::string BaseName(const std::string& path)
{
    return fs::path(path).stem().string();
}

class ActiveDriver {
public:
    explicit ActiveDriver(ConversionDriver* driver) : previous_(activeDriver) { activeDriver = driver; }
    ~ActiveDriver() { activeDriver = previous_; }

private:
    ConversionDriver* previous_;
};

} // namespace

int RunSummary::Count(TaskState state) const
{
    return static_cast<int>(
        std::count_if(tasks.begin(), tasks.end(), [state](const TaskReport& t) { return t.state == state; }));
}

bool RunSummary::Succeeded() const
{
    return started && !cancelled && Count(TaskState::Finished) == static_cast<int>(tasks.size()) && discOk;
}

RunSummary ConversionDriver::Run(RunRequest request)
{
    RunSummary summary;
    if (converting_)
        return summary;
    if (request.programFolder.empty())
        request.programFolder = platform::ProgramFolder();
    runBurnType_.clear();
    outputsToAuthor_.clear();
    currentOutput_.clear();

    double estimated = 0.0;
    for (const ConversionTask& task : request.tasks)
        estimated += EstimatedSizeMegabytes(task);
    if (auto problem = DiscSizeProblem(ProfileFileName(request.currentProfile.iniPath), request.sharedProfile,
                                       request.splitChoice, estimated)) {
        observer_.ShowMessage("lumo", *problem);
        return summary;
    }

    converting_ = true;
    runStart_ = Clock::now();
    StatusUpdate(0);
    if (request.tasks.size() >= 2 && request.merge) {
        if (auto problem = MergeProblem(request.tasks)) {
            observer_.ShowMessage(kTitle, *problem);
            converting_ = false;
            StatusUpdate(0);
            return summary;
        }
        summary.started = true;
        RunMerged(request, summary);
    } else {
        summary.started = true;
        RunPerFile(request, summary);
    }
    EndOfRun(request, summary);
    converting_ = false;
    return summary;
}

void ConversionDriver::RunPerFile(RunRequest& request, RunSummary& summary)
{
    std::vector<ConversionTask>& tasks = request.tasks;
    bool& sharedProfile = summary.sharedProfile;
    for (std::size_t i = 0; i + 1 < tasks.size(); ++i)
        if (std::string(tasks[i].settings.iniPath) != tasks[i + 1].settings.iniPath)
            sharedProfile = false;
    const bool countKilobytes = CountsWrittenKilobytes(ProfileFileName(request.currentProfile.iniPath));

    SplitRule split;
    split.runChoice = split.currentChoice = request.splitChoice;
    split.customMegabytes = request.customSplitMegabytes;
    split.currentProfilePath = request.currentProfile.iniPath;
    split.perFileRun = true;

    taskCount_ = static_cast<int>(tasks.size());
    runSeconds_ = 0.0;
    for (const ConversionTask& task : tasks)
        runSeconds_ += ConvertedSeconds(task);
    runSecondsBefore_ = 0.0;

    std::vector<std::string> taken; // the names of earlier tasks, as the list showed them
    for (std::size_t i = 0; i < tasks.size(); ++i) {
        ConversionTask& task = tasks[i];
        taskIndex_ = static_cast<int>(i);
        if (observer_.CancelRequested()) {
            TaskReport skipped{taskIndex_, task.sourcePath, {}, TaskState::NotStarted, {}};
            summary.tasks.push_back(skipped);
            observer_.TaskFinished(skipped);
            continue;
        }
        const std::string baseName = BaseName(task.sourcePath);
        task.destinationPath = UniqueOutputPath(task.destinationPath, baseName, taken);
        taken.push_back(task.destinationPath);
        currentOutput_ = task.destinationPath;
        if (runBurnType_.empty())
            runBurnType_ = task.settings.BurnType;

        const std::string partial = PartialOutputPath(task.destinationPath);
        TaskReport report;
        if (!PathFitsEngine(partial) || !PathFitsEngine(task.sourcePath)) {
            report.state = TaskState::Failed;
            report.message =
                FillText(RunText("strPathTooLongInfo", "The path is too long for the conversion engine: %s"),
                         {PathFitsEngine(task.sourcePath) ? task.destinationPath : task.sourcePath});
            observer_.ShowMessage(kTitle, report.message);
        } else {
            split.sharedProfile = sharedProfile;
            PerFileTask input{task.settings,  task.probed,    task.sourcePath, partial,     task.subtitlePath,
                              task.fromStart, task.trimStart, task.toEnd,      task.trimEnd};
            EngineArguments arguments = BuildPerFileArguments(input, split);
            divisorSeconds_ = task.probed.mediaInfo.duration * 1e-6;
            observer_.TaskStarted(taskIndex_);
            report = Convert(arguments, partial, task.destinationPath, baseName, task.usePlatformReader);
        }
        report.taskIndex = taskIndex_;
        report.source = task.sourcePath;
        if (report.state == TaskState::Finished) {
            task.destinationPath = currentOutput_ = report.output;
            if (runBurnType_ == task.settings.BurnType)
                outputsToAuthor_.push_back(report.output);
            if (task.settings.PostProcess[0])
                RunPostProcess(task.settings.PostProcess, request.programFolder, report.output);
            if (countKilobytes && sharedProfile) {
                std::error_code ec;
                auto size = fs::file_size(report.output, ec);
                split.writtenKilobytes += ec ? 0 : static_cast<int64_t>(size / 1024);
            }
        }
        summary.tasks.push_back(report);
        observer_.TaskFinished(report);
        runSecondsBefore_ += ConvertedSeconds(task);
        if (report.state == TaskState::Cancelled)
            summary.cancelled = true;
        else
            StatusUpdate(100);
    }
    summary.cancelled = summary.cancelled || observer_.CancelRequested();
}

void ConversionDriver::RunMerged(RunRequest& request, RunSummary& summary)
{
    const ProfileSettings& current = request.currentProfile;
    std::vector<MergedInput> inputs;
    runSeconds_ = 0.0;
    bool fits = true;
    for (const ConversionTask& task : request.tasks) {
        inputs.push_back({task.sourcePath, task.usePlatformReader});
        runSeconds_ += ConvertedSeconds(task);
        fits = fits && PathFitsEngine("&new &dshow &file " + task.sourcePath);
    }
    SplitRule split;
    split.runChoice = split.currentChoice = request.splitChoice;
    split.customMegabytes = request.customSplitMegabytes;
    split.currentProfilePath = current.iniPath;
    split.perFileRun = false;

    EngineArguments arguments = BuildMergedArguments(inputs, current, split, request.outputFolder, CompoundNumber());
    const std::string destination = UniqueOutputPath(arguments.entries().back(), BaseName(arguments.entries().back()));
    currentOutput_ = destination;
    runBurnType_ = current.BurnType;
    const std::string partial = PartialOutputPath(destination);
    taskIndex_ = 0;
    taskCount_ = 1;
    runSecondsBefore_ = 0.0;
    divisorSeconds_ = runSeconds_;

    TaskReport report;
    if (!fits || !PathFitsEngine(partial)) {
        report.state = TaskState::Failed;
        report.message = FillText(RunText("strPathTooLongInfo", "The path is too long for the conversion engine: %s"),
                                  {destination});
        observer_.ShowMessage(kTitle, report.message);
    } else {
        arguments.SetPath(arguments.size() - 1, partial);
        observer_.TaskStarted(0);
        report = Convert(arguments, partial, destination, BaseName(destination), 0);
    }
    for (const ConversionTask& task : request.tasks)
        report.source += (report.source.empty() ? "" : "\n") + task.sourcePath;
    if (report.state == TaskState::Finished) {
        currentOutput_ = report.output;
        outputsToAuthor_.push_back(report.output);
        if (current.PostProcess[0])
            RunPostProcess(current.PostProcess, request.programFolder, report.output);
        StatusUpdate(100);
    }
    summary.cancelled = report.state == TaskState::Cancelled || observer_.CancelRequested();
    summary.tasks.push_back(report);
    observer_.TaskFinished(report);
}

TaskReport ConversionDriver::Convert(EngineArguments& arguments, const std::string& partial,
                                     const std::string& destination, const std::string& baseName,
                                     int32_t usePlatformReader)
{
    platform::DebugOutput(arguments.LogLine());
    engineMessages_.clear();
    firstReport_ = true;
    progressStart_ = Clock::now();

    std::vector<char*> argv = arguments.Argv();
    EnableDshow(usePlatformReader);
    int32_t result;
    {
        ActiveDriver active(this);
        result = ffmain(static_cast<int32_t>(argv.size()), argv.data(), &EngineCallback);
    }
    EnableDshow(0);

    TaskReport report;
    std::error_code ec;
    if (observer_.CancelRequested() || result == 1) {
        fs::remove(partial, ec);
        report.state = TaskState::Cancelled;
        return report;
    }
    if (result == 0 && fs::is_regular_file(partial, ec)) {
        if (auto final = CommitOutput(partial, destination, baseName)) {
            report.state = TaskState::Finished;
            report.output = *final;
            if (!engineMessages_.empty())
                observer_.ShowMessage(kTitle, engineMessages_);
            return report;
        }
    }
    fs::remove(partial, ec);
    report.state = TaskState::Failed;
    report.message = FillText(RunText("strTaskFailedInfo", "The conversion of %s failed."), {destination}) +
                     (engineMessages_.empty() ? "" : "\n" + engineMessages_);
    observer_.ShowMessage(kTitle, report.message);
    return report;
}

int ConversionDriver::OnEngineProgress(const char* message, double value)
{
    if (value > -2 && value < 0 && message && *message)
        engineMessages_ += (engineMessages_.empty() ? "" : "\n") + std::string(message);
    if (value <= -0.0001)
        return 0;
    const Clock::time_point now = Clock::now();
    if (!firstReport_ && now - lastAccepted_ < kProgressInterval)
        return 0;
    firstReport_ = false;
    lastAccepted_ = now;
    ReportProgress(value);
    observer_.Pump();
    return observer_.CancelRequested() ? -1 : 0;
}

void ConversionDriver::ReportProgress(double seconds)
{
    int percent = divisorSeconds_ > 0 ? static_cast<int>(seconds * 100 / divisorSeconds_) : 0;
    percent = std::clamp(percent, 0, 100);
    StatusUpdate(percent);

    RunProgress progress;
    progress.taskIndex = taskIndex_;
    progress.taskCount = taskCount_;
    progress.taskPercent = percent;
    auto elapsed = [](Clock::time_point since) {
        return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - since).count();
    };
    progress.taskMillisecondsLeft = TimeLeftMilliseconds(elapsed(progressStart_), percent);
    double runDone = runSecondsBefore_ + std::min(seconds, divisorSeconds_);
    progress.runPercent = runSeconds_ > 0 ? std::clamp(static_cast<int>(runDone * 100 / runSeconds_), 0, 100) : percent;
    progress.runMillisecondsLeft = TimeLeftMilliseconds(elapsed(runStart_), progress.runPercent);
    progress.output = currentOutput_;
    observer_.ShowProgress(progress);
}

void ConversionDriver::StatusUpdate(int percent, const std::string& text)
{
    const int64_t elapsed =
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - progressStart_).count();
    if (discPhase_) {
        if (percent < 1) {
            progressStart_ = Clock::now();
            return;
        }
        observer_.ShowStatus(percent, ProgressLine(percent, TimeLeftMilliseconds(elapsed, percent), text));
        return;
    }
    if (percent < 1) {
        progressStart_ = Clock::now();
        observer_.ShowStatus(0, LookupText("MAIN_DLG", "strStartConvertingInfo", "Start converting"));
        return;
    }
    observer_.ShowStatus(percent, ProgressLine(percent, TimeLeftMilliseconds(elapsed, percent),
                                               DestinationTail(currentOutput_)));
}

void ConversionDriver::EndOfRun(RunRequest& request, RunSummary& summary)
{
    const int finished = summary.Count(TaskState::Finished);
    for (const TaskReport& task : summary.tasks)
        if (task.state == TaskState::Finished)
            currentOutput_ = task.output;
    if (!summary.cancelled && !runBurnType_.empty() && !outputsToAuthor_.empty()) {
        summary.discStep = true;
        // Without an output folder the disc goes beside the last output, never into the working folder.
        std::string folder =
            request.outputFolder.empty() ? fs::path(currentOutput_).parent_path().string() + "/" : request.outputFolder;
        DiscJob job{runBurnType_, outputsToAuthor_, folder, currentOutput_, request.programFolder};
        discPhase_ = true;
        DiscResult disc = RunDiscOutput(job, observer_,
                                        [this](int percent, const std::string& text) { StatusUpdate(percent, text); });
        discPhase_ = false;
        summary.discOk = disc.ok;
        summary.discResult = disc.result;
    } else if (finished > 0) {
        observer_.ShowOutput(currentOutput_);
    }
    if (summary.cancelled)
        observer_.ShowStatus(0, FillText(RunText("strCancelledInfo", "Cancelled: %d of %d tasks finished"),
                                         {std::to_string(finished), std::to_string(summary.tasks.size())}));
    else
        observer_.ShowStatus(0, {});
}

} // namespace reelvane
