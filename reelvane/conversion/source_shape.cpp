#include "reelvane/conversion/source_shape.h"

#include "reelvane/conversion/argument_builder.h"
#include "reelvane/conversion/checked_format.h"
#include "reelvane/conversion/engine_arguments.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <strings.h>

namespace reelvane {
namespace {

bool HasWord(const char* words, const char* word)
{
    for (const std::string& w : SplitWords(words))
        if (w == word)
            return true;
    return false;
}

bool CarriesVariableRate(const char* targetType)
{
    for (const char* type : {"mp4", "m4v", "mov", "mkv", "webm"})
        if (strcasecmp(targetType, type) == 0)
            return true;
    return false;
}

bool NamesInterlacedCoding(const char* para)
{
    std::vector<std::string> words = SplitWords(para);
    for (std::size_t i = 0; i + 1 < words.size(); ++i)
        if (words[i] == "-flags" && words[i + 1].find("ilme") != std::string::npos)
            return true;
    return false;
}

// The value after `option` in the profile's words ("-r 30000/1001", "-top 1"); empty without one.
std::string WordAfter(const char* para, const char* option)
{
    std::vector<std::string> words = SplitWords(para);
    for (std::size_t i = 0; i + 1 < words.size(); ++i)
        if (words[i] == option)
            return words[i + 1];
    return {};
}

// A rate as the engine reads it: "25", "29.97" or "30000/1001"; 0 when it is none.
double RateValue(const std::string& text)
{
    char* end = nullptr;
    double rate = std::strtod(text.c_str(), &end);
    if (end && *end == '/') {
        double divisor = std::strtod(end + 1, &end);
        rate = divisor > 0 ? rate / divisor : 0.0;
    }
    return end && *end == '\0' && rate > 0 ? rate : 0.0;
}

// A DVD keeps the fields where its rate is the source's: the profile sets none, or the same.
bool DvdAtSourceRate(const ProfileSettings& s, const StreamFacts& video)
{
    if (strcasecmp(s.BurnType, "DVD") != 0 && strcasecmp(s.cVideoCodec, "mpeg2video") != 0)
        return false;
    // The option sheet's rate comes after the profile's words and wins over their "-r".
    double output = s.bVideoCustomFrameRate ? s.nVideoCustomFrameRate
                    : HasWord(s.Para, "-r") ? RateValue(WordAfter(s.Para, "-r"))
                                            : -1.0;
    if (output < 0)
        return true;
    double rate = video.rateDen > 0 ? static_cast<double>(video.rateNum) / video.rateDen : 0.0;
    return rate > 0 && std::fabs(output - rate) < 0.001 * rate;
}

// Code points of ISO/IEC 23091-2, as the probe reports them.
constexpr int32_t kTransferPq = 16;
constexpr int32_t kTransferHlg = 18;
constexpr int32_t kPrimariesBt2020 = 9;
constexpr int32_t kMatrixBt2020NonConstant = 9;

bool Unspecified(int32_t codePoint)
{
    return codePoint == 0 || codePoint == 2 || codePoint == 3; // reserved, unspecified, reserved
}

int32_t Even(double value)
{
    return static_cast<int32_t>(std::lround(value / 2.0)) * 2;
}

} // namespace

const StreamFacts* VideoFacts(const ProbedSource& probed)
{
    int32_t index = probed.mediaInfo.videoIndex;
    if (index < 0 || static_cast<std::size_t>(index) >= probed.facts.size())
        return nullptr;
    const StreamFacts& video = probed.facts[static_cast<std::size_t>(index)];
    return video.kind == VEXEN_KIND_VIDEO ? &video : nullptr;
}

std::optional<DisplayedPicture> Displayed(const StreamFacts& video)
{
    if (video.width <= 0 || video.height <= 0)
        return std::nullopt;
    double pixel = video.sarNum > 0 && video.sarDen > 0 ? static_cast<double>(video.sarNum) / video.sarDen : 1.0;
    bool turned = video.rotation == 90 || video.rotation == 270;
    DisplayedPicture shown{turned ? video.height : video.width, turned ? video.width : video.height, 0.0};
    // A quarter turn turns the pixels too: their width becomes their height.
    double shownPixel = turned ? 1.0 / pixel : pixel;
    shown.aspect = shown.width * shownPixel / shown.height;
    return shown;
}

void KeepDisplayedShape(const ProbedSource& probed, ProfileSettings& s)
{
    const StreamFacts* video = VideoFacts(probed);
    std::optional<DisplayedPicture> shown = video ? Displayed(*video) : std::nullopt;
    if (!shown || s.bDisableVideo)
        return;
    double source = shown->aspect;
    if (s.bVideoEnableCrop) {
        int32_t width = shown->width - s.nVideoCropLeft - s.nVideoCropRight;
        int32_t height = shown->height - s.nVideoCropTop - s.nVideoCropBottom;
        if (width > 0 && height > 0)
            source = shown->aspect * width / shown->width * shown->height / height;
    }
    if (source >= 1.0)
        return;
    std::optional<FrameSize> frame = NominalFrameSize(s);
    if (!frame) {
        // The source's own size stays: a fixed display aspect or letterbox pads would only
        // stretch or squeeze it.
        s.nAspect = 0;
        s.bVideoEnablePad = 0;
        return;
    }
    // A high-definition frame is 16:9 by definition, whatever a 4:3 guess for a narrow picture said.
    if (s.nAspect && frame->width * 9 == frame->height * 16)
        s.nAspect = 2;
    double frameAspect = s.nAspect == 1 ? 4.0 / 3.0 : s.nAspect ? 16.0 / 9.0 : double(frame->width) / frame->height;
    if (frameAspect <= 1.0)
        return;
    int32_t innerWidth = std::clamp(Even(frame->width * source / frameAspect), 2, frame->width);
    int32_t bars = frame->width - innerWidth;
    int32_t left = bars / 2 / 2 * 2;
    s.bVideoEnablePad = 1;
    s.nVideoPadColor = 0;
    s.nVideoPadLeft = left;
    s.nVideoPadRight = bars - left;
    s.nVideoPadTop = s.nVideoPadBottom = 0;
}

std::vector<std::string> InterlaceWords(const ProbedSource& probed, const ProfileSettings& s)
{
    const StreamFacts* video = VideoFacts(probed);
    if (!video || s.bDisableVideo || (video->fieldOrder != 2 && video->fieldOrder != 3))
        return {};
    const bool topFirst = video->fieldOrder == 2;
    std::vector<std::string> words = {"-fieldscale"};
    if (NamesInterlacedCoding(s.Para)) {
        // Fields of the other order than the profile flags are turned, not merely flagged.
        const std::string top = WordAfter(s.Para, "-top");
        if ((top == "1" && !topFirst) || (top == "0" && topFirst))
            words.insert(words.end(), {"-fieldorder", topFirst ? "bff" : "tff"});
        return words;
    }
    if (!DvdAtSourceRate(s, *video))
        return {"-deinterlace"};
    // Discs are written top field first, as players expect of a DVD.
    if (!topFirst)
        words.insert(words.end(), {"-fieldorder", "tff"});
    words.insert(words.end(), {"-flags", "+ilme+ildct", "-top", "1"});
    return words;
}

std::vector<std::string> SourceTimingWords(const ProbedSource& probed, const ProfileSettings& s)
{
    const StreamFacts* video = VideoFacts(probed);
    if (!video || !video->variableRate || s.bDisableVideo || s.bVideoCustomFrameRate || HasWord(s.Para, "-r") ||
        HasWord(s.BeforePara, "-r") || !CarriesVariableRate(s.TargetType))
        return {};
    // Overrides a profile's "-vsync cfr", which would repeat frames up to the highest rate.
    return {"-fps_mode", "vfr"};
}

int32_t ProfileBitDepth(const ProfileSettings& s)
{
    std::vector<std::string> words = SplitWords(s.Para);
    auto named = std::find(words.begin(), words.end(), "-pix_fmt");
    if (named == words.end() || named + 1 == words.end())
        return 8;
    // Deep formats name their depth before the byte order: "yuv420p10le", "p010le", "gray12le".
    const std::string& name = *(named + 1);
    if (!name.ends_with("le") && !name.ends_with("be"))
        return 8;
    std::size_t end = name.size() - 2, start = end;
    while (start > 0 && std::isdigit(static_cast<unsigned char>(name[start - 1])))
        --start;
    if (start == end || start == 0 || (name[start - 1] != 'p' && name[start - 1] != 'y'))
        return 8;
    return std::max(8, std::atoi(name.substr(start, end - start).c_str()));
}

bool IsHdr(const StreamFacts& video)
{
    return video.colorTransfer == kTransferPq || video.colorTransfer == kTransferHlg;
}

std::vector<std::string> ToneMapWords(const ProbedSource& probed, const ProfileSettings& s)
{
    const StreamFacts* video = VideoFacts(probed);
    if (!video || s.bDisableVideo || !IsHdr(*video) || ProfileBitDepth(s) > 8)
        return {};
    // HDR pictures are BT.2020 where the file does not say.
    int32_t primaries = Unspecified(video->colorPrimaries) ? kPrimariesBt2020 : video->colorPrimaries;
    int32_t matrix = video->colorSpace == 2 || video->colorSpace == 3 ? kMatrixBt2020NonConstant : video->colorSpace;
    return {"-tonemap", FormatText("%d:%d", primaries, matrix)};
}

} // namespace reelvane
