#pragma once
// skivo: the skin library. It gives the program's windows their colours.

#include <cstdint>

#if defined(__GNUC__)
#define SKIVO_EXPORT __attribute__((visibility("default")))
#else
#define SKIVO_EXPORT
#endif

extern "C" {

// Chooses the skin by name ("lumo_skin"); the two switches turn skinning of dialogs and of
// controls on. Call once, after the application object exists. Returns 0, or -1 for an unknown
// skin (the windows then keep the desktop's colours).
SKIVO_EXPORT int32_t QLM_InitSkin(int32_t skinDialogs, int32_t skinControls, const char* skinName);

// Applies the chosen skin to one top-level window (a QWidget*), and to the windows it opens later.
SKIVO_EXPORT void QLM_AddFilterHook(void* window);
}
