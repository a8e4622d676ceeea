#include "adapters/vexen/vector_translation.h"

#include "adapters/vexen/encoder_names.h"
#include "adapters/vexen/filter_escape.h"
#include "adapters/vexen/vexen.h"

extern "C" {
#include <libavutil/avutil.h>
#include <libavutil/parseutils.h>
}

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <optional>
#include <set>
#include <string_view>

namespace vexen {
namespace {

// Options of the engine dialect this translator understands, with their argument counts.
// Every other word is handed to ffmpeg as it stands.
const std::map<std::string_view, int>& KnownOptions()
{
    static const std::map<std::string_view, int> known = {
        {"-an", 0},         {"-vn", 0},         {"-hq", 0},       {"-newaudio", 0},  {"-i", 1},
        {"-ivs", 1},        {"-ias", 1},        {"-vhook", 1},    {"-ar", 1},        {"-ac", 1},
        {"-vol", 1},        {"-ab", 1},         {"-r", 1},        {"-b", 1},         {"-acodec", 1},
        {"-vcodec", 1},     {"-s", 1},          {"-aspect", 1},   {"-map", 1},       {"-fs", 1},
        {"-croptop", 1},    {"-cropbottom", 1}, {"-cropleft", 1}, {"-cropright", 1}, {"-padtop", 1},
        {"-padbottom", 1},  {"-padleft", 1},    {"-padright", 1}, {"-padcolor", 1},  {"-deinterlace", 0},
        {"-fieldscale", 0}, {"-fieldorder", 1}, {"-cover", 1},    {"-tonemap", 1},
    };
    return known;
}

int ArgumentCount(const std::string& word)
{
    auto found = KnownOptions().find(word);
    return found == KnownOptions().end() ? -1 : found->second;
}

// The ffmpeg options that take no value, each also with "no" in front: a plain word after one
// of them is no value but one more output file.
bool IsFfmpegSwitch(const std::string& word)
{
    static const std::set<std::string_view> switches = {"accurate_seek",
                                                        "an",
                                                        "auto_conversion_filters",
                                                        "autorotate",
                                                        "autoscale",
                                                        "benchmark",
                                                        "benchmark_all",
                                                        "bitexact",
                                                        "copy_unknown",
                                                        "copyinkf",
                                                        "copyts",
                                                        "debug_ts",
                                                        "dn",
                                                        "dump",
                                                        "find_stream_info",
                                                        "fix_sub_duration",
                                                        "force_fps",
                                                        "hex",
                                                        "hide_banner",
                                                        "ignore_unknown",
                                                        "n",
                                                        "psnr",
                                                        "qphist",
                                                        "re",
                                                        "recast_media",
                                                        "report",
                                                        "seek_timestamp",
                                                        "shortest",
                                                        "sn",
                                                        "start_at_zero",
                                                        "stats",
                                                        "stdin",
                                                        "vn",
                                                        "vstats",
                                                        "xerror",
                                                        "y"};
    if (word.size() < 2 || word[0] != '-')
        return false;
    std::string_view name = std::string_view(word).substr(1);
    return switches.contains(name) || (name.starts_with("no") && switches.contains(name.substr(2)));
}

// Options and formats with which ffmpeg writes files beside the output, which no partial name
// covers and no cancel removes.
bool WritesOtherFiles(const std::string& option, const std::string& value)
{
    static const std::set<std::string_view> options = {"-passlogfile", "-vstats",   "-vstats_file",    "-report",
                                                       "-progress",    "-sdp_file", "-dump_attachment"};
    static const std::set<std::string_view> formats = {"tee", "segment", "ssegment", "stream_segment", "hls", "dash"};
    return options.contains(option) || (option == "-f" && formats.contains(value));
}

bool IsInputDirective(const std::string& word)
{
    return word == "-i" || word == "-ivs" || word == "-ias";
}

std::optional<double> ParseNumber(const std::string& text)
{
    if (text.empty())
        return std::nullopt;
    char* end = nullptr;
    double value = std::strtod(text.c_str(), &end);
    if (*end != '\0' || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::string FormatNumber(double value)
{
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%g", value);
    return buffer;
}

struct Sides {
    long top = 0, bottom = 0, left = 0, right = 0;
};

struct MergedSegment {
    std::string videoPath;
    std::string audioPath;
};

struct InputFacts {
    bool hasVideo = false;
    bool hasAudio = false;
    int width = 0;
    int height = 0;
    int videoIndex = -1;
};

std::optional<InputFacts> ProbeInput(const std::string& path)
{
    MediaFileInfo info;
    StreamInfo* streams = nullptr;
    if (GetMediaFileInfo(path.c_str(), &info, &streams, 0) != 0)
        return std::nullopt;
    InputFacts facts;
    facts.hasAudio = info.audioCount > 0;
    if (info.videoIndex >= 0) {
        facts.hasVideo = true;
        facts.videoIndex = info.videoIndex;
        facts.width = streams[info.videoIndex].width;
        facts.height = streams[info.videoIndex].height;
    }
    FreeStreamInfo(streams);
    return facts;
}

// The StreamFacts field order of a video stream, from the container or else from a field scan.
int32_t FieldOrderOf(const std::string& path, int videoIndex)
{
    StreamFacts* facts = nullptr;
    int32_t count = 0, order = 0;
    if (GetStreamFacts(path.c_str(), &facts, &count) == 0 && videoIndex >= 0 && videoIndex < count)
        order = facts[videoIndex].fieldOrder;
    FreeStreamFacts(facts);
    return order == 0 && videoIndex >= 0 ? ScanFieldOrder(path.c_str(), videoIndex) : order;
}

// Fields of the other order turned into `order` ("tff", "bff"); the source is marked as having
// them first, since a container that says nothing leaves its frames flagged progressive.
std::string TurnFields(const std::string& order)
{
    return std::string("setfield=") + (order == "tff" ? "bff" : "tff") + ",fieldorder=" + order;
}

class Translator {
public:
    Translator(const std::vector<std::string>& words, const std::string& subtitleStyle)
        : words_(words), subtitleStyle_(subtitleStyle)
    {
    }

    Translation Run();

private:
    std::size_t FindOutput() const;
    bool IsStrayWord(std::size_t i) const;
    void TakeOption(std::size_t& i);
    void TakeGroupOption(std::size_t& i);
    void TakeInputDirective(const std::string& option, const std::string& value);
    void TakeSubtitleHook(const std::string& value);
    void TakeToneMap(const std::string& value);
    std::optional<double> Number(const std::string& option, const std::string& value);
    std::optional<long long> Count(const std::string& option, const std::string& value, double scale);
    std::string Bits(const std::string& option, const std::string& kilobits);
    std::string Encoder(const std::string& codec, CodecKind kind);
    void Fail(const std::string& message);

    void AppendToneMap(std::vector<std::string>& chain);
    void AppendSubtitle(std::vector<std::string>& chain);
    void AppendCrop(std::vector<std::string>& chain);
    void AppendPad(std::vector<std::string>& chain);
    std::optional<std::pair<int, int>> FrameSize();
    void AppendHighQuality(std::vector<std::string>& args);
    void BuildPerFile(std::vector<std::string>& args);
    void BuildMerged(std::vector<std::string>& args);

    const std::vector<std::string>& words_;
    const std::string& subtitleStyle_;
    bool inputSeen_ = false;
    std::vector<std::string> inputOptions_;
    std::vector<std::string> inputs_;
    std::vector<MergedSegment> segments_;
    std::vector<std::string> outputOptions_;
    std::string seek_;
    std::string subtitle_;
    std::optional<Sides> crop_;
    std::optional<Sides> pad_;
    unsigned long padColor_ = 0;
    std::string size_;
    std::optional<double> volume_;
    bool highQuality_ = false;
    bool deinterlace_ = false;
    bool fieldScale_ = false;
    std::string fieldOrder_; // the output's, where the source's fields are the other way round
    int coverStream_ = -1;
    std::optional<std::pair<int, int>> toneMapSource_; // colour primaries and matrix of the HDR source
    bool noVideo_ = false;
    bool noAudio_ = false;
    bool experimental_ = false;
    std::string videoEncoder_;
    std::string formatName_;
    std::vector<std::string> maps_;
    std::vector<std::string> groupOptions_;
    std::vector<std::string> pendingGroup_;
    int groupIndex_ = 1;
    std::optional<long long> sizeLimit_;
    std::string output_;
    std::string error_;
};

void Translator::Fail(const std::string& message)
{
    if (error_.empty())
        error_ = message;
}

// The output is the last plain word that no known option takes as its argument: arguments of
// unknown options come before it, and only "-newaudio" groups follow it.
std::size_t Translator::FindOutput() const
{
    std::size_t output = 0;
    for (std::size_t i = 1; i < words_.size();) {
        int count = ArgumentCount(words_[i]);
        if (count >= 0) {
            i += 1 + count;
            continue;
        }
        if (!words_[i].empty() && words_[i][0] != '-')
            output = i;
        ++i;
    }
    return output;
}

std::optional<double> Translator::Number(const std::string& option, const std::string& value)
{
    auto number = ParseNumber(value);
    if (!number)
        Fail("The value \"" + value + "\" of " + option + " is not a number.");
    return number;
}

// A count made from a number of the vector: larger ones are refused, not wrapped.
std::optional<long long> Translator::Count(const std::string& option, const std::string& value, double scale)
{
    constexpr double kLargest = 1e15; // sums and products of two stay within 64 bits
    auto number = Number(option, value);
    if (!number)
        return std::nullopt;
    if (std::fabs(*number * scale) > kLargest) {
        Fail("The value \"" + value + "\" of " + option + " is out of range.");
        return std::nullopt;
    }
    return std::llround(*number * scale);
}

std::string Translator::Bits(const std::string& option, const std::string& kilobits)
{
    auto bits = Count(option, kilobits, 1000.0);
    return bits ? std::to_string(*bits) : std::string();
}

std::string Translator::Encoder(const std::string& codec, CodecKind kind)
{
    EncoderChoice choice = FindEncoder(codec, kind);
    if (!choice.error.empty())
        Fail(choice.error);
    experimental_ = experimental_ || choice.experimental;
    return choice.encoder;
}

void Translator::TakeInputDirective(const std::string& option, const std::string& value)
{
    if (option == "-i") {
        inputs_.push_back(value);
        return;
    }
    std::string_view rest = value;
    bool startsSegment = false;
    for (;;) {
        if (rest.starts_with("&new ")) {
            startsSegment = true;
            rest.remove_prefix(5);
        } else if (rest.starts_with("&dshow ")) {
            rest.remove_prefix(7); // FFmpeg reads those formats itself
        } else {
            break;
        }
    }
    if (!rest.starts_with("&file ")) {
        Fail("The input directive \"" + value + "\" of " + option + " is not understood.");
        return;
    }
    rest.remove_prefix(6);
    if (startsSegment || segments_.empty())
        segments_.emplace_back();
    (option == "-ivs" ? segments_.back().videoPath : segments_.back().audioPath) = std::string(rest);
}

void Translator::TakeSubtitleHook(const std::string& value)
{
    constexpr std::string_view kHook = "SubTitleHook -f ";
    if (!std::string_view(value).starts_with(kHook)) {
        Fail("The video hook \"" + value + "\" is not supported.");
        return;
    }
    subtitle_ = value.substr(kHook.size());
}

// "-tonemap PRIMARIES:MATRIX": the source's colour code points, which the tone mapping needs even
// where the file leaves them out.
void Translator::TakeToneMap(const std::string& value)
{
    int primaries = 0, matrix = 0;
    char end = 0;
    if (std::sscanf(value.c_str(), "%d:%d%c", &primaries, &matrix, &end) != 2 || primaries < 0 || primaries > 255 ||
        matrix < 0 || matrix > 255) {
        Fail("The colour description \"" + value + "\" of -tonemap is not understood.");
        return;
    }
    toneMapSource_ = std::make_pair(primaries, matrix);
}

// "-y" asks to overwrite, which the engine never does; passed on it would clash with the "-n" the
// runner adds and fail every conversion.
bool IsOverwriteSwitch(const std::string& word)
{
    return word == "-y";
}

// A word that ffmpeg would take as one more output file: a plain word (or "-", the standard
// output) that follows no option taking a value.
bool Translator::IsStrayWord(std::size_t i) const
{
    const std::string& word = words_[i];
    if (word != "-" && (word.empty() || word[0] == '-'))
        return false;
    const std::string& previous = words_[i - 1];
    return i == 1 || previous.size() < 2 || previous[0] != '-' || ArgumentCount(previous) >= 0 ||
           IsFfmpegSwitch(previous);
}

void Translator::TakeOption(std::size_t& i)
{
    const std::string& option = words_[i];
    if (IsOverwriteSwitch(option)) {
        ++i;
        return;
    }
    if (IsStrayWord(i))
        Fail("The word \"" + option + "\" would make an output file of its own.");
    else if (WritesOtherFiles(option, i + 1 < words_.size() ? words_[i + 1] : std::string()))
        Fail("The option " + option + " would write files beside the output.");
    int count = ArgumentCount(option);
    if (!inputSeen_ && !IsInputDirective(option)) {
        // Words before the input are input options and stay as they are.
        if (option == "-ss" && i + 1 < words_.size())
            seek_ = words_[i + 1];
        inputOptions_.push_back(option);
        ++i;
        return;
    }
    if (count < 0 || option == "-newaudio") {
        if (option == "-f" && i + 1 < words_.size())
            formatName_ = words_[i + 1];
        outputOptions_.push_back(option);
        ++i;
        return;
    }
    if (i + count >= words_.size()) {
        Fail("The option " + option + " has no value.");
        i = words_.size();
        return;
    }
    const std::string value = count > 0 ? words_[i + 1] : std::string();
    i += 1 + count;

    if (IsInputDirective(option)) {
        inputSeen_ = true;
        TakeInputDirective(option, value);
    } else if (option == "-vhook") {
        TakeSubtitleHook(value);
    } else if (option == "-an" || option == "-vn") {
        (option == "-an" ? noAudio_ : noVideo_) = true;
        outputOptions_.push_back(option);
    } else if (option == "-ar" || option == "-ac" || option == "-r" || option == "-aspect") {
        outputOptions_.insert(outputOptions_.end(), {option, value});
    } else if (option == "-vol") {
        if (auto level = Number(option, value))
            volume_ = *level / 256.0;
    } else if (option == "-ab" || option == "-b") {
        outputOptions_.insert(outputOptions_.end(), {option == "-ab" ? "-b:a" : "-b:v", Bits(option, value)});
    } else if (option == "-hq") {
        highQuality_ = true;
    } else if (option == "-deinterlace") {
        deinterlace_ = true;
    } else if (option == "-fieldscale") {
        fieldScale_ = true;
    } else if (option == "-fieldorder") {
        if (value != "tff" && value != "bff")
            Fail("The field order \"" + value + "\" is neither tff nor bff.");
        fieldOrder_ = value;
    } else if (option == "-cover") {
        if (auto stream = Count(option, value, 1.0))
            coverStream_ = static_cast<int>(*stream);
    } else if (option == "-tonemap") {
        TakeToneMap(value);
    } else if (option == "-acodec") {
        outputOptions_.insert(outputOptions_.end(), {"-c:a", Encoder(value, CodecKind::Audio)});
    } else if (option == "-vcodec") {
        videoEncoder_ = Encoder(value, CodecKind::Video);
        outputOptions_.insert(outputOptions_.end(), {"-c:v", videoEncoder_});
    } else if (option.starts_with("-crop") || option.starts_with("-pad")) {
        if (option == "-padcolor") {
            padColor_ = std::strtoul(value.c_str(), nullptr, 0) & 0xFFFFFFu;
            return;
        }
        auto amount = Count(option, value, 1.0);
        if (!amount)
            return;
        std::optional<Sides>& sides = option.starts_with("-crop") ? crop_ : pad_;
        if (!sides)
            sides.emplace();
        std::string_view side = std::string_view(option).substr(option.starts_with("-crop") ? 5 : 4);
        long pixels = static_cast<long>(*amount);
        (side == "top"      ? sides->top
         : side == "bottom" ? sides->bottom
         : side == "left"   ? sides->left
                            : sides->right) = pixels;
        if (pixels < 0)
            Fail("The value " + value + " of " + option + " is negative.");
    } else if (option == "-s") {
        size_ = value;
    } else if (option == "-map") {
        maps_.push_back(value);
    } else if (option == "-fs") {
        // In the dialect 0 means no limit; the current program would stop before the first frame
        // and still report success.
        if (auto kilobytes = Count(option, value, 1.0); kilobytes && *kilobytes > 0)
            sizeLimit_ = *kilobytes * 1024;
    }
}

// After the output only "-newaudio" groups count: each adds one audio stream with its options.
void Translator::TakeGroupOption(std::size_t& i)
{
    const std::string& option = words_[i];
    if (IsOverwriteSwitch(option)) {
        ++i;
        return;
    }
    if (option == "-newaudio") {
        groupOptions_.insert(groupOptions_.end(), pendingGroup_.begin(), pendingGroup_.end());
        pendingGroup_.clear();
        ++groupIndex_;
        ++i;
        return;
    }
    bool grouped = option == "-acodec" || option == "-ar" || option == "-ab" || option == "-ac";
    if (!grouped || i + 1 >= words_.size()) {
        outputOptions_.push_back(option);
        ++i;
        return;
    }
    const std::string& value = words_[i + 1];
    i += 2;
    std::string stream = ":a:" + std::to_string(groupIndex_);
    if (option == "-acodec")
        pendingGroup_.insert(pendingGroup_.end(), {"-c" + stream, Encoder(value, CodecKind::Audio)});
    else if (option == "-ab")
        pendingGroup_.insert(pendingGroup_.end(), {"-b" + stream, Bits(option, value)});
    else
        pendingGroup_.insert(pendingGroup_.end(), {option + stream, value});
}

std::optional<std::pair<int, int>> Translator::FrameSize()
{
    if (size_.empty())
        return std::nullopt;
    int width = 0, height = 0;
    if (av_parse_video_size(&width, &height, size_.c_str()) < 0) {
        Fail("The frame size \"" + size_ + "\" is not understood.");
        return std::nullopt;
    }
    return std::make_pair(width, height);
}

// HDR light levels brought down to an 8-bit BT.709 picture: shown as it stands, a PQ or HLG picture
// looks grey and flat.
void Translator::AppendToneMap(std::vector<std::string>& chain)
{
    if (!toneMapSource_)
        return;
    chain.push_back("setparams=color_primaries=" + std::to_string(toneMapSource_->first) +
                    ":colorspace=" + std::to_string(toneMapSource_->second));
    chain.push_back("zscale=t=linear:npl=100");
    chain.push_back("format=gbrpf32le");
    chain.push_back("zscale=p=bt709");
    chain.push_back("tonemap=hable:desat=0");
    chain.push_back("zscale=t=bt709:m=bt709:r=tv");
    chain.push_back("format=yuv420p");
}

void Translator::AppendSubtitle(std::vector<std::string>& chain)
{
    if (subtitle_.empty())
        return;
    // Subtitle times are those of the source: undo the input seek while drawing.
    int64_t seek = 0;
    if (!seek_.empty() && av_parse_time(&seek, seek_.c_str(), 1) == 0 && seek > 0) {
        std::string offset = FormatNumber(seek / 1e6);
        chain.push_back("setpts=PTS+" + offset + "/TB");
        chain.push_back(SubtitlesFilter(subtitle_, subtitleStyle_));
        chain.push_back("setpts=PTS-" + offset + "/TB");
    } else {
        chain.push_back(SubtitlesFilter(subtitle_, subtitleStyle_));
    }
}

void Translator::AppendCrop(std::vector<std::string>& chain)
{
    if (!crop_)
        return;
    chain.push_back("crop=w=iw-" + std::to_string(crop_->left + crop_->right) + ":h=ih-" +
                    std::to_string(crop_->top + crop_->bottom) + ":x=" + std::to_string(crop_->left) +
                    ":y=" + std::to_string(crop_->top));
}

void Translator::AppendPad(std::vector<std::string>& chain)
{
    if (!pad_)
        return;
    char color[16];
    std::snprintf(color, sizeof color, "0x%06lX", padColor_);
    chain.push_back("pad=w=iw+" + std::to_string(pad_->left + pad_->right) + ":h=ih+" +
                    std::to_string(pad_->top + pad_->bottom) + ":x=" + std::to_string(pad_->left) +
                    ":y=" + std::to_string(pad_->top) + ":color=" + color);
}

std::string Join(const std::vector<std::string>& parts, const char* separator)
{
    std::string text;
    for (const std::string& part : parts)
        text += (text.empty() ? "" : separator) + part;
    return text;
}

void Translator::AppendHighQuality(std::vector<std::string>& args)
{
    if (!highQuality_ || noVideo_)
        return;
    std::string encoder = videoEncoder_.empty() ? DefaultVideoEncoder(formatName_, output_) : videoEncoder_;
    for (std::string& word : HighQualityOptions(encoder))
        args.push_back(std::move(word));
}

void Translator::BuildPerFile(std::vector<std::string>& args)
{
    args.insert(args.end(), inputOptions_.begin(), inputOptions_.end());
    for (const std::string& input : inputs_)
        args.insert(args.end(), {"-i", input});
    args.insert(args.end(), outputOptions_.begin(), outputOptions_.end());
    if (!noVideo_) {
        // Crop before scaling, and pad after it, so that "-s" is the picture inside the pads.
        std::vector<std::string> chain;
        // One picture per frame, made before anything is drawn on it or scaled.
        if (deinterlace_)
            chain.push_back("bwdif=mode=send_frame");
        if (!fieldOrder_.empty())
            chain.push_back(TurnFields(fieldOrder_));
        // Subtitles and pads are drawn in the output's colours, so the light levels are mapped first.
        AppendToneMap(chain);
        AppendSubtitle(chain);
        AppendCrop(chain);
        if (auto size = FrameSize())
            chain.push_back("scale=" + std::to_string(size->first) + ":" + std::to_string(size->second) +
                            (fieldScale_ ? ":interl=1" : ""));
        AppendPad(chain);
        if (!chain.empty())
            args.insert(args.end(), {"-vf", Join(chain, ",")});
    }
    if (!noAudio_ && volume_)
        args.insert(args.end(), {"-af", "volume=" + FormatNumber(*volume_)});
    AppendHighQuality(args);
    for (const std::string& map : maps_)
        args.insert(args.end(), {"-map", map});
    if (!noAudio_)
        args.insert(args.end(), groupOptions_.begin(), groupOptions_.end());
}

// All inputs joined one after another, each scaled to one frame size.
void Translator::BuildMerged(std::vector<std::string>& args)
{
    std::vector<InputFacts> facts;
    bool allVideo = true, anyVideo = false, allAudio = true, anyAudio = false;
    auto probe = [this](const std::string& path) {
        if (path.empty())
            return InputFacts{};
        auto facts = ProbeInput(path);
        if (!facts)
            Fail("The file \"" + path + "\" cannot be read.");
        return facts.value_or(InputFacts{});
    };
    for (const MergedSegment& segment : segments_) {
        InputFacts video = probe(segment.videoPath);
        InputFacts audio = probe(segment.audioPath);
        allVideo = allVideo && video.hasVideo;
        anyVideo = anyVideo || video.hasVideo;
        allAudio = allAudio && audio.hasAudio;
        anyAudio = anyAudio || audio.hasAudio;
        facts.push_back(video);
    }
    bool withVideo = allVideo && !noVideo_;
    bool withAudio = allAudio && !noAudio_;
    if (anyVideo && !allVideo && !noVideo_)
        Fail("Some of the files to join have no video.");
    if (anyAudio && !allAudio && !noAudio_)
        Fail("Some of the files to join have no audio.");
    if (!withVideo && !withAudio)
        Fail("The files to join have neither video nor audio.");

    int width = facts.front().width, height = facts.front().height;
    if (auto size = FrameSize()) {
        width = size->first;
        height = size->second;
    }
    std::vector<std::string> graph;
    std::string concatInputs;
    int inputIndex = 0;
    for (std::size_t k = 0; k < segments_.size(); ++k) {
        const MergedSegment& segment = segments_[k];
        int videoInput = -1, audioInput = -1;
        for (const std::string* path : {&segment.videoPath, &segment.audioPath}) {
            if (path->empty())
                continue;
            if (path == &segment.audioPath && *path == segment.videoPath) {
                audioInput = videoInput;
                continue;
            }
            args.insert(args.end(), inputOptions_.begin(), inputOptions_.end());
            args.insert(args.end(), {"-i", *path});
            (path == &segment.videoPath ? videoInput : audioInput) = inputIndex++;
        }
        std::string id = std::to_string(k);
        if (withVideo) {
            std::vector<std::string> chain;
            // Each source's fields as the output needs them: progressive ones stay as they are.
            if (deinterlace_ || !fieldOrder_.empty()) {
                int32_t order = FieldOrderOf(segment.videoPath, facts[k].videoIndex);
                if (deinterlace_ && (order == 2 || order == 3))
                    chain.push_back("bwdif=mode=send_frame");
                if (!fieldOrder_.empty() && order == (fieldOrder_ == "tff" ? 3 : 2))
                    chain.push_back(TurnFields(fieldOrder_));
            }
            AppendCrop(chain);
            chain.push_back("scale=" + std::to_string(width) + ":" + std::to_string(height) +
                            (fieldScale_ ? ":interl=1" : ""));
            chain.push_back("setsar=1");
            graph.push_back("[" + std::to_string(videoInput) + ":v:0]" + Join(chain, ",") + "[v" + id + "]");
            concatInputs += "[v" + id + "]";
        }
        if (withAudio) {
            graph.push_back("[" + std::to_string(audioInput) + ":a:0]anull[a" + id + "]");
            concatInputs += "[a" + id + "]";
        }
    }
    graph.push_back(concatInputs + "concat=n=" + std::to_string(segments_.size()) + ":v=" + (withVideo ? "1" : "0") +
                    ":a=" + (withAudio ? "1" : "0") + (withVideo ? "[joinedv]" : "") + (withAudio ? "[joineda]" : ""));
    std::vector<std::string> maps;
    if (withVideo) {
        std::vector<std::string> chain;
        AppendSubtitle(chain);
        AppendPad(chain);
        graph.push_back("[joinedv]" + (chain.empty() ? std::string("null") : Join(chain, ",")) + "[vout]");
        maps.insert(maps.end(), {"-map", "[vout]"});
    }
    if (withAudio) {
        graph.push_back("[joineda]" + (volume_ ? "volume=" + FormatNumber(*volume_) : std::string("anull")) + "[aout]");
        maps.insert(maps.end(), {"-map", "[aout]"});
    }
    args.insert(args.end(), {"-filter_complex", Join(graph, ";")});
    args.insert(args.end(), maps.begin(), maps.end());
    args.insert(args.end(), outputOptions_.begin(), outputOptions_.end());
    AppendHighQuality(args);
}

Translation Translator::Run()
{
    std::size_t outputIndex = FindOutput();
    if (outputIndex == 0)
        return {{}, {}, "The conversion names no output file."};
    output_ = words_[outputIndex];
    for (std::size_t i = 1; i < outputIndex;)
        TakeOption(i);
    for (std::size_t i = outputIndex + 1; i < words_.size();)
        TakeGroupOption(i);
    if (!inputSeen_)
        Fail("The conversion names no input file.");
    else if (!inputs_.empty() && !segments_.empty())
        Fail("The conversion mixes \"-i\" with joined inputs.");

    std::vector<std::string> args;
    if (error_.empty())
        segments_.empty() ? BuildPerFile(args) : BuildMerged(args);
    if (experimental_)
        args.insert(args.end(), {"-strict", "experimental"});
    if (sizeLimit_)
        args.insert(args.end(), {"-fs", std::to_string(*sizeLimit_)});
    args.push_back(output_);
    if (!error_.empty())
        return {{}, output_, error_};
    if (coverStream_ >= 0 && inputs_.empty())
        return {{}, output_, "A cover picture is attached from a single input only."};
    return {std::move(args), output_, {}, coverStream_, coverStream_ >= 0 ? inputs_.front() : std::string()};
}

} // namespace

Translation TranslateEngineVector(const std::vector<std::string>& words, const std::string& subtitleStyle)
{
    return Translator(words, subtitleStyle).Run();
}

} // namespace vexen
