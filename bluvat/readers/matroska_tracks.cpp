#include "bluvat/readers/matroska_tracks.h"

#include <cstring>

#include "bluvat/readers/ebml.h"
#include "platform/byte_writer.h"

namespace bluvat {
namespace {

std::span<const uint8_t> dataOf(std::span<const uint8_t> parent, const ebml::Element& e)
{
    return parent.subspan(e.offset, e.size);
}

// A VfW track is only VC-1 when its BITMAPINFOHEADER names that compression.
bool isVc1Bitmap(std::span<const uint8_t> codecPrivate)
{
    return codecPrivate.size() >= 40 && std::memcmp(codecPrivate.data() + 16, "WVC1", 4) == 0;
}

} // namespace

uint8_t matroskaStreamType(const std::string& codecId, std::span<const uint8_t> codecPrivate)
{
    if (codecId == "V_MPEG2")
        return 0x02;
    if (codecId == "V_MPEG4/ISO/AVC")
        return 0x1B;
    if (codecId == "V_MS/VFW/FOURCC")
        return isVc1Bitmap(codecPrivate) ? 0xEA : 0;
    if (codecId == "A_AC3")
        return 0x81;
    if (codecId == "A_DTS")
        return 0x82;
    return 0;
}

void readMatroskaTracks(std::span<const uint8_t> tracksData, std::vector<MatroskaTrack>& tracks,
                        const std::function<void(const char*)>& report)
{
    bool corrupt = false;
    for (const ebml::Element& entry : ebml::children(tracksData, corrupt)) {
        if (entry.id != ebml::id::TrackEntry)
            continue;
        auto entryData = dataOf(tracksData, entry);
        auto fields = ebml::children(entryData, corrupt);
        MatroskaTrack track;
        std::string codecId;
        for (const ebml::Element& f : fields) {
            auto bytes = dataOf(entryData, f);
            if (f.id == ebml::id::TrackNumber) {
                track.number = ebml::readUnsigned(bytes).value_or(0);
            } else if (f.id == ebml::id::CodecId) {
                codecId.assign(bytes.begin(), bytes.end());
                codecId.resize(std::strlen(codecId.c_str()));  // the string may carry NUL padding
            } else if (f.id == ebml::id::CodecPrivate) {
                track.codecPrivate.assign(bytes.begin(), bytes.end());
            }
        }
        if (fields.empty() || track.number == 0) {
            report("Track info is invalid");
            continue;
        }
        track.streamType = matroskaStreamType(codecId, track.codecPrivate);
        if (track.streamType == 0)
            continue;
        if (track.streamType == 0x1B) {
            // Without a readable record the frames are still length-prefixed, by 4 bytes.
            auto config = parseAvcDecoderConfig(track.codecPrivate);
            if (!config)
                report("Invalid/Corrupted MKV file");
            track.avc = config.value_or(AvcDecoderConfig{});
        }
        track.pid = static_cast<uint16_t>(tracks.size() + 1);
        tracks.push_back(std::move(track));
    }
    if (corrupt)
        report("Invalid/Corrupted MKV file");
}

std::vector<uint8_t> matroskaMapEntry(const MatroskaTrack& track)
{
    platform::BigEndianWriter w;
    w.u8(track.streamType).u16(0xE000 | track.pid).u16(0xF000);
    return w.take();
}

} // namespace bluvat
