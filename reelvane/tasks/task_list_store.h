#pragma once
// The task list kept on disk while the program runs, so that the start after a crash, a killed
// process or a power cut can offer it back. Removed on a normal close.

#include "reelvane/tasks/task_list.h"

#include <memory>
#include <string>
#include <vector>

namespace reelvane {

class TaskListStore {
public:
    // $XDG_STATE_HOME/quillon/tasks.json
    TaskListStore();
    explicit TaskListStore(std::string path);

    // Replaces the file whole (temporary and rename); an empty list removes it.
    bool Save(const TaskList& tasks) const;
    // The saved tasks with their settings, tracks and subtitles; the sources are probed again.
    // A missing or unreadable file gives none.
    std::vector<std::unique_ptr<ConversionTask>> Load() const;
    bool HasSaved() const;
    void Remove() const;

    const std::string& path() const { return path_; }

private:
    std::string path_;
};

} // namespace reelvane
