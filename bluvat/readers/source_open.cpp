#include "bluvat/readers/source_reader.h"

#include "bluvat/readers/graphics_stream_reader.h"
#include "bluvat/readers/matroska_reader.h"
#include "bluvat/readers/program_stream_reader.h"
#include "bluvat/readers/ts_reader.h"
#include "bluvat/report.h"

#include <cstdio>
#include <filesystem>

namespace bluvat {

namespace {
constexpr std::size_t kDetectBytes = 1344;

bool SyncEvery(const uint8_t* data, std::size_t size, std::size_t start, std::size_t step)
{
    for (std::size_t k = 1; k <= 5; ++k)
        if (start + k * step >= size || data[start + k * step] != 0x47)
            return false;
    return true;
}

bool HasPackHeader(const uint8_t* d, std::size_t n)
{
    std::size_t i = 3;
    while (i < n) {
        if (d[i - 3] == 0 && d[i - 2] == 0 && d[i - 1] == 1) {
            if (d[i] == 0xBA)
                return true;
            if (i + 2 >= n)
                return false;
            i += 3 + ((std::size_t(d[i + 1]) << 8) | d[i + 2]); // skip the unit by its length
            continue;
        }
        ++i;
    }
    return false;
}
} // namespace

SourceKind DetectKind(const uint8_t* d, std::size_t n)
{
    for (std::size_t i = 0; i < 192 && i < n; ++i) {
        if (d[i] != 0x47)
            continue;
        if (SyncEvery(d, n, i, 188))
            return SourceKind::TransportStream;
        if (SyncEvery(d, n, i, 192))
            return SourceKind::SourcePackets;
    }
    if (n >= 2 && (d[0] == 'P' || d[0] == 'p') && (d[1] == 'G' || d[1] == 'g'))
        return SourceKind::GraphicsStream;
    if (HasPackHeader(d, n))
        return SourceKind::ProgramStream;
    for (std::size_t i = 0; i + 4 <= n; ++i)
        if (d[i] == 0x1A && d[i + 1] == 0x45 && d[i + 2] == 0xDF && d[i + 3] == 0xA3)
            return SourceKind::Matroska;
    return SourceKind::Unknown;
}

std::unique_ptr<SourceReader> OpenSource(const std::string& path)
{
    // Opening a pipe or a device would wait for a writer, or read forever.
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec))
        return nullptr;
    uint8_t head[kDetectBytes];
    std::size_t n = 0;
    {
        std::FILE* f = std::fopen(path.c_str(), "rb");
        if (!f)
            return nullptr;
        n = std::fread(head, 1, sizeof head, f);
        std::fclose(f);
    }
    if (n < kDetectBytes)
        ReportError("The specified file is too short");
    SourceKind kind = DetectKind(head, n);
    std::unique_ptr<SourceReader> reader;
    switch (kind) {
    case SourceKind::TransportStream:
    case SourceKind::SourcePackets: reader = std::make_unique<TsReader>(kind, path); break;
    case SourceKind::ProgramStream: reader = std::make_unique<ProgramStreamReader>(path); break;
    case SourceKind::GraphicsStream: reader = std::make_unique<GraphicsStreamReader>(path); break;
    case SourceKind::Matroska: reader = std::make_unique<MatroskaReader>(path); break;
    case SourceKind::Unknown: ReportError("The specified file is not a valid file"); return nullptr;
    default: return nullptr; // the readers of these kinds are built here as they arrive
    }
    if (!reader->Scan())
        return nullptr;
    return reader;
}

} // namespace bluvat
