#include "reelvane/conversion/audio_layout.h"

#include "reelvane/conversion/checked_format.h"
#include "reelvane/conversion/engine_arguments.h"
#include "reelvane/frame/language_table.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <strings.h>

namespace reelvane {
namespace {

bool OneOf(const char* text, std::initializer_list<const char*> names)
{
    for (const char* name : names)
        if (strcasecmp(text, name) == 0)
            return true;
    return false;
}

// The "-f" word of Para, which names the muxer more exactly than the file type ("psp", "ipod").
std::string MuxerName(const ProfileSettings& s)
{
    std::vector<std::string> words = SplitWords(s.Para);
    for (std::size_t i = 0; i + 1 < words.size(); ++i)
        if (words[i] == "-f")
            return words[i + 1];
    return s.TargetType;
}

// Where both the container and the profile's audio codec hold 5.1.
bool CarriesSurround(const ProfileSettings& s)
{
    const char* codec = s.cAudioCodec;
    if (OneOf(s.TargetType, {"mkv", "mka", "webm"}))
        return !OneOf(codec, {"mp3", "libmp3lame", "mp2", "amr_nb", "libopencore_amrnb"});
    if (OneOf(s.TargetType, {"ts", "m2ts", "mts"}))
        return OneOf(codec, {"ac3", "eac3", "aac"});
    if (OneOf(s.TargetType, {"mp4", "m4v", "mov"}) && MuxerName(s) != "psp" && MuxerName(s) != "ipod")
        return OneOf(codec, {"aac", "ac3"});
    return false;
}

} // namespace

const StreamFacts* FactsOfStream(const ProbedSource& probed, int stream)
{
    return stream >= 0 && static_cast<std::size_t>(stream) < probed.facts.size()
               ? &probed.facts[static_cast<std::size_t>(stream)]
               : nullptr;
}

std::vector<int> SelectedAudioStreams(const ProbedSource& probed)
{
    std::vector<int> audioStreams;
    for (std::size_t i = 0; i < probed.streams.size(); ++i)
        if (probed.streams[i].kind == VEXEN_KIND_AUDIO)
            audioStreams.push_back(static_cast<int>(i));
    std::vector<int> selected;
    for (const AudioTrackEntry& entry : probed.audioTracks)
        if (entry.selected && entry.position >= 0 && entry.position < static_cast<int>(audioStreams.size()))
            selected.push_back(audioStreams[static_cast<std::size_t>(entry.position)]);
    return selected;
}

std::vector<std::string> OutputAudioLanguages(const ProbedSource& probed, const ProfileSettings& s)
{
    std::vector<std::string> languages;
    if (s.bDisableAudio)
        return languages;
    for (int stream : SelectedAudioStreams(probed)) {
        const StreamFacts* facts = FactsOfStream(probed, stream);
        languages.emplace_back(facts ? facts->language : "");
    }
    return languages;
}

int32_t OutputChannels(const ProfileSettings& s, const StreamFacts* source)
{
    if (s.nAudioChannel <= 0)
        return 0;
    const bool surround = CarriesSurround(s);
    // Elsewhere a count the profile names stays a rule, as players of those outputs expect it.
    if (!surround && s.nAudioChannel != kChannelsAsSource)
        return s.nAudioChannel;
    int32_t ceiling = std::min(s.nAudioChannel, surround ? kChannelsAsSource : 2);
    if (source && source->channels > 0)
        return std::min(ceiling, source->channels);
    return ceiling;
}

std::vector<std::string> ExtraTrackWords(const ProfileSettings& s, const StreamFacts* source)
{
    std::vector<std::string> words;
    if (strcasecmp(s.cAudioCodec, "auto") != 0)
        words.insert(words.end(), {"-acodec", s.cAudioCodec});
    if (s.bAudioCustomSampleRate)
        words.insert(words.end(), {"-ar", FormatText("%d", s.nAudioCustomSampleRate)});
    if (s.bAudioCustomBitRate)
        words.insert(words.end(), {"-ab", FormatText("%f", static_cast<double>(s.nAudioCustomBitRate))});
    if (int32_t channels = OutputChannels(s, source))
        words.insert(words.end(), {"-ac", FormatText("%d", channels)});
    words.push_back("-newaudio");
    return words;
}

std::vector<std::string> AudioTrackWords(const ProbedSource& probed, const ProfileSettings& s)
{
    std::vector<std::string> words;
    if (s.bDisableAudio)
        return words;
    bool folded = false;
    std::vector<int> streams = SelectedAudioStreams(probed);
    for (std::size_t n = 0; n < streams.size(); ++n) {
        const StreamFacts* source = FactsOfStream(probed, streams[n]);
        if (!source)
            continue;
        int32_t channels = OutputChannels(s, source);
        // Without a count the encoder may still fold surround down to the two it takes.
        folded = folded || source->channels > (channels ? channels : 2);
        if (channels && channels != source->channels && TitleNamesChannels(source->title))
            words.insert(words.end(), {FormatText("-metadata:s:a:%d", static_cast<int>(n)), "title="});
    }
    // The mix is scaled so that no sum of channels exceeds full scale.
    if (folded)
        words.insert(words.end(), {"-rematrix_maxval", "1.0"});
    return words;
}

std::optional<std::string> AudioTrackProblem(const ProfileSettings& s, const ProbedSource& probed)
{
    if (s.bDisableAudio || SelectedAudioStreams(probed).size() < 2)
        return std::nullopt;
    std::string muxer = MuxerName(s);
    bool single = OneOf(muxer.c_str(),
                        {"mp3", "mp2", "ac3", "adts", "aac", "amr", "wav", "au", "flac", "mmf", "psp", "swf", "flv"}) ||
                  OneOf(s.TargetType,
                        {"mp3", "mp2", "ac3", "aac", "amr", "awb", "wav", "au", "flac", "mmf", "m4a", "swf", "flv"});
    if (!single)
        return std::nullopt;
    return FillText(LookupText("RUN_INFO", "strOneAudioTrackInfo", "The profile %s takes one audio track only."),
                    {s.FormatName[0] ? std::string(s.FormatName) : std::string(s.TargetType)});
}

bool TitleNamesChannels(const std::string& title)
{
    std::string lower;
    for (char c : title)
        lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    for (const char* name : {"1.0", "2.0", "2.1", "5.1", "6.1", "7.1", "stereo", "mono", "surround"})
        if (lower.find(name) != std::string::npos)
            return true;
    return false;
}

} // namespace reelvane
