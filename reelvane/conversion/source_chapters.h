#pragma once
// A source's chapters as they fall in a converted output of it, for the disc titles: the engine's
// disc streams (transport streams) cannot carry them.

#include "reelvane/tasks/conversion_task.h"

#include <vector>

namespace reelvane {

// Seconds from the output's start, the trimmed-off start taken out; empty when the source has
// no chapters (or cannot be read).
std::vector<double> OutputChapters(const ConversionTask& task);

} // namespace reelvane
