#include "reelvane/tasks/task_list.h"

#include <utility>

namespace reelvane {

int TaskList::Add(std::unique_ptr<ConversionTask> task)
{
    tasks_.push_back(std::move(task));
    return Count() - 1;
}

int TaskList::Remove(int index)
{
    if (index < 0 || index >= Count())
        return -1;
    tasks_.erase(tasks_.begin() + index);
    return 0;
}

void TaskList::RemoveAll()
{
    for (int i = Count() - 1; i >= 0; --i)
        Remove(i);
}

ConversionTask* TaskList::Get(int index) const
{
    if (index < 0 || index >= Count())
        return nullptr;
    return tasks_[static_cast<std::size_t>(index)].get();
}

int TaskList::Move(int from, int to)
{
    if (from == to)
        return 0;
    // A "to" equal to the count is allowed by the rule but names no row: it moves to the last one.
    if (from < 0 || to < 0 || from > Count() || to > Count() || from == Count())
        return -1;
    if (to == Count())
        to = Count() - 1;
    for (int i = from; i < to; ++i)
        std::swap(tasks_[static_cast<std::size_t>(i)], tasks_[static_cast<std::size_t>(i + 1)]);
    for (int i = from; i > to; --i)
        std::swap(tasks_[static_cast<std::size_t>(i)], tasks_[static_cast<std::size_t>(i - 1)]);
    return 0;
}

} // namespace reelvane
