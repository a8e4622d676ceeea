#include "reelvane/tasks/run_controller.h"

#include "reelvane/tasks/main_window.h"
#include "reelvane/tasks/run_worker.h"
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
    RunRequest request;
    TaskList& tasks = window_.tasks();
    for (int i = 0; i < tasks.Count(); ++i)
        request.tasks.push_back(*tasks.Get(i));
    request.currentProfile = window_.currentProfile();
    request.splitChoice = window_.splitChoice().toStdString();
    request.customSplitMegabytes = window_.customSplitMegabytes();
    request.outputFolder = window_.outputFolder();
    request.merge = window_.mergeIntoOne();
    request.programFolder = programFolder_;
    const RunSettings run = window_.runSettings();
    request.jobs = run.jobs;
    request.copyFitting = run.copyFitting;

    thread_ = new QThread(this);
    auto* worker = new RunWorker(std::move(request));
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
        const bool yes = host_.AskYesNo(&window_, question);
        if (worker_)
            worker_->AnswerQuestion(yes);
    });
    connect(worker, &RunWorker::discPhaseChanged, this, [this](bool active) { window_.SetCancelAllowed(!active); });
    connect(worker, &RunWorker::outputReady, this, [this](const QString& path) { host_.ShowInFileManager(path); });
    connect(worker, &RunWorker::finished, this,
            [this](bool succeeded, int finishedTasks, int failedTasks, bool cancelled, const QString&) {
                Finish(succeeded, finishedTasks, failedTasks, cancelled);
            });
    window_.SetConverting(true);
    thread_->start();
}

void RunController::Finish(bool succeeded, int finishedTasks, int failedTasks, bool cancelled)
{
    thread_->quit();
    thread_->wait();
    thread_->deleteLater();
    thread_ = nullptr;
    window_.SetConverting(false);
    emit runEnded(succeeded, finishedTasks, failedTasks, cancelled);
}

} // namespace reelvane
