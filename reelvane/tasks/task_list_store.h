#pragma once
// The task list kept on disk while the program runs, so that the start after a crash, a killed
// process or a power cut can offer it back. Removed on a normal close.

#include "reelvane/tasks/task_list.h"

class QLockFile;

#include <memory>
#include <string>
#include <vector>

namespace reelvane {

class TaskListStore {
public:
    // Claim($XDG_STATE_HOME/quillon)
    TaskListStore();
    explicit TaskListStore(std::string path);
    TaskListStore(TaskListStore&&) noexcept;
    TaskListStore& operator=(TaskListStore&&) noexcept;
    ~TaskListStore();

    // A file of this window's own in folder, locked until the store goes, so that two running
    // windows never write over each other's tasks: first one left by a window that ended without
    // closing, else a free one ("tasks.json", then "tasks-2.json" and on).
    static TaskListStore Claim(const std::string& folder);

    // Replaces the file whole (temporary and rename), leaving out finished tasks; a list without
    // any other removes it.
    bool Save(const TaskList& tasks) const;
    // The saved tasks with their settings, tracks and subtitles; the sources are probed again.
    // A missing or unreadable file gives none.
    std::vector<std::unique_ptr<ConversionTask>> Load() const;
    bool HasSaved() const;
    void Remove() const;

    const std::string& path() const { return path_; }

private:
    std::string path_;
    std::unique_ptr<QLockFile> claim_;
};

} // namespace reelvane
