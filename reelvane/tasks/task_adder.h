#pragma once
// How tasks join the list: files and folders the user picks, files dropped on the list, and the
// tasks of a start that ended without closing. Each new task gets the session's current profile
// and the track preparation before the model takes it.

#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <vector>

namespace reelvane {

class ConversionSession;
struct ConversionTask;
class TaskListStore;
class TaskTableModel;
class WindowHost;

class TaskAdder : public QObject {
    Q_OBJECT
public:
    TaskAdder(TaskTableModel& model, ConversionSession& session, TaskListStore& recovery, WindowHost& host,
              QWidget* window);

    void SetTrackPreparation(std::function<void(ConversionTask&)> prepare) { prepareTracks_ = std::move(prepare); }

    // Adds one file as a task; its row, or -1.
    int AddFile(const QString& path);
    // Adds tasks already made from their files in one batch; the last row, or -1.
    int AddNewTasks(std::vector<std::unique_ptr<ConversionTask>> tasks);
    // Adds files as one batch.
    void AddFiles(const QStringList& paths);
    void ChooseFiles();
    void ChooseFolder();
    // Of dropped paths only the accepted kinds of files are added.
    void AddDropped(const QStringList& paths);
    // Offers the saved tasks of a start that ended without closing; the file goes once answered.
    void OfferRecovery();

signals:
    // A batch was added (or tried); the last new row, or -1.
    void tasksAdded(int lastRow);
    // A folder's files were found; they are probed off the window's thread, not here.
    void folderScanned(const QStringList& files);

private:
    TaskTableModel& model_;
    ConversionSession& session_;
    TaskListStore& recovery_;
    WindowHost& host_;
    QWidget* window_;
    QString rememberedFolder_;
    std::function<void(ConversionTask&)> prepareTracks_;
};

} // namespace reelvane
