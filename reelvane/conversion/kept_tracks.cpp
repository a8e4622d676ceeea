#include "reelvane/conversion/kept_tracks.h"

#include "reelvane/conversion/audio_layout.h"
#include "reelvane/conversion/checked_format.h"

#include <algorithm>
#include <strings.h>

namespace reelvane {
namespace {

bool OneOf(const std::string& text, std::initializer_list<const char*> names)
{
    return std::any_of(names.begin(), names.end(),
                       [&text](const char* name) { return strcasecmp(text.c_str(), name) == 0; });
}

bool IsTextSubtitle(const StreamFacts& f)
{
    return f.kind == VEXEN_KIND_SUBTITLE &&
           OneOf(f.codec, {"subrip", "srt", "ass", "ssa", "webvtt", "mov_text", "text"});
}

// The muxer decides, by its "-f" name or, without one, by the file type.
bool IsMatroska(const ProfileSettings& s)
{
    return OneOf(MuxerName(s), {"matroska", "mkv", "mka"});
}

// The encoder of a kept track: Matroska keeps SRT and ASS as they are; the MP4 family takes
// only its own timed text, WebM only WebVTT.
std::string TrackCodec(const ProfileSettings& s, const StreamFacts& f)
{
    if (IsMatroska(s))
        return OneOf(f.codec, {"subrip", "srt", "ass", "ssa", "webvtt"}) ? "copy" : "srt";
    if (OneOf(MuxerName(s), {"webm"}))
        return "webvtt";
    return "mov_text";
}

} // namespace

std::vector<int> TextSubtitleStreams(const ProbedSource& probed)
{
    std::vector<int> streams;
    for (const StreamFacts& f : probed.facts)
        if (IsTextSubtitle(f))
            streams.push_back(f.index);
    return streams;
}

std::vector<int> SubtitleStreams(const ProbedSource& probed)
{
    std::vector<int> streams;
    for (const StreamFacts& f : probed.facts)
        if (f.kind == VEXEN_KIND_SUBTITLE)
            streams.push_back(f.index);
    return streams;
}

bool CarriesSubtitleTracks(const ProfileSettings& s)
{
    // Not "psp": that handheld's own MP4 dialect plays only the tracks it knows.
    return IsMatroska(s) || OneOf(MuxerName(s), {"webm", "mp4", "m4v", "mov", "ipod"});
}

std::vector<std::string> SubtitleTrackWords(const ProbedSource& probed, const ProfileSettings& s,
                                            const std::vector<int>& streams)
{
    std::vector<std::string> words;
    if (!CarriesSubtitleTracks(s))
        return words;
    int kept = 0;
    for (int stream : streams) {
        const StreamFacts* f = FactsOfStream(probed, stream);
        if (!f || !IsTextSubtitle(*f))
            continue;
        words.insert(words.end(), {"-map", FormatText("0:%d", stream), FormatText("-c:s:%d", kept), TrackCodec(s, *f)});
        ++kept;
    }
    return words;
}

bool CoverAsAttachment(const ProfileSettings& s)
{
    return IsMatroska(s);
}

int KeptCoverStream(const ProbedSource& probed, const ProfileSettings& s)
{
    if (!CoverAsAttachment(s)) {
        // Only where the profile makes no picture: beside one the cover would be taken for a
        // second film, and the profile's encoder words would be applied to the copied picture.
        if (!s.bDisableVideo)
            return -1;
        if (!OneOf(MuxerName(s), {"mp3", "ipod", "mp4", "m4a", "m4v", "mov", "flac"}))
            return -1;
    }
    for (const StreamFacts& f : probed.facts)
        if (f.attachedPicture)
            return f.index;
    return -1;
}

void CopyCover(ProfileSettings& s)
{
    s.bDisableVideo = 0;
    SetText(s.cVideoCodec, "copy");
    s.bVideoHighQuality = 0;
    s.bVideoCustomFrameRate = 0;
    s.bVideoEnableCrop = 0;
    s.bVideoEnablePad = 0;
    s.nVideoRiszeOption = 0;
    s.nAspect = 0;
}

std::vector<std::string> CoverWords(const ProfileSettings& s, int stream)
{
    if (CoverAsAttachment(s))
        return {"-cover", FormatText("%d", stream)};
    return {"-map", FormatText("0:%d", stream), "-disposition:v:0", "attached_pic"};
}

} // namespace reelvane
