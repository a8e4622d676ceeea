#pragma once
// The program settings of a run that are not part of a profile: how many tasks convert at once
// and whether streams that already fit are copied.

#include "platform/settings_store.h"

namespace reelvane {

struct RunSettings {
    int jobs = 0; // 0: as many as keep the processors busy
    bool copyFitting = true;
};

// "TasksAtOnce" and "CopyFittingStreams"; a missing or unusable value reads as its default.
RunSettings ReadRunSettings(const platform::SettingsStore& settings);
void WriteRunSettings(const platform::SettingsStore& settings, const RunSettings& run);

} // namespace reelvane
