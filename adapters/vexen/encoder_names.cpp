#include "adapters/vexen/encoder_names.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/opt.h>
}

#include <cctype>

namespace vexen {
namespace {

// Dialog names that are neither an encoder nor a codec of this FFmpeg.
struct Alias {
    std::string_view name;
    std::string_view encoders[2];
};
constexpr Alias kAliases[] = {
    {"xvid", {"libxvid", "mpeg4"}},
    // libavcodec's first AV1 encoder is libaom's, far too slow at its defaults for a whole film.
    {"av1", {"libsvtav1", "libaom-av1"}},
};

std::string Lower(std::string_view text)
{
    std::string out(text);
    for (char& c : out)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

AVMediaType MediaType(CodecKind kind)
{
    return kind == CodecKind::Audio ? AVMEDIA_TYPE_AUDIO : AVMEDIA_TYPE_VIDEO;
}

const AVCodec* EncoderByName(const std::string& name, CodecKind kind)
{
    const AVCodec* codec = avcodec_find_encoder_by_name(name.c_str());
    return codec && codec->type == MediaType(kind) ? codec : nullptr;
}

const AVCodec* EncoderForCodec(const std::string& name, CodecKind kind)
{
    const AVCodecDescriptor* descriptor = avcodec_descriptor_get_by_name(name.c_str());
    if (!descriptor || descriptor->type != MediaType(kind))
        return nullptr;
    return avcodec_find_encoder(descriptor->id);
}

EncoderChoice Chosen(const AVCodec& codec)
{
    return {codec.name, (codec.capabilities & AV_CODEC_CAP_EXPERIMENTAL) != 0, {}};
}

} // namespace

EncoderChoice FindEncoder(std::string_view codecName, CodecKind kind)
{
    std::string name = Lower(codecName);
    if (name == "copy")
        return {"copy", false, {}};
    if (const AVCodec* codec = EncoderByName(name, kind)) {
        // An experimental encoder only when the codec has no settled one.
        const AVCodec* settled = EncoderForCodec(name, kind);
        bool experimental = codec->capabilities & AV_CODEC_CAP_EXPERIMENTAL;
        return Chosen(experimental && settled && !(settled->capabilities & AV_CODEC_CAP_EXPERIMENTAL) ? *settled
                                                                                                      : *codec);
    }
    for (const Alias& alias : kAliases) {
        if (alias.name != name)
            continue;
        for (std::string_view encoder : alias.encoders)
            if (const AVCodec* codec = EncoderByName(std::string(encoder), kind))
                return Chosen(*codec);
    }
    if (const AVCodec* codec = EncoderForCodec(name, kind))
        return Chosen(*codec);
    const char* what = kind == CodecKind::Audio ? "audio" : "video";
    return {{},
            false,
            "There is no " + std::string(what) + " encoder for the codec \"" + std::string(codecName) + "\"."};
}

std::string DefaultVideoEncoder(const std::string& formatName, const std::string& outputPath)
{
    const AVOutputFormat* format =
        av_guess_format(formatName.empty() ? nullptr : formatName.c_str(), outputPath.c_str(), nullptr);
    if (!format || format->video_codec == AV_CODEC_ID_NONE)
        return {};
    const AVCodec* codec = avcodec_find_encoder(format->video_codec);
    return codec ? codec->name : std::string();
}

std::vector<std::string> HighQualityOptions(const std::string& encoder)
{
    if (encoder == "libx264" || encoder == "libx265")
        return {"-preset", "slow"};
    const AVCodec* codec = avcodec_find_encoder_by_name(encoder.c_str());
    if (codec && codec->priv_class) {
        const AVClass* privateClass = codec->priv_class;
        // The MPEG-family encoders (known by their shared "mpv_flags") decide macroblocks by
        // rate-distortion at their best.
        if (av_opt_find(&privateClass, "mpv_flags", nullptr, 0, AV_OPT_SEARCH_FAKE_OBJ))
            return {"-mbd", "rd"};
    }
    return {};
}

} // namespace vexen
