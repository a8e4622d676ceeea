#pragma once
// Runs a conversion off the window's thread. Move the worker to a QThread, connect the thread's
// started() to Run(), and show what its signals carry (they arrive queued on the window's
// thread). The engine call blocks, so RequestCancel() and AnswerQuestion() are called from the
// window's thread directly (or connected with Qt::DirectConnection): they only set state that
// the worker reads.

#include "reelvane/conversion/conversion_driver.h"
#include "reelvane/tasks/task_state_type.h"

#include <QMutex>
#include <QObject>
#include <QString>
#include <QWaitCondition>
#include <atomic>
#include <map>
#include <optional>

namespace reelvane {

class RunWorker : public QObject, private RunObserver {
    Q_OBJECT
public:
    explicit RunWorker(RunRequest request, QObject* parent = nullptr);

public slots:
    void Run();
    // Escape and the Cancel button: the engine stops at its next progress report.
    void RequestCancel();
    // The window's answer to questionAsked().
    void AnswerQuestion(bool yes);
    // Whether the window is the active one; an inactive window gets a desktop notification at the end.
    void SetWindowActive(bool active);

public:
    // True while the run waits for the answer to its question; a question that arrives after
    // the run stopped waiting (cancelled) is not to be shown.
    bool waitingForAnswer() const { return waiting_ && !cancel_; }
    // The whole outcome, complete once finished() has been emitted.
    const RunSummary& summary() const { return summary_; }

signals:
    void statusChanged(int percent, const QString& text);
    void progressChanged(int taskIndex, int taskCount, int taskPercent, qint64 taskMillisecondsLeft, int runPercent,
                         qint64 runMillisecondsLeft);
    void messageShown(const QString& caption, const QString& text);
    // The run waits until AnswerQuestion() is called (or the run is cancelled, which answers no).
    void questionAsked(const QString& caption, const QString& question);
    // Per row of the list (a merged run reports every row): the engine started on it, how far it
    // is, how it ended. A run of several tasks at once may interleave them.
    void taskStarted(int row);
    void taskProgress(int row, int percent);
    void taskFinished(int row, reelvane::TaskState state, const QString& output, const QString& message);
    // While true the disc libraries run and cannot be cancelled.
    void discPhaseChanged(bool active);
    // At the end of a run without a disc step: the output to show with platform::ShowInFileManager.
    void outputReady(const QString& path);
    void finished(bool succeeded, int finishedTasks, int failedTasks, bool cancelled, const QString& discResult);

private:
    void ShowStatus(int percent, const std::string& text) override;
    void ShowMessage(const std::string& caption, const std::string& text) override;
    bool AskYesNo(const std::string& caption, const std::string& question) override;
    bool CancelRequested() const override { return cancel_; }
    void ShowProgress(const RunProgress& progress) override;
    void TaskStarted(int taskIndex) override;
    void TaskFinished(const TaskReport& report) override;
    // The rows a task index of the run stands for.
    std::pair<int, int> RowsOf(int taskIndex) const;
    void DiscPhase(bool active) override;
    void ShowOutput(const std::string& path) override;

    RunRequest request_;
    RunSummary summary_;
    int mergedRows_ = 0;             // a merged run's one task stands for this many rows
    std::map<int, int> lastPercent_; // by task: several convert side by side
    std::atomic<bool> cancel_{false};
    std::atomic<bool> windowActive_{true};
    std::atomic<bool> waiting_{false};
    QMutex mutex_;
    QWaitCondition answered_;
    std::optional<bool> answer_;
};

} // namespace reelvane
