#pragma once
// The table over the task list: row i is task i. Every change goes through here so that views
// and the recovery file follow it.

#include "reelvane/tasks/task_list.h"
#include "reelvane/tasks/task_state_type.h"

#include <QAbstractTableModel>

#include <functional>
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
        StateColumn,
        ColumnCount
    };
    // The value behind a cell (seconds, megabytes, the TaskState) for sorting and painting.
    static constexpr int RawRole = Qt::UserRole + 1;
    // The percentage of a converting task.
    static constexpr int PercentRole = Qt::UserRole + 2;

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
    // The one way to change a task: its row is shown again and the list saved. False when the
    // row is out of range.
    bool WithTask(int row, const std::function<void(ConversionTask&)>& change);
    // The same for every task, shown again in one batch.
    void WithEveryTask(const std::function<void(ConversionTask&)>& change);
    // Every row again (estimates, destinations) in one batch.
    void RefreshRows();

    // A run's view of the rows: all wait, each converts and ends; at the end rows the run never
    // reached wait no more. Progress is shown without saving the list.
    void StartRun();
    void ShowTaskStarted(int row);
    void ShowTaskProgress(int row, int percent);
    void ShowTaskFinished(int row, TaskState state, const std::string& output, const std::string& message);
    void EndRun();
    // The column titles of the current language.
    void RetranslateHeaders();

    TaskList& tasks() { return tasks_; }
    const TaskList& tasks() const { return tasks_; }

signals:
    // The list or a task in it changed.
    void tasksChanged();

private:
    // The destinations the run will write, after every change.
    void Replan();
    const std::string& Planned(int row) const;

    TaskList& tasks_;
    std::vector<std::string> planned_;
};

} // namespace reelvane
