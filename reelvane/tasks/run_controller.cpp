#include "reelvane/tasks/run_controller.h"

#include "reelvane/tasks/main_window.h"
#include "reelvane/conversion/run_status.h"
#include "reelvane/tasks/run_worker.h"
#include "reelvane/tasks/task_table_model.h"
#include "reelvane/tasks/window_host.h"

#include <QThread>

namespace reelvane {

RunController::RunController(MainWindow& window, WindowHost& host, std::string programFolder)
    : QObject(&window), window_(window), host_(host), programFolder_(std::move(programFolder))
{
    connect(&window_, &MainWindow::convertRequested, this, &RunController::Start);
    // The worker is blocked in the engine: the flag is set directly, never queued to it.
    connect(&window_, &MainWindow::cancelRequested, this, [this] {
        if (worker_)
            worker_->RequestCancel();
    });
}

RunController::~RunController()
{
    if (!thread_)
        return;
    worker_->RequestCancel();
    thread_->quit();
    thread_->wait();
}

void RunController::Start()
{
    if (running())
        return;
    thread_ = new QThread(this);
    // The settings menu's choices as they are now.
    window_.session().SetRunSettings(window_.runSettings());
    auto* worker = new RunWorker(window_.session().BuildRunRequest(window_.tasks(), programFolder_));
    worker_ = worker;
    worker->moveToThread(thread_);
    connect(thread_, &QThread::started, worker, &RunWorker::Run);
    connect(thread_, &QThread::finished, worker, &QObject::deleteLater);
    connect(worker, &RunWorker::statusChanged, this, [this](int percent, const QString& text) {
        worker_->SetWindowActive(window_.isActiveWindow());
        window_.ShowRunStatus(percent, text);
    });
    connect(worker, &RunWorker::messageShown, this,
            [this](const QString&, const QString& text) { host_.ShowMessage(&window_, text); });
    connect(worker, &RunWorker::questionAsked, this, [this](const QString&, const QString& question) {
        if (!worker_ || !worker_->waitingForAnswer())
            return;
        const bool yes = host_.AskYesNo(&window_, question);
        if (worker_)
            worker_->AnswerQuestion(yes);
    });
    TaskTableModel* model = window_.taskModel();
    connect(worker, &RunWorker::taskStarted, model, &TaskTableModel::ShowTaskStarted);
    connect(worker, &RunWorker::taskProgress, model, &TaskTableModel::ShowTaskProgress);
    connect(worker, &RunWorker::taskFinished, model,
            [model](int row, TaskState state, const QString& output, const QString& message) {
                model->ShowTaskFinished(row, state, output.toStdString(), message.toStdString());
            });
    connect(worker, &RunWorker::discPhaseChanged, this, [this](bool active) { window_.SetCancelAllowed(!active); });
    connect(worker, &RunWorker::outputReady, this, [this](const QString& path) { host_.ShowInFileManager(path); });
    connect(worker, &RunWorker::finished, this,
            [this](bool succeeded, int finishedTasks, int failedTasks, bool cancelled, const QString&) {
                Finish(succeeded, finishedTasks, failedTasks, cancelled);
            });
    window_.SetConverting(true);
    model->StartRun();
    thread_->start();
}

void RunController::Finish(bool succeeded, int finishedTasks, int failedTasks, bool cancelled)
{
    const RunSummary& summary = worker_->summary();
    window_.session().RunEnded(summary);
    const bool started = summary.started;
    thread_->quit();
    thread_->wait();
    thread_->deleteLater();
    thread_ = nullptr;
    window_.taskModel()->EndRun();
    window_.SetConverting(false);
    if (started)
        window_.ShowRunStatus(100, QString::fromStdString(RunSummaryText(finishedTasks, failedTasks)));
    emit runEnded(succeeded, finishedTasks, failedTasks, cancelled);
}

} // namespace reelvane
