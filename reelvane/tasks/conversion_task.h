#pragma once
// One source file in the task list: what the probe found, the task's own profile copy, its
// destination and its track and subtitle choices. A plain value: the run works on copies.

#include "reelvane/conversion/probed_source.h"
#include "reelvane/conversion/run_observer.h"
#include "reelvane/profiles/profile_settings.h"

#include <cstdint>
#include <string>
#include <vector>

namespace reelvane {

struct ConversionTask {
    std::string sourcePath;
    std::string destinationPath;
    int32_t calcAspect = -1; // from the remembered choice; 0 or more corrects the aspect
    ProfileSettings settings = EmptyProfileSettings();
    int32_t usePlatformReader = 0;
    int32_t fromStart = 1; // tasks are created without trim
    int64_t trimStart = 0; // microseconds
    int32_t toEnd = 1;
    int64_t trimEnd = 0;
    ProbedSource probed;                         // media facts, streams, information text, audio track list
    std::vector<std::string> subtitleCandidates; // subtitle files extracted from the source
    std::string subtitlePath;                    // empty: no subtitle is burnt in
    std::vector<int> subtitleTracks;             // text subtitle streams kept as tracks (stream numbers)

    // Where the task stands in this program's runs; not saved.
    TaskState state = TaskState::NotStarted; // NotStarted: in no run yet
    int percent = 0;                         // while Converting
    std::string log;                         // what its runs reported, for the user to read
};

} // namespace reelvane
