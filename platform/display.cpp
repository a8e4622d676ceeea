#include "platform/display.h"

#include <cstdlib>
#include <initializer_list>

namespace platform {

bool DisplayPresent()
{
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY"}) {
        const char* value = std::getenv(name);
        if (value && *value)
            return true;
    }
    return false;
}

} // namespace platform
