#pragma once
// Source streams carried into the output beside the converted ones: the text subtitle tracks a
// task keeps as tracks, and the cover picture of a music file.

#include "reelvane/conversion/probed_source.h"
#include "reelvane/profiles/profile_settings.h"

#include <string>
#include <vector>

namespace reelvane {

// The stream numbers of the source's text subtitle tracks (SRT, ASS/SSA, ...), in file order.
std::vector<int> TextSubtitleStreams(const ProbedSource& probed);

// The stream numbers of all the source's subtitle tracks, text or not, in file order: the
// tracks as the command line counts them.
std::vector<int> SubtitleStreams(const ProbedSource& probed);

// True when the output type holds text subtitle tracks: Matroska, WebM and the MP4 family.
bool CarriesSubtitleTracks(const ProfileSettings& settings);

// Output words that map the kept text tracks (`streams`, stream numbers) with a codec the
// container takes; language and title come along. None where the output holds no subtitle
// tracks, and none for a stream that is no text track of this source.
std::vector<std::string> SubtitleTrackWords(const ProbedSource& probed, const ProfileSettings& settings,
                                            const std::vector<int>& streams);

// The stream of the source's cover picture when it is kept: as an attachment in Matroska, else
// as the picture stream of an audio profile's output whose container holds a cover (MP3,
// M4A/MP4/MOV, FLAC); -1 otherwise.
int KeptCoverStream(const ProbedSource& probed, const ProfileSettings& settings);

// True when the output keeps a cover as an attachment, not as a picture stream.
bool CoverAsAttachment(const ProfileSettings& settings);

// The settings with the picture copied as it is: no picture edit may touch a copied stream.
void CopyCover(ProfileSettings& settings);

// The output words that carry the cover stream: an attachment, or the output's picture stream.
std::vector<std::string> CoverWords(const ProfileSettings& settings, int stream);

} // namespace reelvane
