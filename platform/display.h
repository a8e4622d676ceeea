#pragma once

namespace platform {

// True when a graphical session is there to show windows and message boxes.
bool DisplayPresent();

} // namespace platform
