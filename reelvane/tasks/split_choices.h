#pragma once
// The entries of the disc-size choice for a profile, and the idle status line over the bar.

#include "reelvane/conversion/split_media.h"
#include "reelvane/tasks/task_list.h"

#include <string>
#include <vector>

namespace reelvane {

struct SplitChoices {
    std::vector<std::string> entries;
    int selected = 0;
};

// By the profile file's name without folder and extension, compared exactly.
SplitChoices SplitChoicesFor(const std::string& profilePath);

struct IdleStatus {
    int barPercent = 0;
    std::string text;
};

// The status shown while no run is going: a prompt with no tasks, else the count, the summed
// length, the estimated total and the medium's share (the bar) or the split size.
IdleStatus IdleStatusFor(const TaskList& tasks, const std::string& splitChoice, int customSplitMegabytes);

// Sum of the tasks' size estimates in megabytes.
double EstimatedTotalMegabytes(const TaskList& tasks);

} // namespace reelvane
