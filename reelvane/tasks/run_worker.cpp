#include "reelvane/tasks/run_worker.h"

#include "reelvane/conversion/run_status.h"
#include "reelvane/tasks/desktop_session.h"

namespace reelvane {
namespace {

QString Text(const std::string& text)
{
    return QString::fromStdString(text);
}

} // namespace

RunWorker::RunWorker(RunRequest request, QObject* parent) : QObject(parent), request_(std::move(request))
{
    qRegisterMetaType<TaskState>();
    if (request_.merge && request_.tasks.size() >= 2)
        mergedRows_ = static_cast<int>(request_.tasks.size());
}

std::pair<int, int> RunWorker::RowsOf(int taskIndex) const
{
    return mergedRows_ ? std::pair(0, mergedRows_) : std::pair(taskIndex, taskIndex + 1);
}

void RunWorker::Run()
{
    RunSummary& summary = summary_;
    {
        SleepInhibitor awake(QStringLiteral("Converting videos"));
        ConversionDriver driver(*this);
        summary = driver.Run(std::move(request_));
    }
    const int finishedTasks = summary.Count(TaskState::Finished);
    if (summary.started && !windowActive_)
        NotifyDesktop(QStringLiteral("Reelvane"),
                      Text(RunSummaryText(finishedTasks, summary.Count(TaskState::Failed))));
    emit finished(summary.Succeeded(), finishedTasks, summary.Count(TaskState::Failed), summary.cancelled,
                  Text(summary.discResult));
}

void RunWorker::RequestCancel()
{
    cancel_ = true;
    QMutexLocker lock(&mutex_);
    answered_.wakeAll();
}

void RunWorker::AnswerQuestion(bool yes)
{
    QMutexLocker lock(&mutex_);
    answer_ = yes;
    answered_.wakeAll();
}

void RunWorker::SetWindowActive(bool active)
{
    windowActive_ = active;
}

void RunWorker::ShowStatus(int percent, const std::string& text)
{
    emit statusChanged(percent, Text(text));
}

void RunWorker::ShowMessage(const std::string& caption, const std::string& text)
{
    emit messageShown(Text(caption), Text(text));
}

bool RunWorker::AskYesNo(const std::string& caption, const std::string& question)
{
    QMutexLocker lock(&mutex_);
    answer_.reset();
    // A cancelled run asks nothing: nobody would be waiting for the answer.
    if (cancel_)
        return false;
    waiting_ = true;
    emit questionAsked(Text(caption), Text(question));
    while (!answer_ && !cancel_)
        answered_.wait(&mutex_);
    waiting_ = false;
    return answer_.value_or(false);
}

void RunWorker::ShowProgress(const RunProgress& p)
{
    emit progressChanged(p.taskIndex, p.taskCount, p.taskPercent, p.taskMillisecondsLeft, p.runPercent,
                         p.runMillisecondsLeft);
    int& last = lastPercent_.try_emplace(p.taskIndex, -1).first->second;
    if (p.taskPercent == last)
        return;
    last = p.taskPercent;
    const auto [first, end] = RowsOf(p.taskIndex);
    for (int row = first; row < end; ++row)
        emit taskProgress(row, p.taskPercent);
}

void RunWorker::TaskStarted(int taskIndex)
{
    lastPercent_.erase(taskIndex);
    const auto [first, end] = RowsOf(taskIndex);
    for (int row = first; row < end; ++row)
        emit taskStarted(row);
}

void RunWorker::TaskFinished(const TaskReport& report)
{
    const auto [first, end] = RowsOf(report.taskIndex);
    for (int row = first; row < end; ++row)
        emit taskFinished(row, report.state, Text(report.output), Text(report.message));
}

void RunWorker::DiscPhase(bool active)
{
    emit discPhaseChanged(active);
}

void RunWorker::ShowOutput(const std::string& path)
{
    emit outputReady(Text(path));
}

} // namespace reelvane
