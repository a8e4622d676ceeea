#include "reelvane/conversion/conversion_driver.h"

#include "platform/processor_count.h"
#include "platform/program_folder.h"
#include "reelvane/conversion/argument_builder.h"
#include "reelvane/conversion/audio_layout.h"
#include "reelvane/conversion/checked_format.h"
#include "reelvane/conversion/disc_output.h"
#include "reelvane/conversion/output_paths.h"
#include "reelvane/conversion/post_process.h"
#include "reelvane/conversion/run_status.h"
#include "reelvane/conversion/source_chapters.h"
#include "reelvane/conversion/stream_copy_rules.h"
#include "reelvane/frame/language_table.h"
#include "reelvane/tasks/task_rules.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <optional>
#include <set>

namespace reelvane {
namespace fs = std::filesystem;
namespace {

constexpr char kTitle[] = "Reelvane";

std::string RunText(const char* key, const char* builtin)
{
    return LookupText("RUN_INFO", key, builtin);
}

// Fills the "%s" and "%d" directives of a language text in order.
std::string BaseName(const std::string& path)
{
    return fs::path(path).stem().string();
}

// Why a profile's output type cannot name an output, or nothing.
std::string TypeProblem(const std::string& type)
{
    return IsPlainExtension(type)
               ? std::string()
               : FillText(RunText("strTargetTypeInfo", "the output type \"%s\" is not a plain file extension"), {type});
}

// The joined track is each source's first audio stream: its language where they all say the same.
std::string MergedLanguage(const std::vector<ConversionTask>& tasks)
{
    std::string language;
    for (std::size_t t = 0; t < tasks.size(); ++t) {
        const ProbedSource& probed = tasks[t].probed;
        std::string own;
        for (std::size_t i = 0; i < probed.streams.size(); ++i)
            if (probed.streams[i].kind == VEXEN_KIND_AUDIO) {
                const StreamFacts* facts = FactsOfStream(probed, static_cast<int>(i));
                own = facts ? facts->language : "";
                break;
            }
        if (t > 0 && own != language)
            return {};
        language = own;
    }
    return language;
}

} // namespace

int RunSummary::Count(TaskState state) const
{
    return static_cast<int>(
        std::count_if(tasks.begin(), tasks.end(), [state](const TaskReport& t) { return t.state == state; }));
}

bool RunSummary::Succeeded() const
{
    return started && !cancelled && Count(TaskState::Finished) == static_cast<int>(tasks.size()) && discOk &&
           postProcessOk;
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
    languagesToAuthor_.clear();
    outputChapters_.clear();
    writtenOutputs_.clear();
    currentOutput_.clear();

    double estimated = 0.0;
    for (const ConversionTask& task : request.tasks)
        estimated += EstimatedSizeMegabytes(task);
    if (auto problem = DiscSizeProblem(ProfileFileName(request.currentProfile.iniPath), request.sharedProfile,
                                       request.splitChoice, estimated)) {
        observer_.ShowMessage("lumo", *problem);
        return summary;
    }

    for (const ConversionTask& task : request.tasks) {
        if (auto problem = AudioTrackProblem(task.settings, task.probed)) {
            observer_.ShowMessage(kTitle, *problem);
            return summary;
        }
    }

    converting_ = true;
    // What killed runs left in the folders this run writes to.
    std::set<std::string> folders{request.outputFolder};
    for (const ConversionTask& task : request.tasks)
        if (IsPlainExtension(task.settings.TargetType))
            folders.insert(fs::path(task.destinationPath).parent_path().string());
    for (const std::string& folder : folders)
        RemoveStalePartials(folder);
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

int ConversionDriver::JobsFor(const RunRequest& request) const
{
    if (request.jobs == kAutomaticJobs)
        return AutomaticJobs(request.tasks, platform::UsableProcessorCount());
    return std::max(request.jobs, 1);
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
    split.sharedProfile = sharedProfile;

    taskCount_ = static_cast<int>(tasks.size());
    runSeconds_ = 0.0;
    for (const ConversionTask& task : tasks)
        runSeconds_ += ConvertedSeconds(task);
    runSecondsBefore_ = 0.0;
    // Each task's split size is what the tasks before it left of the medium: one at a time then.
    const bool budgeted = countKilobytes && sharedProfile && request.splitChoice != kNoSplit;
    const int jobs = budgeted ? 1 : JobsFor(request);
    sideBySide_ = jobs > 1;

    std::set<std::string> taken; // the names of earlier tasks, as the list showed them
    std::vector<TaskReport> reports(tasks.size());
    std::vector<std::string> authored(tasks.size());
    std::vector<std::vector<std::string>> authoredLanguages(tasks.size());
    std::vector<std::vector<StreamDecision>> plans(tasks.size());
    auto end = [&](int index, TaskReport report) {
        ConversionTask& task = tasks[static_cast<std::size_t>(index)];
        report.taskIndex = index;
        report.source = task.sourcePath;
        report.streams = plans[static_cast<std::size_t>(index)];
        if (report.state == TaskState::Finished) {
            task.destinationPath = currentOutput_ = report.output;
            if (runBurnType_ == task.settings.BurnType) {
                authored[static_cast<std::size_t>(index)] = report.output;
                authoredLanguages[static_cast<std::size_t>(index)] = OutputAudioLanguages(task.probed, task.settings);
                if (report.output != task.sourcePath)
                    outputChapters_[report.output] = OutputChapters(task);
            }
            if (report.output != task.sourcePath)
                PostProcess(task.settings, request.programFolder, report, summary);
            if (countKilobytes && sharedProfile) {
                std::error_code ec;
                auto size = fs::file_size(report.output, ec);
                split.writtenKilobytes += ec ? 0 : static_cast<int64_t>(size / 1024);
            }
        }
        reports[static_cast<std::size_t>(index)] = report;
        observer_.TaskFinished(report);
        runSecondsBefore_ += ConvertedSeconds(task);
        if (report.state == TaskState::Cancelled)
            summary.cancelled = true;
        else if (sideBySide_)
            ShowRunStatus(RunPercent());
        else
            StatusUpdate(100);
    };

    SchedulerHooks hooks;
    hooks.start = [&](int index) -> std::optional<EngineCall> {
        ConversionTask& task = tasks[static_cast<std::size_t>(index)];
        if (observer_.CancelRequested()) {
            TaskReport skipped{index, task.sourcePath, {}, TaskState::NotStarted, {}, {}};
            reports[static_cast<std::size_t>(index)] = skipped;
            observer_.TaskFinished(skipped);
            return std::nullopt;
        }
        if (runBurnType_.empty())
            runBurnType_ = task.settings.BurnType;
        PerFileTask input{task.settings,  task.probed,    task.sourcePath, {},           task.subtitlePath,
                          task.fromStart, task.trimStart, task.toEnd,      task.trimEnd, request.copyFitting};
        input.subtitleTracks = task.subtitleTracks;
        if (AuthorsFromSource(input, split, runBurnType_)) {
            plans[static_cast<std::size_t>(index)] = PlanStreams(input, true, CopyTarget::DiscAuthor).streams;
            end(index, {index, task.sourcePath, task.sourcePath, TaskState::Finished, {}, {}});
            return std::nullopt;
        }
        const std::string baseName = BaseName(task.sourcePath);
        std::string nameProblem = TypeProblem(task.settings.TargetType);
        const std::optional<std::string> destination =
            nameProblem.empty() ? UniqueOutputPath(task.destinationPath, baseName, nameProblem, taken) : std::nullopt;
        std::optional<std::string> partial;
        if (destination) {
            task.destinationPath = *destination;
            taken.insert(task.destinationPath);
            partial = PartialOutputPath(task.destinationPath, nameProblem);
        }
        currentOutput_ = task.destinationPath;
        if (!partial) {
            end(index, NameFailure(task.destinationPath, nameProblem));
            return std::nullopt;
        }
        if (!PathFitsEngine(*partial) || !PathFitsEngine(task.sourcePath)) {
            TaskReport refused;
            refused.state = TaskState::Failed;
            refused.message =
                FillText(RunText("strPathTooLongInfo", "The path is too long for the conversion engine: %s"),
                         {PathFitsEngine(task.sourcePath) ? task.destinationPath : task.sourcePath});
            observer_.ShowMessage(kTitle, refused.message);
            end(index, refused);
            return std::nullopt;
        }
        reserved_.insert(task.destinationPath);
        input.destinationPath = *partial;
        plans[static_cast<std::size_t>(index)] = PlanStreams(input, request.copyFitting).streams;
        EngineArguments arguments = BuildPerFileArguments(input, split);
        progressStart_ = Clock::now();
        running_[index] = {*partial, task.destinationPath, baseName, task.probed.mediaInfo.duration * 1e-6,
                           0.0,      progressStart_};
        observer_.TaskStarted(index);
        return EngineCall{std::move(arguments), task.usePlatformReader};
    };
    hooks.tick = [this](const std::vector<std::pair<int, double>>& states) { return Tick(states); };
    hooks.finish = [&](int index, const EngineOutcome& outcome) {
        TaskReport report = Commit(running_[index], outcome);
        running_.erase(index);
        end(index, report);
    };
    RunTasks(taskCount_, jobs, hooks);

    summary.tasks = reports;
    for (std::size_t i = 0; i < authored.size(); ++i)
        if (!authored[i].empty()) {
            outputsToAuthor_.push_back(authored[i]);
            languagesToAuthor_.push_back(authoredLanguages[i]);
        }
    summary.cancelled = summary.cancelled || observer_.CancelRequested();
}

bool ConversionDriver::AuthorsFromSource(const PerFileTask& task, const SplitRule& split,
                                         const std::string& burnType) const
{
    const ProfileSettings& s = task.settings;
    if (!task.copyFitting || (burnType != "BLURAY" && burnType != "AVCHD") || burnType != s.BurnType ||
        !DiscAuthorReads(task.probed))
        return false;
    const StreamPlan plan = PlanStreams(task, true, CopyTarget::DiscAuthor);
    // The author takes every stream it knows: the source must hold only the chosen ones.
    std::size_t authorable = 0;
    for (const StreamInfo& stream : task.probed.streams)
        authorable += stream.kind != VEXEN_KIND_ATTACHMENT;
    if (!plan.CopiesEverything() || plan.streams.size() != authorable)
        return false;
    // A split size the source exceeds needs the engine to cut it.
    PerFileTask probe = task;
    probe.destinationPath = "/dev/null";
    const EngineArguments arguments = BuildPerFileArguments(probe, split);
    for (std::size_t i = 0; i + 1 < arguments.size(); ++i) {
        if (arguments[i] != "-fs")
            continue;
        std::error_code ec;
        const auto size = fs::file_size(task.sourcePath, ec);
        if (ec || static_cast<double>(size) > std::strtod(arguments[i + 1].c_str(), nullptr) * 1024)
            return false;
    }
    return true;
}

void ConversionDriver::RunMerged(RunRequest& request, RunSummary& summary)
{
    sideBySide_ = false;
    const ProfileSettings& current = request.currentProfile;
    std::vector<MergedInput> inputs;
    runSeconds_ = 0.0;
    bool fits = true;
    for (const ConversionTask& task : request.tasks) {
        inputs.push_back({task.sourcePath, task.usePlatformReader, &task.probed});
        runSeconds_ += ConvertedSeconds(task);
        fits = fits && PathFitsEngine("&new &dshow &file " + task.sourcePath);
    }
    SplitRule split;
    split.runChoice = split.currentChoice = request.splitChoice;
    split.customMegabytes = request.customSplitMegabytes;
    split.currentProfilePath = current.iniPath;
    split.perFileRun = false;

    EngineArguments arguments = BuildMergedArguments(inputs, current, split, request.outputFolder, CompoundNumber());
    std::string destination = arguments.entries().back();
    std::string nameProblem = TypeProblem(current.TargetType);
    const std::optional<std::string> free =
        nameProblem.empty() ? UniqueOutputPath(destination, BaseName(destination), nameProblem) : std::nullopt;
    std::optional<std::string> partial;
    if (free) {
        destination = *free;
        partial = PartialOutputPath(destination, nameProblem);
    }
    currentOutput_ = destination;
    runBurnType_ = current.BurnType;
    taskCount_ = 1;
    runSecondsBefore_ = 0.0;

    TaskReport report;
    if (!partial) {
        report = NameFailure(destination, nameProblem);
    } else if (!fits || !PathFitsEngine(*partial)) {
        report.state = TaskState::Failed;
        report.message = FillText(RunText("strPathTooLongInfo", "The path is too long for the conversion engine: %s"),
                                  {destination});
        observer_.ShowMessage(kTitle, report.message);
    } else {
        arguments.SetPath(arguments.size() - 1, *partial);
        SchedulerHooks hooks;
        hooks.start = [&](int) -> std::optional<EngineCall> {
            progressStart_ = Clock::now();
            running_[0] = {*partial, destination, BaseName(destination), runSeconds_, 0.0, progressStart_};
            observer_.TaskStarted(0);
            return EngineCall{std::move(arguments), 0};
        };
        hooks.tick = [this](const std::vector<std::pair<int, double>>& states) { return Tick(states); };
        hooks.finish = [&](int, const EngineOutcome& outcome) {
            report = Commit(running_[0], outcome);
            running_.clear();
        };
        RunTasks(1, 1, hooks);
    }
    for (const ConversionTask& task : request.tasks)
        report.source += (report.source.empty() ? "" : "\n") + task.sourcePath;
    if (report.state == TaskState::Finished) {
        currentOutput_ = report.output;
        outputsToAuthor_.push_back(report.output);
        languagesToAuthor_.push_back(current.bDisableAudio ? std::vector<std::string>()
                                                           : std::vector<std::string>{MergedLanguage(request.tasks)});
        PostProcess(current, request.programFolder, report, summary);
        StatusUpdate(100);
    }
    summary.cancelled = report.state == TaskState::Cancelled || observer_.CancelRequested();
    summary.tasks.push_back(report);
    observer_.TaskFinished(report);
}

TaskReport ConversionDriver::Commit(const EngineTask& task, const EngineOutcome& outcome)
{
    reserved_.erase(task.destination);
    TaskReport report;
    std::error_code ec;
    if (observer_.CancelRequested() || outcome.result == 1) {
        fs::remove(task.partial, ec);
        report.state = TaskState::Cancelled;
        return report;
    }
    if (outcome.result == 0 && fs::is_regular_file(task.partial, ec)) {
        if (auto final = CommitOutput(task.partial, task.destination, task.baseName, reserved_)) {
            report.state = TaskState::Finished;
            report.output = *final;
            writtenOutputs_.push_back(*final);
            if (!outcome.messages.empty())
                observer_.ShowMessage(kTitle, outcome.messages);
            return report;
        }
    }
    fs::remove(task.partial, ec);
    report.state = TaskState::Failed;
    report.message = FillText(RunText("strTaskFailedInfo", "The conversion of %s failed."), {task.destination}) +
                     (outcome.messages.empty() ? "" : "\n" + outcome.messages);
    observer_.ShowMessage(kTitle, report.message);
    return report;
}

TaskReport ConversionDriver::NameFailure(const std::string& destination, const std::string& problem)
{
    TaskReport report;
    report.state = TaskState::Failed;
    report.message =
        FillText(RunText("strOutputNameInfo", "No output name can be made for %s: %s"), {destination, problem});
    observer_.ShowMessage(kTitle, report.message);
    return report;
}

void ConversionDriver::PostProcess(const ProfileSettings& settings, const std::string& programFolder,
                                   TaskReport& report, RunSummary& summary)
{
    if (auto problem = RunPostProcess(settings, programFolder, report.output)) {
        summary.postProcessOk = false;
        report.message = *problem;
        observer_.ShowMessage(kTitle, *problem);
    }
}

bool ConversionDriver::Tick(const std::vector<std::pair<int, double>>& states)
{
    auto elapsed = [](Clock::time_point since) {
        return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - since).count();
    };
    for (const auto& [index, seconds] : states)
        running_[index].seconds = seconds;
    const int runPercent = RunPercent();
    for (const auto& [index, seconds] : states) {
        const EngineTask& task = running_[index];
        int percent = task.divisorSeconds > 0 ? static_cast<int>(seconds * 100 / task.divisorSeconds) : 0;
        percent = std::clamp(percent, 0, 100);
        currentOutput_ = task.destination;
        if (!sideBySide_)
            StatusUpdate(percent);

        RunProgress progress;
        progress.taskIndex = index;
        progress.taskCount = taskCount_;
        progress.taskPercent = percent;
        progress.taskMillisecondsLeft = TimeLeftMilliseconds(elapsed(task.start), percent);
        progress.runPercent = runSeconds_ > 0 ? runPercent : percent;
        progress.runMillisecondsLeft = TimeLeftMilliseconds(elapsed(runStart_), progress.runPercent);
        progress.output = task.destination;
        observer_.ShowProgress(progress);
    }
    if (sideBySide_)
        ShowRunStatus(runPercent);
    observer_.Pump();
    return observer_.CancelRequested();
}

int ConversionDriver::RunPercent() const
{
    double done = runSecondsBefore_;
    for (const auto& [index, task] : running_)
        done += std::min(task.seconds, task.divisorSeconds);
    return runSeconds_ > 0 ? std::clamp(static_cast<int>(done * 100 / runSeconds_), 0, 100) : 0;
}

void ConversionDriver::ShowRunStatus(int percent)
{
    if (percent < 1) {
        observer_.ShowStatus(0, LookupText("MAIN_DLG", "strStartConvertingInfo", "Start converting"));
        return;
    }
    const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - runStart_).count();
    observer_.ShowStatus(percent, ProgressLine(percent, TimeLeftMilliseconds(elapsed, percent),
                                               DestinationTail(currentOutput_)));
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
        DiscJob job{runBurnType_,    outputsToAuthor_,   folder,         currentOutput_, request.programFolder,
                    writtenOutputs_, languagesToAuthor_, outputChapters_};
        discPhase_ = true;
        DiscResult disc = RunDiscOutput(job, observer_,
                                        [this](int percent, const std::string& text) { StatusUpdate(percent, text); });
        discPhase_ = false;
        summary.discOk = disc.ok;
        summary.discResult = disc.result;
        summary.cancelled = disc.cancelled;
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
