#include "reelvane/tasks/task_adder.h"

#include "platform/program_folder.h"
#include "reelvane/frame/language_table.h"
#include "reelvane/tasks/conversion_session.h"
#include "reelvane/tasks/task_list_store.h"
#include "reelvane/tasks/task_rules.h"
#include "reelvane/tasks/task_table_model.h"
#include "reelvane/tasks/window_host.h"
#include "reelvane/tasks/window_texts.h"

#include <QApplication>
#include <QWidget>
#include <QFileInfo>

#include <algorithm>

namespace reelvane {
namespace {

class WaitCursor {
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
};

} // namespace

TaskAdder::TaskAdder(TaskTableModel& model, ConversionSession& session, TaskListStore& recovery, WindowHost& host,
                     QWidget* window)
    : QObject(window), model_(model), session_(session), recovery_(recovery), host_(host), window_(window),
      rememberedFolder_(QString::fromStdString(platform::UserVideosFolder()))
{
}

int TaskAdder::AddFile(const QString& path)
{
    if (auto problem = SourceFileProblem(path.toStdString())) {
        host_.ShowMessage(window_, QString::fromStdString(*problem));
        return -1;
    }
    WaitCursor wait;
    auto task = session_.NewTask(path.toStdString());
    if (!task)
        return -1;
    if (prepareTracks_)
        prepareTracks_(*task);
    return model_.AddTask(std::move(task));
}

int TaskAdder::AddNewTasks(std::vector<std::unique_ptr<ConversionTask>> tasks)
{
    if (tasks.empty())
        return -1;
    if (prepareTracks_)
        for (auto& task : tasks)
            prepareTracks_(*task);
    model_.AddTasks(std::move(tasks));
    return model_.rowCount() - 1;
}

void TaskAdder::AddFiles(const QStringList& paths)
{
    int last = -1;
    for (const QString& path : paths)
        if (!path.isEmpty())
            last = std::max(last, AddFile(path));
    emit tasksAdded(last);
}

void TaskAdder::ChooseFiles()
{
    const QString filter = "MKV files (*.mkv *.mka);;" + Main("strAllFilesInfo", "All files") + " (*)";
    const QStringList files =
        host_.ChooseFiles(window_, Main("strAddFileInfo", "Add file(s)..."), rememberedFolder_, filter);
    if (files.isEmpty())
        return;
    rememberedFolder_ = QFileInfo(files.first()).absolutePath();
    AddFiles(files);
}

void TaskAdder::ChooseFolder()
{
    const QString folder =
        host_.ChooseFolder(window_, Main("strAddFolderSpecInfo", "Choose a directory to add files"), rememberedFolder_);
    if (folder.isEmpty())
        return;
    const bool recurse = host_.AskYesNo(window_, Main("strSearchSubFolderInfo", "Do you want search sub folder?"));
    QStringList files;
    {
        WaitCursor wait;
        for (const std::string& file : ScanFolder(folder.toStdString(), recurse))
            files << QString::fromStdString(file);
    }
    emit folderScanned(files);
}

void TaskAdder::AddDropped(const QStringList& paths)
{
    QStringList accepted;
    for (const QString& path : paths)
        if (AcceptedByDrop(path.toStdString()))
            accepted << path;
    if (!accepted.isEmpty())
        AddFiles(accepted);
}

void TaskAdder::OfferRecovery()
{
    std::vector<std::unique_ptr<ConversionTask>> saved = recovery_.Load();
    if (saved.empty()) {
        recovery_.Remove();
        return;
    }
    const QString question = QString::fromStdString(LookupText("WINDOW_INFO", "strRestoreTasksInfo",
                                                               "Reelvane was not closed normally last time. "
                                                               "Restore its %d task(s)?"))
                                 .replace("%d", QString::number(saved.size()));
    if (!host_.AskYesNo(window_, question)) {
        recovery_.Remove();
        return;
    }
    model_.AddTasks(std::move(saved));
    emit tasksAdded(model_.rowCount() - 1);
}

} // namespace reelvane
