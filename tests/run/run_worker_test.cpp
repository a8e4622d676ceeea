// The run on a worker thread, as the window drives it: queued signals, a question answered
// through the slot, and cancel from the window's thread.
#include "reelvane/tasks/run_worker.h"
#include "tests/media/test_media.h"
#include "tests/platform/temp_folder.h"
#include "tests/run/run_test_support.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QThread>
#include <QTimer>
#include <filesystem>
#include <gtest/gtest.h>

using namespace reelvane;
using namespace runtest;
namespace fs = std::filesystem;

namespace {

struct Outcome {
    bool succeeded = false;
    bool cancelled = false;
    int finishedTasks = 0;
    std::vector<int> percents;
    std::vector<QString> questions;
    std::vector<Qt::HANDLE> signalThreads;
    QString output;
};

// Runs the worker on its own thread; `setUp` connects more before it starts.
Outcome RunOnThread(RunRequest request, const std::function<void(RunWorker&, Outcome&)>& setUp = {})
{
    Outcome outcome;
    QThread thread;
    auto* worker = new RunWorker(std::move(request));
    worker->moveToThread(&thread);
    QObject::connect(&thread, &QThread::started, worker, &RunWorker::Run);
    QObject::connect(worker, &RunWorker::statusChanged, qApp, [&](int percent, const QString&) {
        outcome.percents.push_back(percent);
        outcome.signalThreads.push_back(QThread::currentThreadId());
    });
    QObject::connect(worker, &RunWorker::outputReady, qApp, [&](const QString& path) { outcome.output = path; });
    QEventLoop loop;
    QObject::connect(worker, &RunWorker::finished, qApp,
                     [&](bool succeeded, int finishedTasks, int, bool cancelled, const QString&) {
                         outcome.succeeded = succeeded;
                         outcome.finishedTasks = finishedTasks;
                         outcome.cancelled = cancelled;
                         loop.quit();
                     });
    if (setUp)
        setUp(*worker, outcome);
    QTimer::singleShot(120000, &loop, &QEventLoop::quit);
    thread.start();
    loop.exec();
    thread.quit();
    thread.wait();
    delete worker;
    return outcome;
}

RunRequest Request(const std::vector<std::string>& sources, const ProfileSettings& profile, const std::string& folder)
{
    RunRequest request;
    request.tasks = Tasks(sources, profile, folder);
    request.currentProfile = profile;
    request.outputFolder = folder;
    return request;
}

} // namespace

TEST(RunWorker, ConvertsWithProgressToTheEndOnAnotherThread)
{
    TempFolder folder;
    Outcome outcome =
        RunOnThread(Request({testmedia::SizedClipPath(2, 320, 240)}, Profile("mp4.ini", "MP4 Video"), folder.path()));
    EXPECT_TRUE(outcome.succeeded);
    EXPECT_EQ(outcome.finishedTasks, 1);
    ASSERT_FALSE(outcome.percents.empty());
    EXPECT_NE(std::find(outcome.percents.begin(), outcome.percents.end(), 100), outcome.percents.end());
    for (Qt::HANDLE id : outcome.signalThreads) // queued onto the window's thread
        EXPECT_EQ(id, QThread::currentThreadId());
    EXPECT_EQ(outcome.output.toStdString(), folder.path("sized_2s_320x240.mp4"));
}

TEST(RunWorker, CancelFromTheWindowStopsTheRunAndLeavesNoFile)
{
    TempFolder folder;
    ProfileSettings slow = Profile("mp4.ini", "MP4 Video");
    SetText(slow.BeforePara, "-re");
    const std::string clip = testmedia::SizedClipPath(2, 320, 240);
    Outcome outcome = RunOnThread(Request({clip, clip}, slow, folder.path()), [](RunWorker& worker, Outcome&) {
        QObject::connect(&worker, &RunWorker::progressChanged, qApp, [&worker] { worker.RequestCancel(); });
    });
    EXPECT_TRUE(outcome.cancelled);
    EXPECT_EQ(outcome.finishedTasks, 0);
    EXPECT_TRUE(fs::is_empty(folder.path()));
}

TEST(RunWorker, TheBurnerQuestionWaitsForTheWindowsAnswer)
{
    TempFolder folder;
    RunRequest request =
        Request({testmedia::SizedClipPath(2, 320, 240)}, Profile("paldvd.ini", "PAL DVD (720x576)"), folder.path());
    request.splitChoice = "DVD-5 (4.7GB)";
    request.tasks[0].toEnd = 0;
    request.tasks[0].trimEnd = 500000;
    Outcome outcome = RunOnThread(request, [](RunWorker& worker, Outcome& outcome) {
        QObject::connect(&worker, &RunWorker::questionAsked, qApp,
                         [&worker, &outcome](const QString&, const QString& q) {
                             outcome.questions.push_back(q);
                             QTimer::singleShot(200, qApp, [&worker] { worker.AnswerQuestion(false); });
                         });
    });
    EXPECT_TRUE(outcome.succeeded);
    ASSERT_EQ(outcome.questions.size(), 1u);
    EXPECT_TRUE(outcome.questions[0].startsWith("The Discora will automatically start"));
    EXPECT_TRUE(fs::exists(folder.path("sized_2s_320x240.mpg")));
}

TEST(RunWorker, ARunCancelledBeforeItsBurnerQuestionAsksNothing)
{
    TempFolder folder;
    RunRequest request =
        Request({testmedia::SizedClipPath(2, 320, 240)}, Profile("paldvd.ini", "PAL DVD (720x576)"), folder.path());
    request.splitChoice = "DVD-5 (4.7GB)";
    request.tasks[0].toEnd = 0;
    request.tasks[0].trimEnd = 500000;
    Outcome outcome = RunOnThread(request, [](RunWorker& worker, Outcome& outcome) {
        // On the run's own thread, so that the cancel lands before the question.
        QObject::connect(
            &worker, &RunWorker::discPhaseChanged, &worker,
            [&worker](bool active) {
                if (active)
                    worker.RequestCancel();
            },
            Qt::DirectConnection);
        QObject::connect(&worker, &RunWorker::questionAsked, qApp,
                         [&worker, &outcome](const QString&, const QString& q) {
                             outcome.questions.push_back(q);
                             worker.AnswerQuestion(false);
                         });
    });
    EXPECT_TRUE(outcome.questions.empty());
    EXPECT_EQ(outcome.finishedTasks, 1);
}

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
