#include "platform/processor_count.h"

#include <sched.h>
#include <thread>

namespace platform {

int UsableProcessorCount()
{
    cpu_set_t set;
    CPU_ZERO(&set);
    if (::sched_getaffinity(0, sizeof set, &set) == 0 && CPU_COUNT(&set) > 0)
        return CPU_COUNT(&set);
    const unsigned counted = std::thread::hardware_concurrency();
    return counted > 0 ? static_cast<int>(counted) : 1;
}

} // namespace platform
