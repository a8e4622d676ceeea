#include "reelvane/conversion/output_frame_check.h"

#include "reelvane/conversion/argument_builder.h"
#include "reelvane/conversion/checked_format.h"
#include "reelvane/frame/language_table.h"

#include <array>
#include <strings.h>
#include <string_view>

namespace reelvane {
namespace {

constexpr char kSheet[] = "OPTION_DLG";
constexpr char kCropPad[] = "OPTION_CROPPAD_DLG";

struct CodecLimit {
    std::string_view codec;
    int32_t width;
    int32_t height;
};

// The largest frame each encoder of the codec list opens with; the others take any size the
// engine makes.
constexpr CodecLimit kLimits[] = {
    {"mpeg1video", 4095, 4095},   {"svq1", 4095, 4095},   {"mpeg4", 8191, 8191}, {"xvid", 8191, 8191},
    {"mpeg2video", 16383, 16383}, {"h264", 16384, 16384}, {"h263p", 2048, 1152},
};

// Codecs that store any frame size: the others subsample colour by two (4:2:0 and its kin) and
// refuse an odd width or height. "auto" is the container's usual encoder, which does too.
bool TakesOddSizes(const char* codec)
{
    for (const char* any : {"copy", "rawvideo", "png", "ppm", "pam", "pbm", "pgm", "zlib", "ljpeg", "mjpeg"})
        if (strcasecmp(codec, any) == 0)
            return true;
    return false;
}

const CodecLimit* LimitOf(const char* codec)
{
    for (const CodecLimit& limit : kLimits)
        if (strcasecmp(codec, std::string(limit.codec).c_str()) == 0)
            return &limit;
    return nullptr;
}

std::array<int32_t, 4> CropSides(const ProfileSettings& s)
{
    if (!s.bVideoEnableCrop)
        return {0, 0, 0, 0};
    return {s.nVideoCropLeft, s.nVideoCropRight, s.nVideoCropTop, s.nVideoCropBottom};
}

std::array<int32_t, 4> PadSides(const ProfileSettings& s)
{
    if (!s.bVideoEnablePad)
        return {0, 0, 0, 0};
    return {s.nVideoPadLeft, s.nVideoPadRight, s.nVideoPadTop, s.nVideoPadBottom};
}

std::string SideName(const char* group, int side)
{
    // The page's own labels for its fields.
    static const char* const crop[4][2] = {{"strCropLeftInfo", "Left"},
                                           {"strCropRightInfo", "Right"},
                                           {"strCropTopInfo", "Top"},
                                           {"strCropBottomInfo", "Bottom"}};
    static const char* const pad[4][2] = {{"btnPadLeftInfo", "Left"},
                                          {"strPadRightInfo", "Right"},
                                          {"strPadTopInfo", "Top"},
                                          {"strPadBottomInfo", "Bottom"}};
    const char* const* names = std::string_view(group) == "crop" ? crop[side] : pad[side];
    return LookupText(kCropPad, names[0], names[1]);
}

std::string FieldName(FrameField field)
{
    switch (field) {
    case FrameField::Crop: return LookupText(kCropPad, "btnCropInfo", "Crop");
    case FrameField::Pad: return LookupText(kCropPad, "btnPadInfo", "Pad");
    case FrameField::Size: break;
    }
    return LookupText("OPTION_RESIZE_DLG", "btnResizeInfo", "Resize (Width x Height)");
}

// Both sides of one axis must leave at least a pixel of `length`.
std::optional<FrameRefusal> SidesTooLarge(FrameField field, const std::array<int32_t, 4>& sides, int axis,
                                          int32_t length)
{
    const int32_t first = sides[static_cast<std::size_t>(axis * 2)];
    const int32_t second = sides[static_cast<std::size_t>(axis * 2 + 1)];
    if (length <= 0 || int64_t(first) + second < length)
        return std::nullopt;
    const bool crop = field == FrameField::Crop;
    const char* group = crop ? "crop" : "pad";
    const std::string text = crop ? LookupText(kCropPad, "strCropTooLargeInfo",
                                               "Crop: %s and %s together must be less than the picture's %s pixels.")
                                  : LookupText(kCropPad, "strPadTooLargeInfo",
                                               "Pad: %s and %s together must be less than the frame's %s pixels.");
    const int side = axis * 2 + (second > first ? 1 : 0);
    return FrameRefusal{field, side,
                        FillText(text,
                                 {SideName(group, axis * 2), SideName(group, axis * 2 + 1), std::to_string(length)})};
}

// The crop or pad field most likely to have made an odd width (axis 0) or height (axis 1).
FrameRefusal OddFieldOf(const ProfileSettings& s, int axis)
{
    const std::array<int32_t, 4> pad = PadSides(s), crop = CropSides(s);
    for (int side = axis * 2; side < axis * 2 + 2; ++side)
        if (pad[static_cast<std::size_t>(side)] % 2)
            return {FrameField::Pad, side, {}};
    for (int side = axis * 2; side < axis * 2 + 2; ++side)
        if (crop[static_cast<std::size_t>(side)] % 2)
            return {FrameField::Crop, side, {}};
    return {s.bVideoEnablePad ? FrameField::Pad : FrameField::Crop, axis * 2, {}};
}

std::string FrameText(FrameSize frame)
{
    return std::to_string(frame.width) + "x" + std::to_string(frame.height);
}

} // namespace

std::optional<FrameSize> EngineOutputFrame(const ProfileSettings& s)
{
    if (std::optional<FrameSize> chosen = NominalFrameSize(s))
        return chosen;
    if (s.nSourceWidth <= 0 || s.nSourceHeight <= 0)
        return std::nullopt;
    const std::array<int32_t, 4> crop = CropSides(s), pad = PadSides(s);
    return FrameSize{s.nSourceWidth - crop[0] - crop[1] + pad[0] + pad[1],
                     s.nSourceHeight - crop[2] - crop[3] + pad[2] + pad[3]};
}

std::optional<FrameRefusal> RefuseOutputFrame(const ProfileSettings& s)
{
    if (s.bDisableVideo || strcasecmp(s.cVideoCodec, "copy") == 0)
        return std::nullopt; // no picture is made, or it passes as it is
    const std::array<int32_t, 4> crop = CropSides(s), pad = PadSides(s);
    for (int axis = 0; axis < 2; ++axis)
        if (auto refusal = SidesTooLarge(FrameField::Crop, crop, axis, axis ? s.nSourceHeight : s.nSourceWidth))
            return refusal;
    const std::optional<FrameSize> chosen = NominalFrameSize(s);
    if (chosen)
        for (int axis = 0; axis < 2; ++axis)
            if (auto refusal = SidesTooLarge(FrameField::Pad, pad, axis, axis ? chosen->height : chosen->width))
                return refusal;
    const std::optional<FrameSize> frame = EngineOutputFrame(s);
    if (!frame)
        return std::nullopt;
    // A chosen size is even; the source's own odd size is no field of the sheet.
    const bool edited = s.bVideoEnableCrop || s.bVideoEnablePad;
    if (!chosen && edited && !TakesOddSizes(s.cVideoCodec) && (frame->width % 2 || frame->height % 2)) {
        FrameRefusal refusal = OddFieldOf(s, frame->width % 2 ? 0 : 1);
        refusal.message = FillText(LookupText(kSheet, "strOddFrameInfo",
                                              "%s: the output frame %s has an odd width or height, which the "
                                              "codec %s cannot encode."),
                                   {FieldName(refusal.field), FrameText(*frame), s.cVideoCodec});
        return refusal;
    }
    const CodecLimit* limit = LimitOf(s.cVideoCodec);
    if (limit && (frame->width > limit->width || frame->height > limit->height) && (chosen || s.bVideoEnablePad)) {
        const FrameField field = chosen ? FrameField::Size : FrameField::Pad;
        const std::string message = FillText(
            LookupText(kSheet, "strFrameLimitInfo", "%s: the output frame %s is larger than the codec %s allows (%s)."),
            {FieldName(field), FrameText(*frame), s.cVideoCodec, FrameText({limit->width, limit->height})});
        return FrameRefusal{field, frame->width > limit->width ? 0 : 2, message};
    }
    return std::nullopt;
}

} // namespace reelvane
