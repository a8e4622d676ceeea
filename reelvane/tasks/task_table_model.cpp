#include "reelvane/tasks/task_table_model.h"

#include "reelvane/frame/language_table.h"
#include "reelvane/tasks/task_rules.h"
#include "reelvane/tasks/task_trim.h"

namespace reelvane {
namespace {

QString StateText(const ConversionTask& task)
{
    auto text = [](const char* key, const char* builtin) {
        return QString::fromStdString(LookupText("MAIN_DLG", key, builtin));
    };
    switch (task.state) {
    case TaskState::Waiting: return text("strStateWaitingInfo", "Waiting");
    case TaskState::Converting: return text("strStateConvertingInfo", "Converting") + QString(" %1%").arg(task.percent);
    case TaskState::Finished: return text("strStateFinishedInfo", "Finished");
    case TaskState::Failed: return text("strStateFailedInfo", "Failed");
    case TaskState::Cancelled: return text("strStateCancelledInfo", "Cancelled");
    case TaskState::NotStarted: break;
    }
    return {};
}

} // namespace

TaskTableModel::TaskTableModel(TaskList& tasks, QObject* parent) : QAbstractTableModel(parent), tasks_(tasks)
{
    Replan();
}

void TaskTableModel::Replan()
{
    planned_ = PlannedDestinations(tasks_);
}

const std::string& TaskTableModel::Planned(int row) const
{
    const auto at = static_cast<std::size_t>(row);
    return at < planned_.size() ? planned_[at] : tasks_.Get(row)->destinationPath;
}

int TaskTableModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : tasks_.Count();
}

int TaskTableModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant TaskTableModel::data(const QModelIndex& index, int role) const
{
    const ConversionTask* task = tasks_.Get(index.row());
    if (!task || index.column() < 0 || index.column() >= ColumnCount)
        return {};
    const double size = EstimatedSizeMegabytes(*task);
    switch (role) {
    case Qt::DisplayRole:
        switch (index.column()) {
        case SourceColumn: return QString::fromStdString(FileNamePart(task->sourcePath));
        case OriginalLengthColumn: return QString::fromStdString(FormatLength(task->probed.duration));
        case TrimmedLengthColumn: return QString::fromStdString(FormatLength(TrimmedSeconds(*task)));
        case EstimatedSizeColumn: return QString::asprintf("%.2f MB", size);
        case DestinationColumn: return QString::fromStdString(FileNamePart(Planned(index.row())));
        case StateColumn: return StateText(*task);
        }
        break;
    case RawRole:
        switch (index.column()) {
        case OriginalLengthColumn: return static_cast<double>(task->probed.duration);
        case TrimmedLengthColumn: return TrimmedSeconds(*task);
        case EstimatedSizeColumn: return size;
        case StateColumn: return QVariant::fromValue(task->state);
        default: return data(index, Qt::DisplayRole);
        }
    case PercentRole: return task->percent;
    case Qt::ToolTipRole:
        if (index.column() == SourceColumn)
            return QString::fromStdString(task->sourcePath);
        if (index.column() == DestinationColumn)
            return QString::fromStdString(Planned(index.row()));
        return data(index, Qt::DisplayRole);
    case Qt::TextAlignmentRole:
        if (index.column() == OriginalLengthColumn || index.column() == TrimmedLengthColumn)
            return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
        if (index.column() == EstimatedSizeColumn)
            return QVariant::fromValue(Qt::AlignHCenter | Qt::AlignVCenter);
        return QVariant::fromValue(Qt::AlignLeft | Qt::AlignVCenter);
    }
    return {};
}

QVariant TaskTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    static const char* const keys[] = {"strList0Info", "strList1Info", "strList2Info",
                                       "strList3Info", "strList4Info", "strList5Info"};
    static const char* const builtins[] = {"Source",         "Original Length",  "Trimmed Length",
                                           "Estimated Size", "Destination File", "State"};
    if (section < 0 || section >= ColumnCount)
        return {};
    return QString::fromStdString(LookupText("MAIN_DLG", keys[section], builtins[section]));
}

int TaskTableModel::AddTask(std::unique_ptr<ConversionTask> task)
{
    beginInsertRows({}, tasks_.Count(), tasks_.Count());
    const int row = tasks_.Add(std::move(task));
    Replan();
    endInsertRows();
    emit tasksChanged();
    return row;
}

