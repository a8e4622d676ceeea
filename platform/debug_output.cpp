#include "platform/debug_output.h"

#include <cstdio>
#include <cstdlib>

namespace platform {

void DebugOutput(const std::string& line)
{
    if (std::getenv("REELVANE_DEBUG"))
        std::fprintf(stderr, "%s\n", line.c_str());
}

} // namespace platform
