#include "reelvane/tasks/task_table_model.h"

#include "reelvane/frame/language_table.h"
#include "reelvane/tasks/task_rules.h"

namespace reelvane {

TaskTableModel::TaskTableModel(TaskList& tasks, QObject* parent) : QAbstractTableModel(parent), tasks_(tasks)
{
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
        case OriginalLengthColumn:
        case TrimmedLengthColumn: return QString::fromStdString(FormatLength(task->probed.duration));
        case EstimatedSizeColumn: return QString::asprintf("%.2f MB", size);
        case DestinationColumn: return QString::fromStdString(FileNamePart(task->destinationPath));
        }
        break;
    case RawRole:
        switch (index.column()) {
        case OriginalLengthColumn:
        case TrimmedLengthColumn: return static_cast<double>(task->probed.duration);
        case EstimatedSizeColumn: return size;
        default: return data(index, Qt::DisplayRole);
        }
    case Qt::ToolTipRole:
        if (index.column() == SourceColumn)
            return QString::fromStdString(task->sourcePath);
        if (index.column() == DestinationColumn)
            return QString::fromStdString(task->destinationPath);
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
    static const char* const keys[] = {"strList0Info", "strList1Info", "strList2Info", "strList3Info", "strList4Info"};
    static const char* const builtins[] = {"Source", "Original Length", "Trimmed Length", "Estimated Size",
                                           "Destination File"};
    if (section < 0 || section >= ColumnCount)
        return {};
    return QString::fromStdString(LookupText("MAIN_DLG", keys[section], builtins[section]));
}

int TaskTableModel::AddTask(std::unique_ptr<ConversionTask> task)
{
    beginInsertRows({}, tasks_.Count(), tasks_.Count());
    const int row = tasks_.Add(std::move(task));
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
    endInsertRows();
    emit tasksChanged();
}

void TaskTableModel::RemoveTask(int row)
{
    if (!tasks_.Get(row))
        return;
    beginRemoveRows({}, row, row);
    tasks_.Remove(row);
    endRemoveRows();
    emit tasksChanged();
}

void TaskTableModel::RemoveAll()
{
    beginResetModel();
    tasks_.RemoveAll();
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
    endMoveRows();
    emit tasksChanged();
    return true;
}

void TaskTableModel::RefreshRows()
{
    if (tasks_.Count() > 0)
        emit dataChanged(index(0, 0), index(tasks_.Count() - 1, ColumnCount - 1));
    emit tasksChanged();
}

void TaskTableModel::RetranslateHeaders()
{
    emit headerDataChanged(Qt::Horizontal, 0, ColumnCount - 1);
}

} // namespace reelvane
