#pragma once
// Connects the main window to a conversion run on its own thread: Convert starts a RunWorker
// with copies of the tasks, its queued signals drive the window, and the window's Cancel and
// answers go back to it.

#include <QObject>
#include <QPointer>

#include <string>

class QThread;

namespace reelvane {

class MainWindow;
class RunWorker;
class WindowHost;

class RunController : public QObject {
    Q_OBJECT
public:
    RunController(MainWindow& window, WindowHost& host, std::string programFolder);
    ~RunController() override;

    bool running() const { return thread_ != nullptr; }

signals:
    // After the window is back to idle: the run's outcome, for whoever watches (tests, notes).
    void runEnded(bool succeeded, int finishedTasks, int failedTasks, bool cancelled);

private:
    void Start();
    void Finish(bool succeeded, int finishedTasks, int failedTasks, bool cancelled);

    MainWindow& window_;
    WindowHost& host_;
    std::string programFolder_;
    QThread* thread_ = nullptr;
    QPointer<RunWorker> worker_;
};

} // namespace reelvane
