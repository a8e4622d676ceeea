#pragma once
// The five-column table over the task list: row i is task i. Every change goes through here so
// that views and the recovery file follow it.

#include "reelvane/tasks/task_list.h"

#include <QAbstractTableModel>

#include <memory>

namespace reelvane {

class TaskTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column {
        SourceColumn,
        OriginalLengthColumn,
        TrimmedLengthColumn,
        EstimatedSizeColumn,
        DestinationColumn,
        ColumnCount
    };
    // The number behind a cell (seconds, megabytes) for sorting and painting.
    static constexpr int RawRole = Qt::UserRole + 1;

    explicit TaskTableModel(TaskList& tasks, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    // Returns the new row.
    int AddTask(std::unique_ptr<ConversionTask> task);
    // Appends all in one batch with one change signal (a restored list is saved once).
    void AddTasks(std::vector<std::unique_ptr<ConversionTask>> tasks);
    void RemoveTask(int row);
    void RemoveAll();
    // Moves one row; false when either row is out of range.
    bool MoveTask(int from, int to);
    // Every row again (estimates, destinations) in one batch.
    void RefreshRows();
    // The column titles of the current language.
    void RetranslateHeaders();

    TaskList& tasks() { return tasks_; }
    const TaskList& tasks() const { return tasks_; }

signals:
    // The list or a task in it changed.
    void tasksChanged();

private:
    TaskList& tasks_;
};

} // namespace reelvane