void TaskTableModel::AddTasks(std::vector<std::unique_ptr<ConversionTask>> tasks)
{
    if (tasks.empty())
        return;
    beginInsertRows({}, tasks_.Count(), tasks_.Count() + static_cast<int>(tasks.size()) - 1);
    for (auto& task : tasks)
        tasks_.Add(std::move(task));
    Replan();
    endInsertRows();
    emit tasksChanged();
}

void TaskTableModel::RemoveTask(int row)
{
    if (!tasks_.Get(row))
        return;
    beginRemoveRows({}, row, row);
    tasks_.Remove(row);
    Replan();
    endRemoveRows();
    RefreshRows(); // later rows may take the name the removed one had
}

void TaskTableModel::RemoveAll()
{
    beginResetModel();
    tasks_.RemoveAll();
    Replan();
    endResetModel();
    emit tasksChanged();
}

bool TaskTableModel::MoveTask(int from, int to)
{
    if (!tasks_.Get(from) || !tasks_.Get(to) || from == to)
        return false;
    // Qt names the destination as the row the moved one goes in front of.
    beginMoveRows({}, from, from, {}, to > from ? to + 1 : to);
    tasks_.Move(from, to);
    Replan();
    endMoveRows();
    RefreshRows();
    return true;
}

bool TaskTableModel::WithTask(int row, const std::function<void(ConversionTask&)>& change)
{
    ConversionTask* task = tasks_.Get(row);
    if (!task)
        return false;
    change(*task);
    Replan();
    emit dataChanged(index(row, 0), index(row, ColumnCount - 1));
    // A changed destination moves the names of the rows after it.
    if (row + 1 < tasks_.Count())
        emit dataChanged(index(row + 1, DestinationColumn), index(tasks_.Count() - 1, DestinationColumn));
    emit tasksChanged();
    return true;
}

void TaskTableModel::WithEveryTask(const std::function<void(ConversionTask&)>& change)
{
    for (int row = 0; row < tasks_.Count(); ++row)
        change(*tasks_.Get(row));
    RefreshRows();
}

void TaskTableModel::RefreshRows()
{
    Replan();
    if (tasks_.Count() > 0)
        emit dataChanged(index(0, 0), index(tasks_.Count() - 1, ColumnCount - 1));
    emit tasksChanged();
}

void TaskTableModel::StartRun()
{
    for (int row = 0; row < tasks_.Count(); ++row) {
        tasks_.Get(row)->state = TaskState::Waiting;
        tasks_.Get(row)->percent = 0;
    }
    if (tasks_.Count() > 0)
        emit dataChanged(index(0, StateColumn), index(tasks_.Count() - 1, StateColumn));
}

void TaskTableModel::ShowTaskStarted(int row)
{
    ShowTaskProgress(row, 0);
}

void TaskTableModel::ShowTaskProgress(int row, int percent)
{
    ConversionTask* task = tasks_.Get(row);
    if (!task)
        return;
    task->state = TaskState::Converting;
    task->percent = percent;
    emit dataChanged(index(row, StateColumn), index(row, StateColumn));
}

void TaskTableModel::ShowTaskFinished(int row, TaskState state, const std::string& output, const std::string& message)
{
    WithTask(row, [&](ConversionTask& task) {
        // A task the run never reached was cancelled with it.
        task.state = state == TaskState::NotStarted ? TaskState::Cancelled : state;
        task.percent = state == TaskState::Finished ? 100 : task.percent;
        if (state == TaskState::Finished)
            task.destinationPath = output;
        const std::string line = StateText(task).toStdString() + (output.empty() ? "" : ": " + output);
        task.log += (task.log.empty() ? "" : "\n") + line + (message.empty() ? "" : "\n" + message);
    });
}

void TaskTableModel::EndRun()
{
    for (int row = 0; row < tasks_.Count(); ++row) {
        ConversionTask& task = *tasks_.Get(row);
        if (task.state == TaskState::Waiting)
            task.state = TaskState::NotStarted;
        else if (task.state == TaskState::Converting)
            task.state = TaskState::Cancelled;
    }
    if (tasks_.Count() > 0)
        emit dataChanged(index(0, StateColumn), index(tasks_.Count() - 1, StateColumn));
}

void TaskTableModel::RetranslateHeaders()
{
    emit headerDataChanged(Qt::Horizontal, 0, ColumnCount - 1);
}

} // namespace reelvane
