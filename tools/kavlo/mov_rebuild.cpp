#include "tools/kavlo/mov_rebuild.h"

#include "platform/byte_writer.h"
#include "tools/kavlo/moov_rewrite.h"

#include <algorithm>

namespace kavlo {

namespace {

struct Sample {
    std::size_t offset;
    std::size_t size;
};

struct Chunk {
    std::size_t offset;
    uint32_t samples;
};

// The table that follows the version and flags of a table atom, read past its header.
platform::BigEndianReader TableReader(const Bytes& image, const AtomSlot& atom)
{
    if (!atom.found || atom.size < 12)
        return platform::BigEndianReader(nullptr, 0);
    return platform::BigEndianReader(&image[atom.offset + 12], atom.size - 12);
}

// Each chunk's place and its sample count, from "stco" and "stsc".
bool ReadChunks(const Bytes& image, const TrackAtoms& track, std::vector<Chunk>& chunks)
{
    auto offsets = TableReader(image, track.stco);
    const uint32_t chunkCount = offsets.u32();
    auto stsc = TableReader(image, track.stsc);
    const uint32_t entryCount = stsc.u32();
    if (offsets.failed() || stsc.failed() || offsets.remaining() / 4 < chunkCount ||
        stsc.remaining() / 12 < entryCount || entryCount == 0)
        return false;
    struct Entry {
        uint32_t firstChunk, samplesPerChunk;
    };
    std::vector<Entry> entries;
    for (uint32_t i = 0; i < entryCount; ++i) {
        Entry entry{stsc.u32(), stsc.u32()};
        stsc.skip(4);
        entries.push_back(entry);
    }
    if (entries.front().firstChunk != 1)
        return false;
    std::size_t entry = 0;
    for (uint32_t chunk = 1; chunk <= chunkCount; ++chunk) {
        while (entry + 1 < entries.size() && entries[entry + 1].firstChunk <= chunk)
            ++entry;
        chunks.push_back({offsets.u32(), entries[entry].samplesPerChunk});
    }
    return true;
}

// The chunk table must account for exactly the samples the size table holds; otherwise samples
// would be taken from the wrong bytes.
bool CoversSamples(const std::vector<Chunk>& chunks, uint32_t count)
{
    uint64_t total = 0;
    for (const Chunk& chunk : chunks)
        total += chunk.samples;
    return total == count;
}

// Whether `size` bytes at `offset` lie within `region` of the image.
bool Within(const AtomSlot& region, std::size_t offset, std::size_t size)
{
    return offset >= region.offset && offset <= region.end() && region.end() - offset >= size;
}

// Where each video frame lies in the target, all of them within `region`.
bool LocateFrames(const Bytes& image, const TrackAtoms& video, const AtomSlot& region, std::vector<Sample>& frames)
{
    std::vector<Chunk> chunks;
    auto stsz = TableReader(image, video.stsz);
    const uint32_t constantSize = stsz.u32();
    const uint32_t count = stsz.u32();
    if (stsz.failed() || !ReadChunks(image, video, chunks) || (constantSize == 0 && stsz.remaining() / 4 < count) ||
        !CoversSamples(chunks, count))
        return false;
    for (const Chunk& chunk : chunks) {
        std::size_t offset = chunk.offset;
        for (uint32_t i = 0; i < chunk.samples && frames.size() < count; ++i) {
            const std::size_t size = constantSize ? constantSize : stsz.u32();
            if (!Within(region, offset, size))
                return false;
            frames.push_back({offset, size});
            offset += size;
        }
    }
    return frames.size() == count && count > 0;
}

// The audio samples, one byte each, as one continuous run; all of them within `region`.
bool GatherAudio(const Bytes& image, const TrackAtoms& audio, const AtomSlot& region, Bytes& samples)
{
    std::vector<Chunk> chunks;
    auto stsz = TableReader(image, audio.stsz);
    stsz.skip(4);
    const uint32_t count = stsz.u32();
    if (stsz.failed() || !ReadChunks(image, audio, chunks) || !CoversSamples(chunks, count))
        return false;
    for (const Chunk& chunk : chunks) {
        const std::size_t size = std::min<std::size_t>(chunk.samples, count - samples.size());
        if (!Within(region, chunk.offset, size))
            return false;
        samples.insert(samples.end(), image.begin() + static_cast<std::ptrdiff_t>(chunk.offset),
                       image.begin() + static_cast<std::ptrdiff_t>(chunk.offset + size));
    }
    return samples.size() == count && count > 0;
}

// Header of a replaced table: the target's type, version and flags under a new size.
void TableHeader(platform::BigEndianWriter& out, const Bytes& image, const AtomSlot& atom, std::size_t size)
{
    out.u32(static_cast<uint32_t>(size)).bytes(&image[atom.offset + 4], 8);
}

Bytes ChunkOffsets(const Bytes& image, const AtomSlot& stco, const std::vector<std::size_t>& offsets)
{
    platform::BigEndianWriter out;
    TableHeader(out, image, stco, 16 + 4 * offsets.size());
    out.u32(static_cast<uint32_t>(offsets.size()));
    for (std::size_t offset : offsets)
        out.u32(static_cast<uint32_t>(offset));
    return out.take();
}

// The first frame now carries the decoder configuration in front of it.
Bytes VideoSampleSizes(const Bytes& image, const AtomSlot& stsz, const std::vector<Sample>& frames)
{
    platform::BigEndianWriter out;
    TableHeader(out, image, stsz, 20 + 4 * frames.size());
    out.u32(0).u32(static_cast<uint32_t>(frames.size()));
    for (std::size_t i = 0; i < frames.size(); ++i)
        out.u32(static_cast<uint32_t>(frames[i].size + (i == 0 ? kDecoderConfigBytes : 0)));
    return out.take();
}

} // namespace

// One entry when every chunk holds the same count; a lone chunk smaller than the others would
// otherwise be named twice as chunk 1, which readers reject.
Bytes VideoSampleToChunk(uint32_t frames)
{
    const uint32_t chunks = (frames + kFramesPerVideoChunk - 1) / kFramesPerVideoChunk;
    const uint32_t lastChunkFrames = frames % kFramesPerVideoChunk;
    platform::BigEndianWriter out;
    if (lastChunkFrames == 0 || chunks == 1) {
        out.u32(28).text("stsc").u32(0).u32(1);
        out.u32(1).u32(std::min(frames, kFramesPerVideoChunk)).u32(1);
    } else {
        out.u32(40).text("stsc").u32(0).u32(2);
        out.u32(1).u32(kFramesPerVideoChunk).u32(1);
        out.u32(chunks).u32(lastChunkFrames).u32(1);
    }
    return out.take();
}

Bytes AudioSampleToChunk(const Bytes& targetStsc, uint32_t samples, uint32_t samplesPerChunk)
{
    const uint32_t chunks = samples / samplesPerChunk + (samples % samplesPerChunk ? 1 : 0);
    const uint32_t lastChunkSamples = samples % samplesPerChunk ? samples % samplesPerChunk : samplesPerChunk;
    platform::BigEndianWriter out;
    if (chunks == 1) {
        out.u32(28).bytes(&targetStsc[4], 8).u32(1);
        out.u32(1).u32(samples).u32(1);
    } else {
        out.u32(40).bytes(&targetStsc[4], 8).u32(2);
        out.u32(1).u32(samplesPerChunk).u32(1);
        out.u32(chunks).u32(lastChunkSamples).u32(1);
    }
    return out.take();
}

bool TablesDescribeSamples(const Bytes& target, const AtomIndex& index, const AtomSlot& region)
{
    std::vector<Sample> frames;
    Bytes audioSamples;
    return region.end() <= target.size() && LocateFrames(target, index.video(), region, frames) &&
           GatherAudio(target, index.audio(), region, audioSamples);
}

bool RebuildMov(const Bytes& target, const AtomIndex& index, const CameraTemplate& camera,
                uint32_t audioSamplesPerChunk, Bytes& out, const std::function<void(int)>& progress)
{
    const TrackAtoms& video = index.video();
    const TrackAtoms& audio = index.audio();
    std::vector<Sample> frames;
    Bytes audioSamples;
    const AtomSlot wholeFile{0, target.size(), true};
    if (!LocateFrames(target, video, wholeFile, frames) || !GatherAudio(target, audio, wholeFile, audioSamples) ||
        !index.esds.found || index.esds.size < 8 + kDecoderConfigBytes || !index.moov.found)
        return false;
    progress(40);

    platform::BigEndianWriter media;
    media.bytes(camera.skip);
    const std::size_t mdatOffset = media.size();
    media.u32(0).text("mdat");
    progress(50);

    const std::size_t frameCount = frames.size();
    const std::size_t videoChunks = (frameCount + kFramesPerVideoChunk - 1) / kFramesPerVideoChunk;
    const std::size_t audioChunks = (audioSamples.size() + audioSamplesPerChunk - 1) / audioSamplesPerChunk;
    std::vector<std::size_t> videoOffsets, audioOffsets;
    for (std::size_t chunk = 0; chunk < std::max(videoChunks, audioChunks); ++chunk) {
        if (chunk < videoChunks) {
            videoOffsets.push_back(media.size());
            if (chunk == 0)
                media.bytes(&target[index.esds.end() - kDecoderConfigBytes], kDecoderConfigBytes);
            const std::size_t last = std::min(frameCount, (chunk + 1) * kFramesPerVideoChunk);
            for (std::size_t i = chunk * kFramesPerVideoChunk; i < last; ++i)
                media.bytes(&target[frames[i].offset], frames[i].size);
        }
        if (chunk < audioChunks) {
            audioOffsets.push_back(media.size());
            const std::size_t first = chunk * audioSamplesPerChunk;
            media.bytes(&audioSamples[first], std::min<std::size_t>(audioSamplesPerChunk, audioSamples.size() - first));
        }
    }
    // Chunk offsets and atom sizes are 32-bit.
    if (media.size() > UINT32_MAX)
        return false;
    media.PatchU32(mdatOffset, static_cast<uint32_t>(media.size() - mdatOffset));
    progress(60);

    MoovEdits edits;
    edits.replacements[video.stsc.offset] = VideoSampleToChunk(static_cast<uint32_t>(frameCount));
    edits.replacements[video.stsz.offset] = VideoSampleSizes(target, video.stsz, frames);
    edits.replacements[video.stco.offset] = ChunkOffsets(target, video.stco, videoOffsets);
    edits.replacements[audio.stsd.offset] = camera.audioStsd;
    edits.replacements[audio.stsc.offset] =
        AudioSampleToChunk(Slice(target, audio.stsc), static_cast<uint32_t>(audioSamples.size()), audioSamplesPerChunk);
    edits.replacements[audio.stco.offset] = ChunkOffsets(target, audio.stco, audioOffsets);
    for (const TrackAtoms& track : index.tracks)
        for (const AtomSlot* container : {&track.trak, &track.mdia, &track.minf, &track.stbl})
            edits.containers.insert(container->offset);
    edits.udta = camera.udta;
    out = media.take();
    if (edits.replacements.size() != 6 || !RewriteMoov(target, index.moov, edits, out))
        return false;
    progress(70);
    return true;
}

} // namespace kavlo
