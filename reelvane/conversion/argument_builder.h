#pragma once
// Builds the engine argument vector of one conversion from a task and its profile settings.

#include "reelvane/conversion/engine_arguments.h"
#include "reelvane/conversion/probed_source.h"
#include "reelvane/profiles/profile_settings.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace reelvane {

// The split-size selector and the run's size budget, as the split marker "-fs" in Para needs them.
struct SplitRule {
    std::string runChoice;          // selector text when the run started
    std::string currentChoice;      // selector text now
    int64_t customMegabytes = 0;    // for "Custom"
    std::string currentProfilePath; // iniPath of the main window's current profile
    bool perFileRun = true;
    bool sharedProfile = true;    // every task uses the same profile file
    int64_t writtenKilobytes = 0; // outputs written so far in this per-file run
};

// What the per-file vector reads from one task.
struct PerFileTask {
    const ProfileSettings& settings;
    const ProbedSource& probed;
    std::string sourcePath{};
    std::string destinationPath{}; // already made unique by the run
    std::string subtitlePath{};    // empty: no subtitle
    int32_t fromStart = 1;         // trim flags and times, microseconds in the file's time base
    int64_t trimStart = 0;
    int32_t toEnd = 1;
    int64_t trimEnd = 0;
    bool copyFitting = false; // streams that already fit are copied, not re-encoded
};

struct MergedInput {
    std::string sourcePath{};
    int32_t usePlatformReader = 0;
    const ProbedSource* probed = nullptr; // its fields decide the interlace words; null: not known
};

// The frame "-s" asks for by nVideoRiszeOption (pads included); nothing when the source size is kept.
std::optional<FrameSize> NominalFrameSize(const ProfileSettings& settings);

// Appends the profile's options; returns the next free index.
std::size_t BuildEngineOptions(EngineArguments& arguments, const ProfileSettings& settings);

// Appends the words of Para, with the split marker "-fs" resolved; returns the next free index.
std::size_t AppendParaWords(EngineArguments& arguments, const std::string& para, const SplitRule& split);

EngineArguments BuildPerFileArguments(const PerFileTask& task, const SplitRule& split);

// `outputFolder` ends with "/"; the output is "<folder>Compound<number>.<TargetType>".
EngineArguments BuildMergedArguments(const std::vector<MergedInput>& inputs, const ProfileSettings& current,
                                     const SplitRule& split, const std::string& outputFolder, int compoundNumber);

// A number for the merged output's name, from the C library generator seeded with the time.
int CompoundNumber();

} // namespace reelvane
