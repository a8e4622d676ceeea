#include "tools/kavlo/mov_convert.h"

#include "platform/byte_writer.h"
#include "tools/kavlo/mov_fields.h"
#include "tools/kavlo/mov_rebuild.h"

#include <algorithm>

namespace kavlo {

namespace {

Refusal Stays(const char* message)
{
    return {message, false};
}

bool IsChildOf(const Bytes& image, const AtomSlot& parent, const AtomSlot& atom)
{
    for (std::size_t child = parent.offset + 8; child < parent.end();) {
        if (child == atom.offset)
            return true;
        auto size = AtomSizeAt(image, child, parent.end());
        if (!size)
            return false;
        child += *size;
    }
    return false;
}

// The camera's own layout: "skip" first, then the media, then the "moov" that holds the "udta".
bool HasCameraLayout(const Bytes& image, const AtomIndex& index)
{
    const AtomSlot& mdat = index.mdat;
    const AtomSlot& moov = index.moov;
    return index.skip.found && index.udta.found && mdat.found && moov.found && index.skip.end() <= mdat.offset &&
           mdat.end() <= moov.offset && IsChildOf(image, moov, index.udta);
}

void AddToChunkOffsets(Bytes& image, const AtomSlot& stco, int64_t shift)
{
    auto count = FieldU32(image, stco, 12);
    for (uint32_t i = 0; count && i < *count; ++i) {
        auto offset = FieldU32(image, stco, 16 + 4 * std::size_t{i});
        if (!offset)
            return;
        platform::BigEndianWriter value;
        value.u32(static_cast<uint32_t>(*offset + shift));
        std::copy(value.data().begin(), value.data().end(),
                  image.begin() + static_cast<std::ptrdiff_t>(stco.offset + 16 + 4 * i));
    }
}

// A clip already in the camera's layout keeps its media and tables; only the camera's "skip"
// and "udta" are put in. Chunk offsets follow the media when the new "skip" moves it.
std::optional<Refusal> ReplaceCameraParts(const Bytes& target, const AtomIndex& index, const CameraTemplate& camera,
                                          Bytes& out)
{
    const AtomSlot& udta = index.udta;
    platform::BigEndianWriter file;
    file.bytes(camera.skip);
    file.bytes(&target[index.mdat.offset], udta.offset - index.mdat.offset);
    file.bytes(camera.udta);
    // Usually nothing follows: "udta" closes the file, and indexing there would step past the end.
    file.bytes(target.data() + udta.end(), target.size() - udta.end());

    const std::size_t moovOffset = camera.skip.size() + index.moov.offset - index.mdat.offset;
    const uint64_t moovSize = index.moov.size - udta.size + camera.udta.size();
    if (moovSize > UINT32_MAX || file.size() > UINT32_MAX)
        return Stays(kTargetDamaged);
    file.PatchU32(moovOffset, static_cast<uint32_t>(moovSize));
    out = file.take();

    const int64_t shift = static_cast<int64_t>(camera.skip.size()) - static_cast<int64_t>(index.mdat.offset);
    if (shift != 0) {
        AtomIndex moved;
        if (auto message = ScanAtoms(out, moved))
            return Refusal{*message, true};
        for (const TrackAtoms& track : moved.tracks)
            AddToChunkOffsets(out, track.stco, shift);
    }
    return std::nullopt;
}

void PatchLittleEndian(Bytes& image, std::size_t at, uint32_t value)
{
    platform::LittleEndianWriter field;
    field.u32(value);
    std::copy(field.data().begin(), field.data().end(), image.begin() + static_cast<std::ptrdiff_t>(at));
}

} // namespace

std::optional<Refusal> ApplySkipPatch(Bytes& out)
{
    AtomIndex index;
    if (auto message = ScanAtoms(out, index))
        return Refusal{*message, true};
    const TrackAtoms& video = index.video();
    const auto firstChunkOffset = FieldU32(out, video.stco, 16);
    const auto constantFrameSize = FieldU32(out, video.stsz, 12);
    const auto firstFrameSize =
        constantFrameSize && *constantFrameSize ? constantFrameSize : FieldU32(out, video.stsz, 20);
    const auto movieTime = MovieHeaderTime(out, index.moov);
    const auto frameCount = FieldU32(out, video.stts, 16);
    if (!index.skip.found || index.skip.offset != 0 || index.skip.size < kSkipPatchEnd || !firstChunkOffset ||
        !firstFrameSize || !movieTime || !frameCount)
        return Stays(kTargetDamaged);
    PatchLittleEndian(out, 8, *firstChunkOffset);
    PatchLittleEndian(out, 12, *firstFrameSize);
    PatchLittleEndian(out, 24, movieTime->duration / movieTime->timeScale);
    PatchLittleEndian(out, 52, *frameCount);
    return std::nullopt;
}

std::optional<Refusal> ConvertMov(const Bytes& target, const CameraTemplate& camera, Bytes& out,
                                  const std::function<void(int)>& progress)
{
    AtomIndex index;
    if (auto message = ScanAtoms(target, index))
        return Refusal{*message, true};
    progress(20);

    // A file cut short loses the movie atom, whose size then points past the end.
    if (!index.moov.found)
        return Stays(kTargetDamaged);
    if (CodecFlag(index) != camera.codecFlag)
        return Stays(kCodecDiffers);
    const auto audioTimeScale = MediaTimeScale(target, index.audio().mdia);
    const auto audioSampleSize = FieldU32(target, index.audio().stsz, 12);
    if (!audioTimeScale || !audioSampleSize)
        return Stays(kTargetDamaged);
    if (*audioTimeScale != camera.sampleRate)
        return Stays(kSampleRateDiffers);
    if (*audioSampleSize != 1)
        return Stays(kSampleSizeNotOne);
    progress(30);

    const bool cameraLayout = HasCameraLayout(target, index);
    if (cameraLayout) {
        // Only the media atom is carried over, and the tables with it: they must agree and
        // point into it.
        if (!TablesDescribeSamples(target, index, index.mdat))
            return Stays(kTargetDamaged);
        if (auto refusal = ReplaceCameraParts(target, index, camera, out))
            return refusal;
    } else {
        const auto framesPerSecond = FramesPerSecond(target, index.video());
        if (!framesPerSecond)
            return Stays(kTargetDamaged);
        const uint64_t samplesPerChunk = *framesPerSecond == camera.framesPerSecond
                                             ? camera.audioSamplesPerChunk
                                             : uint64_t{kFramesPerVideoChunk} * camera.sampleRate / *framesPerSecond;
        if (samplesPerChunk == 0 ||
            !RebuildMov(target, index, camera, static_cast<uint32_t>(samplesPerChunk), out, progress))
            return Stays(kTargetDamaged);
    }
    if (auto refusal = ApplySkipPatch(out))
        return refusal;
    progress(cameraLayout ? 100 : 80);
    return std::nullopt;
}

} // namespace kavlo
