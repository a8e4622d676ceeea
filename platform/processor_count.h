#pragma once
// How many processors this process may run on (its affinity mask, so that a run started under
// a CPU limit sizes itself to that limit).

namespace platform {

int UsableProcessorCount();

} // namespace platform
