#pragma once
// The ordered list of tasks: row i of the window shows task i.

#include "reelvane/tasks/conversion_task.h"

#include <memory>
#include <vector>

namespace reelvane {

class TaskList {
public:
    // Appends; returns the new index.
    int Add(std::unique_ptr<ConversionTask> task);
    // -1 when out of range, else 0.
    int Remove(int index);
    void RemoveAll();
    // Nothing when out of range.
    ConversionTask* Get(int index) const;
    // Moves by neighbour swaps; -1 when an index is below 0 or above the count, else 0.
    int Move(int from, int to);
    int Count() const { return static_cast<int>(tasks_.size()); }

private:
    std::vector<std::unique_ptr<ConversionTask>> tasks_;
};

} // namespace reelvane
