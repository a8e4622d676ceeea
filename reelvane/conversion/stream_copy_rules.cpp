#include "reelvane/conversion/stream_copy_rules.h"

#include "reelvane/conversion/checked_format.h"
#include "reelvane/conversion/engine_arguments.h"
#include "reelvane/frame/language_table.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <map>
#include <optional>
#include <set>
#include <string_view>
#include <strings.h>

namespace reelvane {
namespace {

// Options of Para that only an encoder takes: left out when the stream is copied, and each one
// that names a property of the stream is a rule the source must already meet.
const std::set<std::string_view> kVideoEncoderOptions = {
    "-profile:v",   "-level", "-pix_fmt", "-bf",       "-maxrate",  "-minrate", "-bufsize", "-x264-params",
    "-x265-params", "-r",     "-vsync",   "-g",        "-top",      "-flags",   "-refs",    "-scan_offset",
    "-preset",      "-tune",  "-crf",     "-deadline", "-cpu-used", "-row-mt"};
// Options of the muxer, which hold for a copied stream just as for an encoded one.
const std::set<std::string_view> kMuxerOptions = {"-f",          "-fs",   "-packetsize", "-muxrate",
                                                  "-muxpreload", "-vtag", "-tag:v"};

constexpr int64_t kBlurayVideoBitRate = 40000000;
constexpr int64_t kAvchdVideoBitRate = 24000000;
constexpr int64_t kDiscKeyDistanceMs = 1001; // one second of film-rate pictures
constexpr int kDiscReferenceFrames1080 = 4;

std::string Reason(const char* key, const char* builtin, const std::vector<std::string>& values = {})
{
    return FillText(LookupText("RUN_INFO", key, builtin), values);
}

std::string Mismatch(const char* key, const char* builtin, const std::string& source, const std::string& profile)
{
    return Reason(key, builtin, {source, profile});
}

// Para as option and value pairs; a word after an option is its value unless it is an option.
std::vector<std::pair<std::string, std::string>> ParaOptions(const std::string& para)
{
    std::vector<std::string> words = SplitWords(para);
    std::vector<std::pair<std::string, std::string>> options;
    for (std::size_t i = 0; i < words.size(); ++i) {
        if (words[i].empty() || words[i][0] != '-')
            continue;
        std::string value;
        if (i + 1 < words.size() && (words[i + 1].empty() || words[i + 1][0] != '-'))
            value = words[++i];
        options.emplace_back(words[i - (value.empty() ? 0 : 1)], value);
    }
    return options;
}

std::optional<std::string> ParaValue(const std::string& para, std::string_view option)
{
    for (const auto& [name, value] : ParaOptions(para))
        if (name == option)
            return value;
    return std::nullopt;
}

bool IsDisc(const ProfileSettings& s)
{
    return std::strcmp(s.BurnType, "BLURAY") == 0 || std::strcmp(s.BurnType, "AVCHD") == 0;
}

bool IsBluray(const ProfileSettings& s)
{
    return std::strcmp(s.BurnType, "BLURAY") == 0;
}

// The codec an encoder name of a profile makes, in libavcodec's codec names.
std::string CodecOfEncoder(const char* encoder)
{
    static const std::map<std::string_view, std::string_view> kCodecs = {{"libx264", "h264"},
                                                                         {"h264", "h264"},
                                                                         {"x264", "h264"},
                                                                         {"libx265", "hevc"},
                                                                         {"hevc", "hevc"},
                                                                         {"h265", "hevc"},
                                                                         {"mpeg4", "mpeg4"},
                                                                         {"xvid", "mpeg4"},
                                                                         {"libxvid", "mpeg4"},
                                                                         {"mpeg2video", "mpeg2video"},
                                                                         {"mpeg1video", "mpeg1video"},
                                                                         {"aac", "aac"},
                                                                         {"libfdk_aac", "aac"},
                                                                         {"mp3", "mp3"},
                                                                         {"libmp3lame", "mp3"},
                                                                         {"ac3", "ac3"},
                                                                         {"eac3", "eac3"},
                                                                         {"mp2", "mp2"},
                                                                         {"vorbis", "vorbis"},
                                                                         {"libvorbis", "vorbis"},
                                                                         {"opus", "opus"},
                                                                         {"libopus", "opus"},
                                                                         {"flac", "flac"},
                                                                         {"pcm_s16le", "pcm_s16le"},
                                                                         {"vp8", "vp8"},
                                                                         {"libvpx", "vp8"},
                                                                         {"vp9", "vp9"},
                                                                         {"libvpx-vp9", "vp9"},
                                                                         {"av1", "av1"},
                                                                         {"libsvtav1", "av1"},
                                                                         {"libaom-av1", "av1"},
                                                                         {"librav1e", "av1"},
                                                                         {"alac", "alac"}};
    std::string lower = encoder;
    for (char& c : lower)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    auto found = kCodecs.find(lower);
    return found == kCodecs.end() ? std::string() : std::string(found->second);
}

double Rate(const StreamFacts& f)
{
    return f.rateNum > 0 && f.rateDen > 0 ? static_cast<double>(f.rateNum) / f.rateDen : 0.0;
}

std::optional<double> ParseRate(const std::string& text)
{
    char* end = nullptr;
    double value = std::strtod(text.c_str(), &end);
    if (end && *end == '/') {
        double denominator = std::strtod(end + 1, &end);
        value = denominator > 0 ? value / denominator : 0.0;
    }
    if (!end || *end != '\0' || !(value > 0))
        return std::nullopt;
    return value;
}

bool SameRate(double a, double b)
{
    return std::fabs(a - b) <= 0.002 * b;
}

std::string RateText(double rate)
{
    return FormatText("%.3f", rate);
}

std::string SizeText(int width, int height)
{
    return FormatText("%dx%d", width, height);
}

std::string LevelText(int level)
{
    return FormatText("%d.%d", level / 10, level % 10);
}

// H.264 profiles by what a decoder must support: each one decodes those below it.
int H264Rank(int profile)
{
    switch (profile) {
    case 66:
    case 66 | 512: return 1; // baseline, constrained baseline
    case 77: return 2;       // main
    case 100: return 3;      // high
    default: return 9;
    }
}

int H264RankOfName(const std::string& name)
{
    if (strcasecmp(name.c_str(), "baseline") == 0)
        return 1;
    if (strcasecmp(name.c_str(), "main") == 0)
        return 2;
    if (strcasecmp(name.c_str(), "high") == 0)
        return 3;
    return 0;
}

const char* H264Name(int profile)
{
    switch (H264Rank(profile)) {
    case 1: return "Baseline";
    case 2: return "Main";
    case 3: return "High";
    default: return "other";
    }
}

bool Interlaced(const StreamFacts& f)
{
    return f.fieldOrder >= 2;
}

// The frame size and rate pairs a disc allows for H.264.
struct DiscFormat {
    int width, height;
    double rate;
    bool interlaced;
};
constexpr DiscFormat kDiscFormats[] = {{1920, 1080, 24000.0 / 1001, false},
                                       {1920, 1080, 24.0, false},
                                       {1920, 1080, 25.0, true},
                                       {1920, 1080, 30000.0 / 1001, true},
                                       {1440, 1080, 24000.0 / 1001, false},
                                       {1440, 1080, 24.0, false},
                                       {1440, 1080, 25.0, true},
                                       {1440, 1080, 30000.0 / 1001, true},
                                       {1280, 720, 24000.0 / 1001, false},
                                       {1280, 720, 24.0, false},
                                       {1280, 720, 50.0, false},
                                       {1280, 720, 60000.0 / 1001, false},
                                       {720, 576, 25.0, true},
                                       {720, 480, 30000.0 / 1001, true}};

// What the task asks for that needs the pictures decoded; empty when nothing.
std::string VideoEditReason(const PerFileTask& task, const StreamFacts& f)
{
    const ProfileSettings& s = task.settings;
    auto edit = [](const char* key, const char* builtin) {
        return Reason("strEncodeEditInfo", "the task asks for %s", {LookupText("RUN_INFO", key, builtin)});
    };
    if (s.bVideoEnableCrop)
        return edit("strEditCropInfo", "a crop");
    if (s.bVideoEnablePad)
        return edit("strEditPadInfo", "padding");
    if (!task.subtitlePath.empty())
        return edit("strEditSubtitleInfo", "a burnt-in subtitle");
    if (!task.fromStart || !task.toEnd)
        return edit("strEditTrimInfo", "a trim");
    if (f.rotation != 0)
        return edit("strEditRotationInfo", "a turned picture");
    return {};
}

// Empty when the video stream meets the profile's (or the disc's) rules, else the first one broken.
std::string VideoRuleBroken(const PerFileTask& task, const StreamFacts& f)
{
    const ProfileSettings& s = task.settings;
    if (std::string edit = VideoEditReason(task, f); !edit.empty())
        return edit;
    for (const auto& [option, value] : ParaOptions(s.Para))
        if (!kVideoEncoderOptions.contains(option) && !kMuxerOptions.contains(option))
            return Reason("strEncodeOptionInfo", "the profile sets %s", {option});

    const std::string wanted = CodecOfEncoder(s.cVideoCodec);
    if (wanted.empty() || wanted != f.codec)
        return Mismatch("strEncodeCodecInfo", "the codec %s is not the profile's %s", f.codec,
                        wanted.empty() ? s.cVideoCodec : wanted);
    const double rate = Rate(f);
    if (rate <= 0 || f.variableRate)
        return Reason("strEncodeVariableRateInfo", "the frame rate is variable or unknown");

    const bool disc = IsDisc(s);
    if (disc) {
        const bool allowed = std::any_of(std::begin(kDiscFormats), std::end(kDiscFormats), [&](const DiscFormat& d) {
            return d.width == f.width && d.height == f.height && SameRate(rate, d.rate) &&
                   d.interlaced == Interlaced(f);
        });
        if (!allowed)
            return Mismatch("strEncodeDiscFormatInfo", "%s is not a frame size and rate the disc allows (%s)",
                            SizeText(f.width, f.height) + (Interlaced(f) ? "i" : "p") + RateText(rate), s.BurnType);
    } else {
        if (s.nVideoRiszeOption != 0) {
            const FrameSize frame = OutputFrameSize(s);
            if (frame.width != f.width || frame.height != f.height)
                return Mismatch("strEncodeSizeInfo", "the frame size %s is not the profile's %s",
                                SizeText(f.width, f.height), SizeText(frame.width, frame.height));
        }
        std::optional<double> profileRate;
        if (s.bVideoCustomFrameRate)
            profileRate = s.nVideoCustomFrameRate;
        else if (auto r = ParaValue(s.Para, "-r"))
            profileRate = ParseRate(*r);
        if (profileRate && !SameRate(rate, *profileRate))
            return Mismatch("strEncodeRateInfo", "the frame rate %s is not the profile's %s", RateText(rate),
                            RateText(*profileRate));
        if (s.nAspect) {
            const double shown =
                f.height > 0 ? f.width * (f.sarNum > 0 && f.sarDen > 0 ? double(f.sarNum) / f.sarDen : 1.0) / f.height
                             : 0;
            const double aspect = s.nAspect == 1 ? 4.0 / 3.0 : 16.0 / 9.0;
            if (std::fabs(shown - aspect) > 0.02 * aspect)
                return Mismatch("strEncodeAspectInfo", "the picture shape %s is not the profile's %s",
                                FormatText("%.2f", shown), s.nAspect == 1 ? "4:3" : "16:9");
        }
        if (ParaValue(s.Para, "-flags").value_or("").find("ilme") != std::string::npos && !Interlaced(f))
            return Reason("strEncodeScanInfo", "the profile makes interlaced pictures");
    }

    const std::string pixelFormat = disc ? "yuv420p" : ParaValue(s.Para, "-pix_fmt").value_or("");
    if (!pixelFormat.empty() && pixelFormat != f.pixelFormat)
        return Mismatch("strEncodePixelFormatInfo", "the pixel format %s is not the profile's %s",
                        f.pixelFormat[0] ? f.pixelFormat : "?", pixelFormat);

    if (f.codec == std::string("h264")) {
        const std::string named = disc ? "high" : ParaValue(s.Para, "-profile:v").value_or("");
        if (!named.empty() && H264Rank(f.profile) > H264RankOfName(named))
            return Mismatch("strEncodeH264ProfileInfo", "the H.264 profile %s is above the profile's %s",
                            H264Name(f.profile), named);
        int level = 0;
        if (disc)
            level = IsBluray(s) ? 41 : 40;
        else if (auto text = ParaValue(s.Para, "-level")) {
            const double value = std::strtod(text->c_str(), nullptr); // "4.1" or "41"
            level = static_cast<int>(std::lround(value < 10 ? value * 10 : value));
        }
        if (level > 0 && (f.level <= 0 || f.level > level))
            return Mismatch("strEncodeLevelInfo", "the level %s is above the profile's %s",
                            f.level > 0 ? LevelText(f.level) : "?", LevelText(level));
        int references = disc && f.height >= 1080 ? kDiscReferenceFrames1080 : 0;
        if (auto text = ParaValue(s.Para, "-refs"); text && !disc)
            references = std::atoi(text->c_str());
        if (references > 0 && (f.refFrames <= 0 || f.refFrames > references))
            return Mismatch("strEncodeReferencesInfo", "%s reference frames are more than the profile's %s",
                            f.refFrames > 0 ? std::to_string(f.refFrames) : "?", std::to_string(references));
    }

    int64_t keyLimitMs = disc ? kDiscKeyDistanceMs : 0;
    if (auto g = ParaValue(s.Para, "-g"); g && !disc)
        keyLimitMs = static_cast<int64_t>(std::ceil(std::atoi(g->c_str()) * 1000.0 / rate));
    if (keyLimitMs > 0 && (f.maxKeyDistanceMs < 0 || f.maxKeyDistanceMs > keyLimitMs + 1))
        return Mismatch("strEncodeKeyDistanceInfo", "key frames %s ms apart are further than the profile's %s ms",
                        f.maxKeyDistanceMs < 0 ? "?" : std::to_string(f.maxKeyDistanceMs), std::to_string(keyLimitMs));

    int64_t limit = IsBluray(s) ? kBlurayVideoBitRate : disc ? kAvchdVideoBitRate : 0;
    if (!disc) {
        const int64_t kilobits = s.bVideoCustomBitRate ? s.nVideoCustomBitRate : s.nVideoDefaultBitRate;
        limit = kilobits * 1000;
        if (auto maxrate = ParaValue(s.Para, "-maxrate"))
            limit = std::max<int64_t>(limit, static_cast<int64_t>(std::strtod(maxrate->c_str(), nullptr) * 1000));
    }
    // A stream without its own rate is bounded by the whole file's.
    const int64_t bitRate = f.bitRate > 0 ? f.bitRate : task.probed.mediaInfo.bitRate;
    if (bitRate <= 0 || bitRate > limit)
        return Mismatch("strEncodeBitRateInfo", "the bit rate %s kbit/s is above the profile's %s kbit/s",
                        bitRate > 0 ? std::to_string(bitRate / 1000) : "?", std::to_string(limit / 1000));
    return {};
}

bool IsLpcm(const std::string& codec)
{
    return codec == "pcm_s16le" || codec == "pcm_s24le" || codec == "pcm_s16be" || codec == "pcm_bluray";
}

std::string AudioRuleBroken(const PerFileTask& task, const StreamFacts& f, CopyTarget target)
{
    const ProfileSettings& s = task.settings;
    if (s.bAudioCustomVolume)
        return Reason("strEncodeEditInfo", "the task asks for %s",
                      {LookupText("RUN_INFO", "strEditVolumeInfo", "a volume change")});
    if (!task.fromStart || !task.toEnd)
        return Reason("strEncodeEditInfo", "the task asks for %s",
                      {LookupText("RUN_INFO", "strEditTrimInfo", "a trim")});
    if (IsDisc(s)) {
        const std::string codec = f.codec;
        const bool disc = codec == "ac3" || codec == "eac3" || codec == "dts" || IsLpcm(codec);
        if (!disc)
            return Mismatch("strEncodeCodecInfo", "the codec %s is not the profile's %s", codec,
                            "AC-3, E-AC-3, DTS, LPCM");
        if (f.sampleRate != 48000)
            return Mismatch("strEncodeSampleRateInfo", "the sample rate %s Hz is not the profile's %s Hz",
                            std::to_string(f.sampleRate), "48000");
        if (IsLpcm(codec) && target == CopyTarget::Engine)
            return Reason("strEncodeLpcmInfo", "LPCM is kept only when the disc is authored from the source");
        return {};
    }
    const std::string wanted = CodecOfEncoder(s.cAudioCodec);
    if (wanted.empty() || wanted != f.codec)
        return Mismatch("strEncodeCodecInfo", "the codec %s is not the profile's %s", f.codec,
                        wanted.empty() ? s.cAudioCodec : wanted);
    if (s.bAudioCustomSampleRate && f.sampleRate != s.nAudioCustomSampleRate)
        return Mismatch("strEncodeSampleRateInfo", "the sample rate %s Hz is not the profile's %s Hz",
                        std::to_string(f.sampleRate), std::to_string(s.nAudioCustomSampleRate));
    if (s.nAudioChannel && f.channels != s.nAudioChannel)
        return Mismatch("strEncodeChannelsInfo", "%s channels are not the profile's %s", std::to_string(f.channels),
                        std::to_string(s.nAudioChannel));
    if (s.bAudioCustomBitRate) {
        const int64_t limit = static_cast<int64_t>(s.nAudioCustomBitRate * 1000.0f);
        if (f.bitRate <= 0 || f.bitRate > limit + limit / 20)
            return Mismatch("strEncodeBitRateInfo", "the bit rate %s kbit/s is above the profile's %s kbit/s",
                            f.bitRate > 0 ? std::to_string(f.bitRate / 1000) : "?", std::to_string(limit / 1000));
    }
    return {};
}

StreamDecision Decide(int index, int kind, const std::string& broken)
{
    if (broken.empty())
        return {index, kind, StreamAction::Copy, Reason("strCopyFitsInfo", "it already fits the profile")};
    return {index, kind, StreamAction::Encode, broken};
}

} // namespace

const StreamFacts* FactsOf(const ProbedSource& probed, int index)
{
    if (index < 0 || index >= static_cast<int>(probed.facts.size()))
        return nullptr;
    return &probed.facts[static_cast<std::size_t>(index)];
}

bool DiscAuthorReads(const ProbedSource& probed)
{
    const std::string format = probed.mediaInfo.formatName;
    return format.starts_with("matroska") || format == "mpegts";
}

const char* ActionName(StreamAction action)
{
    return action == StreamAction::Copy ? "copy" : "encode";
}

bool StreamPlan::CopiesVideo() const
{
    return std::any_of(streams.begin(), streams.end(), [](const StreamDecision& d) {
        return d.kind == VEXEN_KIND_VIDEO && d.action == StreamAction::Copy;
    });
}

bool StreamPlan::CopiesAudio() const
{
    for (const StreamDecision& d : streams)
        if (d.kind == VEXEN_KIND_AUDIO)
            return d.action == StreamAction::Copy;
    return false;
}

bool StreamPlan::CopiesEverything() const
{
    return !streams.empty() && std::all_of(streams.begin(), streams.end(),
                                           [](const StreamDecision& d) { return d.action == StreamAction::Copy; });
}

StreamPlan PlanStreams(const PerFileTask& task, bool copyFitting, CopyTarget target)
{
    const ProfileSettings& s = task.settings;
    const ProbedSource& probed = task.probed;
    StreamPlan plan;
    auto decide = [&](int index, int kind, bool first) {
        const StreamFacts* facts = FactsOf(probed, index);
        std::string broken;
        if (!copyFitting)
            broken = Reason("strEncodeAskedInfo", "copying streams that fit is turned off");
        else if (!facts || !facts->codec[0])
            broken = Reason("strEncodeUnknownInfo", "the stream's facts are unknown");
        else if (!first)
            broken = Reason("strEncodeFurtherTrackInfo", "a further audio track becomes stereo AC-3");
        else
            broken = kind == VEXEN_KIND_VIDEO ? VideoRuleBroken(task, *facts) : AudioRuleBroken(task, *facts, target);
        plan.streams.push_back(Decide(index, kind, broken));
    };
    if (!s.bDisableVideo && probed.mediaInfo.videoIndex >= 0)
        decide(probed.mediaInfo.videoIndex, VEXEN_KIND_VIDEO, true);
    if (!s.bDisableAudio) {
        std::vector<int> audioStreams;
        for (std::size_t i = 0; i < probed.streams.size(); ++i)
            if (probed.streams[i].kind == VEXEN_KIND_AUDIO)
                audioStreams.push_back(static_cast<int>(i));
        bool first = true;
        for (const AudioTrackEntry& entry : probed.audioTracks) {
            if (!entry.selected || entry.position < 0 || entry.position >= static_cast<int>(audioStreams.size()))
                continue;
            decide(audioStreams[static_cast<std::size_t>(entry.position)], VEXEN_KIND_AUDIO, first);
            first = false;
        }
    }
    return plan;
}

ProfileSettings CopySettings(const ProfileSettings& settings, const StreamPlan& plan)
{
    ProfileSettings s = settings;
    if (plan.CopiesVideo()) {
        SetText(s.cVideoCodec, "copy");
        s.nVideoRiszeOption = 0;
        s.bVideoCustomFrameRate = 0;
        s.bVideoHighQuality = 0;
        s.nAspect = 0;
        std::string para;
        for (const auto& [option, value] : ParaOptions(settings.Para)) {
            if (kVideoEncoderOptions.contains(option))
                continue;
            para += (para.empty() ? "" : " ") + option + (value.empty() ? "" : " " + value);
        }
        SetText(s.Para, para);
    }
    if (plan.CopiesAudio()) {
        SetText(s.cAudioCodec, "copy");
        s.bAudioCustomSampleRate = 0;
        s.nAudioChannel = 0;
        s.bAudioCustomBitRate = 0;
    }
    return s;
}

} // namespace reelvane
