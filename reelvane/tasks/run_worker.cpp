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
}

void RunWorker::Run()
{
    RunSummary summary;
    {
        SleepInhibitor awake(QStringLiteral("Converting videos"));
        ConversionDriver driver(*this);
        summary = driver.Run(std::move(request_));
    }
    const int finishedTasks = summary.Count(TaskState::Finished);
    if (summary.started && !windowActive_)
        NotifyDesktop(QStringLiteral("Reelvane"),
                      Text(RunFinishedText(finishedTasks, static_cast<int>(summary.tasks.size()))));
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
    emit questionAsked(Text(caption), Text(question));
    while (!answer_ && !cancel_)
        answered_.wait(&mutex_);
    return answer_.value_or(false);
}

void RunWorker::ShowProgress(const RunProgress& p)
{
    emit progressChanged(p.taskIndex, p.taskCount, p.taskPercent, p.taskMillisecondsLeft, p.runPercent,
                         p.runMillisecondsLeft);
}

void RunWorker::TaskFinished(const TaskReport& report)
{
    emit taskFinished(report.taskIndex, static_cast<int>(report.state), Text(report.output), Text(report.message));
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
