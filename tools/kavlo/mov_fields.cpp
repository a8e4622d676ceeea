#include "tools/kavlo/mov_fields.h"

namespace kavlo {

namespace {

// A version-0 full atom of `type` opening the container, as "mdhd" and "mvhd" do.
bool OpensWith(const Bytes& image, const AtomSlot& container, const char* type)
{
    return container.found && container.size >= 36 && TypeAt(image, container.offset + 12, type) &&
           image[container.offset + 16] == 0;
}

} // namespace

std::optional<uint32_t> MediaTimeScale(const Bytes& image, const AtomSlot& mdia)
{
    if (!OpensWith(image, mdia, "mdhd"))
        return std::nullopt;
    return FieldU32(image, mdia, 28);
}

std::optional<MovieTime> MovieHeaderTime(const Bytes& image, const AtomSlot& moov)
{
    if (!OpensWith(image, moov, "mvhd"))
        return std::nullopt;
    auto scale = FieldU32(image, moov, 28);
    auto duration = FieldU32(image, moov, 32);
    if (!scale || !duration || *scale == 0)
        return std::nullopt;
    return MovieTime{*scale, *duration};
}

std::optional<uint32_t> FramesPerSecond(const Bytes& image, const TrackAtoms& video)
{
    auto scale = MediaTimeScale(image, video.mdia);
    auto sampleDuration = FieldU32(image, video.stts, 20);
    if (!scale || !sampleDuration || *sampleDuration == 0 || *scale / *sampleDuration == 0)
        return std::nullopt;
    return *scale / *sampleDuration;
}

// The rate sits at a fixed place of the sound description; in the cameras' own version-0
// descriptions those are the last 4 bytes, but descriptions with extensions ("chan", "wave")
// carry more after it.
std::optional<uint32_t> SoundSampleRate(const Bytes& image, const AtomSlot& stsd)
{
    auto fixedPoint = FieldU32(image, stsd, 48);
    if (!fixedPoint || (*fixedPoint >> 16) == 0)
        return std::nullopt;
    return *fixedPoint >> 16;
}

} // namespace kavlo
