#include "tests/kavlo/mov_test_media.h"

#include "platform/byte_writer.h"
#include "platform/process_runner.h"

#include <fstream>
#include <iomanip>
#include <sstream>

namespace kavlo_test {

bool MakeMov(const std::string& path, const MovSpec& spec)
{
    std::ostringstream duration;
    duration << std::fixed << std::setprecision(6) << static_cast<double>(spec.frames) / spec.framesPerSecond;
    std::vector<std::string> args = {
        "-hide_banner",
        "-loglevel",
        "error",
        "-y",
        "-f",
        "lavfi",
        "-i",
        "testsrc=size=320x240:rate=" + std::to_string(spec.framesPerSecond),
        "-f",
        "lavfi",
        "-i",
        "sine=frequency=440:sample_rate=" + std::to_string(spec.sampleRate) + ":duration=" + duration.str(),
    };
    if (spec.audioFirst)
        args.insert(args.end(), {"-map", "1:a", "-map", "0:v"});
    else
        args.insert(args.end(), {"-map", "0:v", "-map", "1:a"});
    args.insert(args.end(), {"-frames:v", std::to_string(spec.frames), "-c:v", "mpeg4", "-c:a", spec.audioCodec, "-ac",
                             std::to_string(spec.channels), path});
    return platform::RunAndWait("ffmpeg", args) == 0;
}

Bytes ReadBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

void WriteBytes(const std::string& path, const Bytes& bytes)
{
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

uint32_t U32(const Bytes& bytes, std::size_t at)
{
    return platform::BigEndianReader(&bytes.at(at), 4).u32();
}

uint32_t LittleU32(const Bytes& bytes, std::size_t at)
{
    return platform::LittleEndianReader(&bytes.at(at), 4).u32();
}

std::optional<std::vector<Box>> Children(const Bytes& bytes, std::size_t begin, std::size_t end)
{
    std::vector<Box> boxes;
    while (begin < end) {
        if (end - begin < 8)
            return std::nullopt;
        const std::size_t size = U32(bytes, begin);
        if (size < 8 || size > end - begin)
            return std::nullopt;
        boxes.push_back({begin, size, std::string(bytes.begin() + begin + 4, bytes.begin() + begin + 8)});
        begin += size;
    }
    return boxes;
}

std::vector<Box> TopLevel(const Bytes& bytes)
{
    return Children(bytes, 0, bytes.size()).value_or(std::vector<Box>{});
}

std::optional<Box> Child(const Bytes& bytes, const Box& parent, const std::string& type)
{
    for (const Box& box : Children(bytes, parent.offset + 8, parent.end()).value_or(std::vector<Box>{}))
        if (box.type == type)
            return box;
    return std::nullopt;
}

std::optional<Box> Find(const Bytes& bytes, const std::vector<std::string>& path)
{
    std::optional<Box> at;
    for (const Box& box : TopLevel(bytes))
        if (box.type == path.front()) {
            at = box;
            break;
        }
    for (std::size_t i = 1; at && i < path.size(); ++i)
        at = Child(bytes, *at, path[i]);
    return at;
}

namespace {

bool IsContainer(const std::string& type)
{
    return type == "moov" || type == "trak" || type == "mdia" || type == "minf" || type == "stbl" || type == "edts" ||
           type == "dinf";
}

bool Fills(const Bytes& bytes, const Box& box)
{
    auto children = Children(bytes, box.offset + 8, box.end());
    if (!children)
        return false;
    for (const Box& child : *children)
        if (IsContainer(child.type) && !Fills(bytes, child))
            return false;
    return true;
}

} // namespace

bool SizesAddUp(const Bytes& bytes)
{
    auto top = Children(bytes, 0, bytes.size());
    if (!top)
        return false;
    for (const Box& box : *top)
        if (box.type == "moov" && !Fills(bytes, box))
            return false;
    return true;
}

std::optional<Box> SampleTable(const Bytes& bytes, const std::string& handler)
{
    auto moov = Find(bytes, {"moov"});
    if (!moov)
        return std::nullopt;
    for (const Box& trak : Children(bytes, moov->offset + 8, moov->end()).value_or(std::vector<Box>{})) {
        if (trak.type != "trak")
            continue;
        auto mdia = Child(bytes, trak, "mdia");
        auto hdlr = mdia ? Child(bytes, *mdia, "hdlr") : std::nullopt;
        if (!hdlr || std::string(bytes.begin() + hdlr->offset + 16, bytes.begin() + hdlr->offset + 20) != handler)
            continue;
        auto minf = Child(bytes, *mdia, "minf");
        return minf ? Child(bytes, *minf, "stbl") : std::nullopt;
    }
    return std::nullopt;
}

std::vector<uint32_t> TableEntries(const Bytes& bytes, const Box& table)
{
    std::vector<uint32_t> values;
    for (std::size_t at = table.offset + 16; at + 4 <= table.end(); at += 4)
        values.push_back(U32(bytes, at));
    return values;
}

std::vector<uint32_t> SampleSizes(const Bytes& bytes, const Box& stsz)
{
    const uint32_t constant = U32(bytes, stsz.offset + 12);
    const uint32_t count = U32(bytes, stsz.offset + 16);
    if (constant)
        return std::vector<uint32_t>(count, constant);
    std::vector<uint32_t> sizes;
    for (uint32_t i = 0; i < count; ++i)
        sizes.push_back(U32(bytes, stsz.offset + 20 + 4 * i));
    return sizes;
}

Bytes MakeCameraClip(const Bytes& converted, std::size_t skipSize, std::size_t udtaSize)
{
    auto mdat = Find(converted, {"mdat"});
    auto moov = Find(converted, {"moov"});
    if (!mdat || !moov)
        return {};
    platform::BigEndianWriter clip;
    clip.u32(static_cast<uint32_t>(skipSize)).text("skip");
    for (std::size_t i = 8; i < skipSize; ++i)
        clip.u8(static_cast<uint32_t>(0xA0 + i % 16));
    const int64_t shift = static_cast<int64_t>(clip.size()) - static_cast<int64_t>(mdat->offset);
    clip.bytes(&converted[mdat->offset], mdat->size);

    // The movie without the converter's own "udta", chunk offsets moved with the media.
    const std::size_t moovAt = clip.size();
    clip.u32(0).text("moov");
    const std::vector<Box> movie = Children(converted, moov->offset + 8, moov->end()).value_or(std::vector<Box>{});
    for (const Box& child : movie)
        if (child.type != "udta")
            clip.bytes(&converted[child.offset], child.size);
    clip.u32(static_cast<uint32_t>(udtaSize)).text("udta");
    for (std::size_t i = 8; i < udtaSize; ++i)
        clip.u8(static_cast<uint32_t>('0' + i % 10));
    clip.PatchU32(moovAt, static_cast<uint32_t>(clip.size() - moovAt));

    Bytes bytes = clip.take();
    for (const char* handler : {"vide", "soun"}) {
        auto stbl = SampleTable(bytes, handler);
        auto stco = stbl ? Child(bytes, *stbl, "stco") : std::nullopt;
        if (!stco)
            return {};
        const uint32_t count = U32(bytes, stco->offset + 12);
        for (uint32_t i = 0; i < count; ++i) {
            const std::size_t at = stco->offset + 16 + 4 * i;
            platform::BigEndianWriter value;
            value.u32(static_cast<uint32_t>(U32(bytes, at) + shift));
            std::copy(value.data().begin(), value.data().end(), bytes.begin() + static_cast<std::ptrdiff_t>(at));
        }
    }
    return bytes;
}

} // namespace kavlo_test

namespace kavlo_test {

std::vector<Bytes> Samples(const Bytes& bytes, const Box& stbl)
{
    const std::vector<uint32_t> sizes = SampleSizes(bytes, *Child(bytes, stbl, "stsz"));
    const std::vector<uint32_t> offsets = TableEntries(bytes, *Child(bytes, stbl, "stco"));
    const std::vector<uint32_t> stsc = TableEntries(bytes, *Child(bytes, stbl, "stsc"));
    std::vector<Bytes> samples;
    for (std::size_t chunk = 0; chunk < offsets.size(); ++chunk) {
        uint32_t perChunk = 0;
        for (std::size_t e = 0; e + 2 < stsc.size() && stsc[e] <= chunk + 1; e += 3)
            perChunk = stsc[e + 1];
        std::size_t at = offsets[chunk];
        for (uint32_t i = 0; i < perChunk && samples.size() < sizes.size(); ++i) {
            const uint32_t size = sizes[samples.size()];
            samples.emplace_back(bytes.begin() + at, bytes.begin() + at + size);
            at += size;
        }
    }
    return samples;
}

} // namespace kavlo_test
