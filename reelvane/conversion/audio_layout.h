#pragma once
// Decisions on the audio tracks of an output: how many channels each keeps, how surround folds
// down, how extra tracks are encoded, and which outputs take a single track.

#include "reelvane/conversion/probed_source.h"
#include "reelvane/profiles/profile_settings.h"

#include <optional>
#include <string>
#include <vector>

namespace reelvane {

// nAudioChannel of "As source": every channel up to 5.1 where the output carries them.
constexpr int32_t kChannelsAsSource = 6;

// The facts of stream `stream`; null when the probe has none.
const StreamFacts* FactsOfStream(const ProbedSource& probed, int stream);

// The stream numbers of the selected audio tracks, in list order.
std::vector<int> SelectedAudioStreams(const ProbedSource& probed);

// The channel count to ask for on one track; 0 asks for nothing. Where the output carries
// surround the profile's count is a ceiling, and no track is spread over more channels than its
// source has; elsewhere the count stays, with "As source" up to stereo.
int32_t OutputChannels(const ProfileSettings& settings, const StreamFacts* source);

// The options of one further audio track: the profile's own codec and settings.
std::vector<std::string> ExtraTrackWords(const ProfileSettings& settings, const StreamFacts* source);

// Output words for the selected tracks: a fold-down that cannot clip, and no title that names
// channels a track no longer has.
std::vector<std::string> AudioTrackWords(const ProbedSource& probed, const ProfileSettings& settings);

// The message for a task that selects more audio tracks than its output can hold; nothing when
// it fits.
std::optional<std::string> AudioTrackProblem(const ProfileSettings& settings, const ProbedSource& probed);

// The language tags of the output's audio streams in their order ("" where the source's track
// names none); empty without audio.
std::vector<std::string> OutputAudioLanguages(const ProbedSource& probed, const ProfileSettings& settings);

// True when a track title names a channel layout ("English 5.1").
bool TitleNamesChannels(const std::string& title);

} // namespace reelvane
