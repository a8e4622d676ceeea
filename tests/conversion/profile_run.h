#pragma once
// Converts a clip as a user's task does: a shipped profile, the task made from it, the engine.

#include "reelvane/profiles/profile_settings.h"
#include "reelvane/tasks/task_rules.h"
#include "tests/platform/temp_folder.h"

#include <functional>
#include <string>

namespace reelvane {

// A section of a shipped profile file, with the encoder's effort cut (shape, timing and tracks
// do not depend on it).
ProfileSettings ShippedProfile(const std::string& file, const std::string& section);

// The output path; `change` edits the task (audio and subtitle track choice) before the run. A failed conversion
// fails the calling test with the engine's message.
std::string ConvertAsTask(const std::string& source, const ProfileSettings& profile, const TempFolder& folder,
                          const std::function<void(ConversionTask&)>& change = {});

} // namespace reelvane
