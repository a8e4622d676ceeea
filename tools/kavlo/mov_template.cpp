#include "tools/kavlo/mov_template.h"

#include "platform/byte_writer.h"
#include "tools/kavlo/kavlo_messages.h"
#include "tools/kavlo/mov_fields.h"

namespace kavlo {

namespace {

// The atom of `type` at the reader's place, whole.
bool ReadPart(const Bytes& file, platform::BigEndianReader& in, const char* type, Bytes& part)
{
    const std::size_t at = in.position();
    auto size = AtomSizeAt(file, at, file.size());
    if (!size || !TypeAt(file, at + 4, type))
        return false;
    part.assign(file.begin() + static_cast<std::ptrdiff_t>(at), file.begin() + static_cast<std::ptrdiff_t>(at + *size));
    in.skip(*size);
    return true;
}

} // namespace

std::optional<std::string> MakeTemplate(const Bytes& clip, const AtomIndex& index, CameraTemplate& out)
{
    // A camera clip opens with its "skip" atom and closes with its "udta" atom.
    if (!index.skip.found || index.skip.offset != 0 || index.skip.size < kSkipPatchEnd || !index.udta.found ||
        index.udta.end() != clip.size())
        return std::string(kNotCameraClip);

    const auto videoSamplesPerChunk = FieldU32(clip, index.video().stsc, 20);
    const auto framesPerSecond = FramesPerSecond(clip, index.video());
    const auto sampleRate = SoundSampleRate(clip, index.audio().stsd);
    if (!videoSamplesPerChunk || !framesPerSecond || !sampleRate)
        return std::string(kNotCameraClip);
    const uint64_t audioSamplesPerChunk = uint64_t{*videoSamplesPerChunk} * *sampleRate / *framesPerSecond;
    if (audioSamplesPerChunk == 0 || audioSamplesPerChunk > UINT32_MAX)
        return std::string(kNotCameraClip);

    out.skip = Slice(clip, index.skip);
    out.audioStsd = Slice(clip, index.audio().stsd);
    out.udta = Slice(clip, index.udta);
    out.audioSamplesPerChunk = static_cast<uint32_t>(audioSamplesPerChunk);
    out.sampleRate = *sampleRate;
    out.framesPerSecond = *framesPerSecond;
    out.codecFlag = CodecFlag(index);
    return std::nullopt;
}

Bytes SerializeTemplate(const CameraTemplate& camera)
{
    platform::BigEndianWriter out;
    out.bytes(camera.skip).bytes(camera.audioStsd).bytes(camera.udta);
    out.u32(camera.audioSamplesPerChunk).u32(camera.sampleRate).u32(camera.framesPerSecond).u32(camera.codecFlag);
    return out.take();
}

bool ParseTemplate(const Bytes& file, CameraTemplate& out)
{
    platform::BigEndianReader in(file.data(), file.size());
    if (!ReadPart(file, in, "skip", out.skip) || !ReadPart(file, in, "stsd", out.audioStsd) ||
        !ReadPart(file, in, "udta", out.udta) || in.remaining() != 16)
        return false;
    out.audioSamplesPerChunk = in.u32();
    out.sampleRate = in.u32();
    out.framesPerSecond = in.u32();
    out.codecFlag = in.u32();
    return out.skip.size() >= kSkipPatchEnd && out.audioSamplesPerChunk > 0 && out.sampleRate > 0 &&
           out.framesPerSecond > 0;
}

} // namespace kavlo
