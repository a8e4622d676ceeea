#include "bluvat/writers/index_writer.h"

#include "bluvat/report.h"
#include "bluvat/writers/file_sink.h"
#include "platform/byte_writer.h"

#include <cstdio>

namespace bluvat {

namespace {
using Writer = platform::BigEndianWriter;

// The maker's extension entry, 354 bytes.
std::vector<uint8_t> MakerBlock()
{
    Writer b;
    // The word at 46 (10 13 00 01) and the text at 48 overlap; the text keeps its place.
    b.text("IDEX").zeros(4).u32(354).zeros(30).u32(310).u16(0x1013);
    b.text("QX 2.0.0.0");
    b.zeros(80 - b.size());
    static constexpr uint8_t kInfo[] = {0x00, 0x06, 0xFF, 0xFF, 0x42, 0x20, 0x07, 0x08, 0x08, 0x00};
    b.bytes(kInfo, sizeof kInfo).text("TS").u8(0x00).u8(0x90).u8(0x0A).text("QX 2.0.0.0");
    b.zeros(354 - b.size());
    return b.take();
}

void PlayPlaylist(Writer& w, uint32_t playlist)
{
    w.u32(0x22800000).u32(playlist).u32(0);
}
} // namespace

std::vector<uint8_t> BuildIndex(int titles)
{
    uint32_t n = static_cast<uint32_t>(titles);
    Writer w;
    w.text("INDX0200").u32(78).u32(108 + 12 * n).zeros(24);
    w.u32(34).u16(0).text("KORBANE", 32);
    w.u32(26 + 12 * n);
    w.u32(0x40000000).u32(0x00000000).u32(0); // first play: movie object 0, movie playback
    w.u32(0x40000000).u32(0x40000000).u32(0); // top menu: movie object 0, interactive
    w.u16(n);
    for (uint32_t i = 0; i < n; ++i)
        w.u32(0x40000000).u32(i).u32(0);
    w.u32(392 + 10 * n).u32(24).u32(0x00000001).u32(0x10000100).u32(24).u32(372 + 10 * n);
    w.bytes(MakerBlock());
    w.u32(14 + 10 * n);
    static constexpr uint8_t kTableHead[] = {0x00, 0x00, 0x00, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00, 0x02};
    w.bytes(kTableHead, sizeof kTableHead).u32(n);
    for (uint32_t j = 0; j < n; ++j) {
        char digits[16];
        std::snprintf(digits, sizeof digits, "%05u", j);
        w.text(digits, 5).u8(0x01).u32(j);
    }
    return w.take();
}

std::vector<uint8_t> BuildMovieObjects(int titles)
{
    uint32_t n = static_cast<uint32_t>(titles);
    Writer w;
    w.text("MOBJ0100").zeros(32).u32(28 * n - 6).u32(0).u16(n);
    w.u16(0x8000).u16(n);
    for (uint32_t j = 0; j < n; ++j)
        PlayPlaylist(w, j);
    for (uint32_t i = 1; i < n; ++i) {
        w.u16(0x8000).u16(1);
        PlayPlaylist(w, i);
    }
    return w.take();
}

bool WriteIndexFiles(const std::string& folder, int titles)
{
    bool index = WriteWithBackup(folder + "BDMV/index.bdmv", folder + "BDMV/BACKUP/index.bdmv", BuildIndex(titles),
                                 "index.bdmv");
    bool objects = WriteWithBackup(folder + "BDMV/MovieObject.bdmv", folder + "BDMV/BACKUP/MovieObject.bdmv",
                                   BuildMovieObjects(titles), "MovieObject.bdmv");
    return index && objects;
}

} // namespace bluvat
