// One bluvat source reader, chosen by FUZZ_SOURCE_KIND, through its opening scan, the whole read
// and the M2TS writer, as the authoring driver uses them.

#include "tests/bluvat/fuzz_one.h"
#include "tests/fuzz/fuzz_target.h"

#include "bluvat/readers/graphics_stream_reader.h"
#include "bluvat/readers/matroska_reader.h"
#include "bluvat/readers/program_stream_reader.h"
#include "bluvat/readers/ts_reader.h"
#include "platform/process_runner.h"

#include <memory>

namespace {

using bluvat::SourceKind;
using fuzz::Bytes;

constexpr SourceKind kKind = static_cast<SourceKind>(FUZZ_SOURCE_KIND);
constexpr std::size_t kSeedBytes = 48 * 1024;

std::unique_ptr<bluvat::SourceReader> ReaderOfKind(const std::string& path)
{
    switch (kKind) {
    case SourceKind::TransportStream:
    case SourceKind::SourcePackets: return std::make_unique<bluvat::TsReader>(kKind, path);
    case SourceKind::ProgramStream: return std::make_unique<bluvat::ProgramStreamReader>(path);
    case SourceKind::GraphicsStream: return std::make_unique<bluvat::GraphicsStreamReader>(path);
    case SourceKind::Matroska: return std::make_unique<bluvat::MatroskaReader>(path);
    default: return nullptr;
    }
}

std::vector<std::string> Lavfi(const std::string& video, const std::string& audio)
{
    return {"-f",   "lavfi", "-i",   "testsrc=size=160x120:rate=25:duration=1",
            "-f",   "lavfi", "-i",   "sine=frequency=440:sample_rate=48000:duration=1",
            "-c:v", video,   "-c:a", audio};
}

std::vector<std::string> With(std::vector<std::string> base, const std::vector<std::string>& more)
{
    base.insert(base.end(), more.begin(), more.end());
    return base;
}

// One display set: composition, window, palette, object and end segments.
void AddDisplaySet(Bytes& out, uint32_t pts, bool shown)
{
    auto segment = [&](uint8_t type, const Bytes& body) {
        const Bytes header = {
            'P', 'G',  uint8_t(pts >> 24),        uint8_t(pts >> 16),  uint8_t(pts >> 8), uint8_t(pts), 0, 0, 0,
            0,   type, uint8_t(body.size() >> 8), uint8_t(body.size())};
        out.insert(out.end(), header.begin(), header.end());
        out.insert(out.end(), body.begin(), body.end());
    };
    segment(0x16, shown ? Bytes{0x07, 0x80, 0x04, 0x38, 0x10, 0, 1, 0x80, 0, 0, 1, 0, 0, 0, 0, 0, 100, 0, 200}
                        : Bytes{0x07, 0x80, 0x04, 0x38, 0x10, 0, 2, 0x00, 0, 0, 0});
    segment(0x17, {1, 0, 0, 100, 0, 200, 0, 16, 0, 4});
    if (shown) {
        segment(0x14, {0, 0, 1, 235, 128, 128, 255, 2, 16, 128, 128, 255});
        segment(0x15, {0, 0, 0, 0xC0, 0, 0, 12, 0, 16, 0, 4, 1, 0, 0x10, 0, 0, 0, 0, 0, 0, 0, 0});
    }
    segment(0x80, {});
}

} // namespace

std::vector<Bytes> fuzz::Seeds()
{
    std::vector<Bytes> seeds;
    auto add = [&](Bytes seed) {
        if (!seed.empty())
            seeds.push_back(std::move(seed));
    };
    const std::vector<std::string> x264 = {"-preset", "ultrafast", "-g", "5"};
    switch (kKind) {
    case SourceKind::TransportStream:
        add(MediaSeed("h264.ts", With(Lavfi("libx264", "ac3"), x264), kSeedBytes));
        add(MediaSeed("mpeg2.ts", With(Lavfi("mpeg2video", "mp2"), {"-f", "mpegts"}), kSeedBytes));
        add(MediaSeed("aac.ts", With(Lavfi("libx264", "aac"), x264), kSeedBytes));
        break;
    case SourceKind::SourcePackets:
        add(MediaSeed("h264.m2ts",
                      With(Lavfi("libx264", "ac3"), With(x264, {"-f", "mpegts", "-mpegts_m2ts_mode", "1"})),
                      kSeedBytes));
        add(MediaSeed("lpcm.m2ts", With(Lavfi("mpeg2video", "pcm_bluray"), {"-f", "mpegts", "-mpegts_m2ts_mode", "1"}),
                      kSeedBytes));
        break;
    case SourceKind::ProgramStream:
        add(MediaSeed("ac3.vob", With(Lavfi("mpeg2video", "ac3"), {"-f", "vob"}), kSeedBytes));
        add(MediaSeed("lpcm.vob", With(Lavfi("mpeg2video", "pcm_dvd"), {"-ac", "2", "-sample_fmt", "s32", "-f", "vob"}),
                      kSeedBytes));
        add(MediaSeed("mp2.mpg", With(Lavfi("mpeg1video", "mp2"), {"-f", "mpeg"}), kSeedBytes));
        break;
    case SourceKind::GraphicsStream: {
        Bytes sup;
        AddDisplaySet(sup, 45000, true);
        AddDisplaySet(sup, 108000, false);
        add(sup);
        break;
    }
    case SourceKind::Matroska: {
        add(MediaSeed("h264.mkv", With(Lavfi("libx264", "ac3"), x264), kSeedBytes));
        Bytes mpeg2 = MediaSeed("mpeg2.mkv", Lavfi("mpeg2video", "ac3"), SIZE_MAX);
        // The same streams with EBML lacing, as mkvmerge writes them.
        const std::string plain = Scratch("plain.mkv"), laced = Scratch("laced.mkv");
        WriteFile(plain, mpeg2);
        if (platform::RunAndWait("mkvmerge", {"-q", "-o", laced, "--engage", "lacing_ebml", plain}) == 0) {
            Bytes bytes = ReadFile(laced);
            bytes.resize(std::min(bytes.size(), kSeedBytes));
            add(bytes);
        }
        mpeg2.resize(std::min(mpeg2.size(), kSeedBytes));
        add(mpeg2);
        break;
    }
    default: break;
    }
    return seeds;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const std::string input = fuzz::Scratch("source"), output = fuzz::Scratch("output.m2ts");
    bluvat::DetectKind(data, size);
    fuzz::WriteFile(input, data, size);
    auto reader = ReaderOfKind(input);
    if (reader && reader->Scan())
        bluvat_test::authorFrom(*reader, output);
    return 0;
}
