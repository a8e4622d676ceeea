#include "reelvane/conversion/argument_builder.h"

#include "reelvane/conversion/audio_layout.h"
#include "reelvane/conversion/checked_format.h"
#include "reelvane/conversion/kept_tracks.h"
#include "reelvane/conversion/split_media.h"
#include "reelvane/conversion/source_shape.h"
#include "reelvane/conversion/stream_copy_rules.h"

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <string_view>
#include <filesystem>
#include <strings.h>

namespace reelvane {
namespace {

int RoundUp16(int value)
{
    return (value + 15) / 16 * 16;
}

struct NamedSize {
    const char* name;
    int width;
    int height;
};

// Indexed by nVideoRiszeOption; option 9 is the custom size.
constexpr NamedSize kSizes[] = {
    {nullptr, 0, 0},       {"sqcif", 128, 96},    {"qcif", 176, 144},      {"cif", 352, 288},
    {"4cif", 704, 576},    {"320x240", 320, 240}, {"640x480", 640, 480},   {"720x480", 720, 480},
    {"720x576", 720, 576}, {nullptr, 0, 0},       {"1280x768", 1280, 768}, {"1920x1080", 1920, 1080},
};

std::string FrameSizeText(const ProfileSettings& s)
{
    FrameSize frame = *NominalFrameSize(s);
    if (s.bVideoEnablePad) // the padded picture keeps the nominal frame
        return FormatText("%dx%d", frame.width - s.nVideoPadLeft - s.nVideoPadRight,
                          frame.height - s.nVideoPadTop - s.nVideoPadBottom);
    return s.nVideoRiszeOption == 9 ? FormatText("%dx%d", frame.width, frame.height) : kSizes[s.nVideoRiszeOption].name;
}

bool IsAuto(const char* codec)
{
    return strcasecmp(codec, "auto") == 0;
}

std::string ProfileFileName(const std::string& iniPath)
{
    return std::filesystem::path(iniPath).stem().string();
}

bool Contains(const std::string& text, const char* part)
{
    return text.find(part) != std::string::npos;
}

// The "-fs" value of the selector's text, or nothing for a text without one.
std::string SplitValue(const SplitRule& split)
{
    if (split.currentChoice == kCustomSplit)
        return std::to_string(split.customMegabytes * 1000);
    std::string profile = ProfileFileName(split.currentProfilePath);
    bool reduce =
        split.perFileRun && (Contains(profile, "avchd") || Contains(profile, "dvd") || Contains(profile, "blu-ray") ||
                             (Contains(profile, "divxavi") && split.sharedProfile));
    int64_t value = SplitMediumMegabytes(split.currentChoice) * 1000; // the engine counts kilobytes
    if (value == 0)
        return {};
    if (reduce && value - split.writtenKilobytes > 0)
        value -= split.writtenKilobytes;
    return std::to_string(value);
}

// The interlace words of the interlaced sources among the joined ones; the engine applies them
// to each of those sources alone.
std::vector<std::string> MergedInterlaceWords(const std::vector<MergedInput>& inputs, const ProfileSettings& s)
{
    std::vector<std::string> words;
    for (const MergedInput& input : inputs) {
        if (!input.probed)
            continue;
        std::vector<std::string> own = InterlaceWords(*input.probed, s);
        auto turn = std::find(own.begin(), own.end(), "-fieldorder");
        if (words.empty())
            words = own;
        else if (turn != own.end() && std::find(words.begin(), words.end(), "-fieldorder") == words.end())
            words.insert(words.end(), turn, turn + 2);
    }
    return words;
}

} // namespace

std::optional<FrameSize> NominalFrameSize(const ProfileSettings& s)
{
    int option = s.nVideoRiszeOption;
    if (option < 1 || option > 11)
        return std::nullopt;
    if (option == 9)
        return FrameSize{RoundUp16(s.nVideoCustomSizeX), RoundUp16(s.nVideoCustomSizeY)};
    return FrameSize{kSizes[option].width, kSizes[option].height};
}

std::size_t AppendParaWords(EngineArguments& arguments, const std::string& para, const SplitRule& split)
{
    std::vector<std::string> words = SplitWords(para);
    for (std::size_t i = 0; i < words.size(); ++i) {
        if (words[i] != "-fs") {
            arguments.Add(words[i]);
            continue;
        }
        std::string value = split.runChoice == kNoSplit ? std::string() : SplitValue(split);
        if (value.empty())
            break; // no split: the marker and everything after it go
        arguments.Add("-fs");
        arguments.Add(value);
        ++i; // the placeholder after the marker
    }
    return arguments.size();
}

std::size_t BuildEngineOptions(EngineArguments& a, const ProfileSettings& s)
{
    if (s.bDisableAudio)
        a.Add("-an");
    if (s.bAudioCustomSampleRate)
        a.Add("-ar"), a.Add(FormatText("%d", s.nAudioCustomSampleRate));
    if (s.nAudioChannel)
        a.Add("-ac"), a.Add(FormatText("%d", s.nAudioChannel));
    if (s.bAudioCustomVolume)
        a.Add("-vol"), a.Add(FormatText("%d", s.nAudioVolume));
    if (s.bAudioCustomBitRate)
        a.Add("-ab"), a.Add(FormatText("%f", static_cast<double>(s.nAudioCustomBitRate)));
    if (s.bDisableVideo)
        a.Add("-vn");
    if (s.bVideoHighQuality)
        a.Add("-hq");
    if (s.bVideoCustomFrameRate)
        a.Add("-r"), a.Add(FormatText("%.3f", static_cast<double>(s.nVideoCustomFrameRate)));
    a.Add("-b");
    a.Add(FormatText("%d", s.bVideoCustomBitRate ? s.nVideoCustomBitRate : s.nVideoDefaultBitRate));
    if (!IsAuto(s.cAudioCodec))
        a.Add("-acodec"), a.Add(s.cAudioCodec);
    if (!IsAuto(s.cVideoCodec))
        a.Add("-vcodec"), a.Add(s.cVideoCodec);
    if (s.bVideoEnableCrop) {
        a.Add("-croptop"), a.Add(FormatText("%d", s.nVideoCropTop));
        a.Add("-cropbottom"), a.Add(FormatText("%d", s.nVideoCropBottom));
        a.Add("-cropleft"), a.Add(FormatText("%d", s.nVideoCropLeft));
        a.Add("-cropright"), a.Add(FormatText("%d", s.nVideoCropRight));
    }
    if (s.bVideoEnablePad) {
        a.Add("-padtop"), a.Add(FormatText("%d", s.nVideoPadTop));
        a.Add("-padbottom"), a.Add(FormatText("%d", s.nVideoPadBottom));
        a.Add("-padleft"), a.Add(FormatText("%d", s.nVideoPadLeft));
        a.Add("-padright"), a.Add(FormatText("%d", s.nVideoPadRight));
        a.Add("-padcolor"), a.Add(FormatText("0x%x", static_cast<unsigned>(s.nVideoPadColor)));
    }
    if (s.nVideoRiszeOption >= 1 && s.nVideoRiszeOption <= 11)
        a.Add("-s"), a.Add(FrameSizeText(s));
    if (s.nAspect)
        a.Add("-aspect"), a.Add(s.nAspect == 1 ? "4:3" : "16:9");
    return a.size();
}

EngineArguments BuildPerFileArguments(const PerFileTask& task, const SplitRule& split)
{
    const ProfileSettings s = CopySettings(task.settings, PlanStreams(task, task.copyFitting));
    const int64_t fileStart = task.probed.mediaInfo.startTime;
    EngineArguments a;
    if (!task.fromStart) {
        a.Add("-ss");
        a.Add(FormatEngineTime(task.trimStart - fileStart > 0 ? task.trimStart - fileStart : 0));
    }
    if (!task.toEnd) {
        a.Add("-t");
        a.Add(FormatEngineTime(task.fromStart ? task.trimEnd - fileStart : task.trimEnd - task.trimStart));
    }
    SplitParameterString(s.BeforePara, a);
    a.Add("-i");
    a.AddPath(task.sourcePath);
    if (!task.subtitlePath.empty()) {
        a.Add("-vhook");
        a.AddPath("SubTitleHook -f " + task.subtitlePath);
    }
    AppendParaWords(a, s.Para, split);
    const std::vector<int> selectedAudio = SelectedAudioStreams(task.probed);
    const int cover = KeptCoverStream(task.probed, s);
    const bool coverAttached = cover >= 0 && CoverAsAttachment(s);
    // A burnt-in subtitle would be drawn on a copied picture stream.
    const bool coverStream = cover >= 0 && !coverAttached && task.subtitlePath.empty();
    // A copied stream is passed on as it is: no filter or encoder word may touch it.
    const bool videoCopied = std::string_view(s.cVideoCodec) == "copy" || coverStream;
    const bool audioCopied = std::string_view(s.cAudioCodec) == "copy";
    ProfileSettings shaped = s;
    if (!videoCopied)
        KeepDisplayedShape(task.probed, shaped);
    if (coverStream)
        CopyCover(shaped);
    if (!selectedAudio.empty() && !audioCopied)
        shaped.nAudioChannel = OutputChannels(s, FactsOfStream(task.probed, selectedAudio[0]));
    BuildEngineOptions(a, shaped);
    if (!videoCopied) {
        for (const std::string& word : SourceTimingWords(task.probed, s))
            a.Add(word);
        for (const std::string& word : InterlaceWords(task.probed, s))
            a.Add(word);
        for (const std::string& word : ToneMapWords(task.probed, s))
            a.Add(word);
    }
    if (!audioCopied)
        for (const std::string& word : AudioTrackWords(task.probed, s))
            a.Add(word);
    if (!s.bDisableVideo && task.probed.mediaInfo.videoIndex >= 0)
        a.Add("-map"), a.Add(FormatText("0:%d", task.probed.mediaInfo.videoIndex));

    if (!s.bDisableAudio)
        for (int stream : selectedAudio)
            a.Add("-map"), a.Add(FormatText("0:%d", stream));
    if (coverAttached || coverStream)
        for (const std::string& word : CoverWords(s, cover))
            a.Add(word);
    for (const std::string& word : SubtitleTrackWords(task.probed, s, task.subtitleTracks))
        a.Add(word);
    a.AddPath(task.destinationPath);
    // Each further track with the profile's own audio settings.
    for (std::size_t extra = 1; !s.bDisableAudio && extra < selectedAudio.size(); ++extra)
        for (const std::string& word : ExtraTrackWords(s, FactsOfStream(task.probed, selectedAudio[extra])))
            a.Add(word);
    return a;
}

EngineArguments BuildMergedArguments(const std::vector<MergedInput>& inputs, const ProfileSettings& current,
                                     const SplitRule& split, const std::string& outputFolder, int compoundNumber)
{
    EngineArguments a;
    SplitParameterString(current.BeforePara, a);
    for (const MergedInput& input : inputs) {
        a.Add("-ivs");
        a.AddPath((input.usePlatformReader ? "&new &dshow &file " : "&new &file ") + input.sourcePath);
        a.Add("-ias");
        a.AddPath("&file " + input.sourcePath);
    }
    SplitRule mergedSplit = split; // one output: nothing written before it to subtract
    mergedSplit.perFileRun = false;
    AppendParaWords(a, current.Para, mergedSplit);
    BuildEngineOptions(a, current);
    if (std::string_view(current.cVideoCodec) != "copy")
        for (const std::string& word : MergedInterlaceWords(inputs, current))
            a.Add(word);
    a.AddPath(outputFolder + "Compound" + std::to_string(compoundNumber) + "." + current.TargetType);
    return a;
}

int CompoundNumber()
{
    std::srand(static_cast<unsigned>(std::time(nullptr)));
    return std::rand();
}

} // namespace reelvane
