#include "bluvat/readers/matroska_tracks.h"

#include <cstdio>
#include <cstring>

#include "bluvat/readers/ebml.h"
#include "bluvat/readers/language_code.h"
#include "bluvat/stream_types.h"
#include "platform/byte_writer.h"

namespace bluvat {
namespace {

std::span<const uint8_t> DataOf(std::span<const uint8_t> parent, const ebml::Element& e)
{
    return parent.subspan(e.offset, e.size);
}

// A VfW track is only VC-1 when its BITMAPINFOHEADER names that compression.
bool IsVc1Bitmap(std::span<const uint8_t> codecPrivate)
{
    return codecPrivate.size() >= 40 && std::memcmp(codecPrivate.data() + 16, "WVC1", 4) == 0;
}

constexpr uint32_t kContentEncodings = 0x6D80, kContentEncoding = 0x6240, kEncodingType = 0x5033,
                   kEncodingScope = 0x5032, kCompression = 0x5034, kCompAlgo = 0x4254, kCompSettings = 0x4255;
constexpr uint64_t kHeaderStripping = 3;
constexpr uint32_t kLanguage = 0x22B59C;

// The bytes a header-stripping encoding took off every frame; nullopt when the track's frames
// are encoded some other way (zlib, encryption), which a byte copy cannot undo.
std::optional<std::vector<uint8_t>> StrippedHeader(std::span<const uint8_t> encodings, bool& corrupt)
{
    std::vector<uint8_t> header;
    for (const ebml::Element& encoding : ebml::Children(encodings, corrupt)) {
        if (encoding.id != kContentEncoding)
            continue;
        auto encodingData = DataOf(encodings, encoding);
        uint64_t type = 0, scope = 1, algo = 0;
        std::span<const uint8_t> settings;
        for (const ebml::Element& f : ebml::Children(encodingData, corrupt)) {
            auto bytes = DataOf(encodingData, f);
            if (f.id == kEncodingType)
                type = ebml::ReadUnsigned(bytes).value_or(~uint64_t{0});
            else if (f.id == kEncodingScope)
                scope = ebml::ReadUnsigned(bytes).value_or(~uint64_t{0});
            else if (f.id == kCompression) {
                for (const ebml::Element& c : ebml::Children(bytes, corrupt)) {
                    if (c.id == kCompAlgo)
                        algo = ebml::ReadUnsigned(DataOf(bytes, c)).value_or(~uint64_t{0});
                    else if (c.id == kCompSettings)
                        settings = DataOf(bytes, c);
                }
            }
        }
        if (!(scope & 1))
            continue; // only the codec private data is encoded
        if (type != 0 || algo != kHeaderStripping)
            return std::nullopt;
        header.insert(header.begin(), settings.begin(), settings.end()); // the last encoding is undone first
    }
    return header;
}

} // namespace

uint8_t MatroskaStreamType(const std::string& codecId, std::span<const uint8_t> codecPrivate)
{
    if (codecId == "V_MPEG2")
        return kMpeg2Video;
    if (codecId == "V_MPEG4/ISO/AVC")
        return kAvcVideo;
    if (codecId == "V_MS/VFW/FOURCC")
        return IsVc1Bitmap(codecPrivate) ? kVc1Video : 0;
    if (codecId == "A_AC3")
        return kAc3Audio;
    if (codecId == "A_EAC3")
        return kEac3Audio;
    if (codecId == "A_DTS")
        return kDtsAudio;
    return 0;
}

void ReadMatroskaTracks(std::span<const uint8_t> tracksData, std::vector<MatroskaTrack>& tracks,
                        const std::function<void(const char*)>& report)
{
    bool corrupt = false;
    for (const ebml::Element& entry : ebml::Children(tracksData, corrupt)) {
        if (entry.id != ebml::id::TrackEntry)
            continue;
        auto entryData = DataOf(tracksData, entry);
        auto fields = ebml::Children(entryData, corrupt);
        MatroskaTrack track;
        std::string codecId;
        bool encodedFrames = false;
        std::string language = "eng"; // the format's default when the track names none
        for (const ebml::Element& f : fields) {
            auto bytes = DataOf(entryData, f);
            if (f.id == ebml::id::TrackNumber) {
                track.number = ebml::ReadUnsigned(bytes).value_or(0);
            } else if (f.id == ebml::id::CodecId) {
                codecId.assign(bytes.begin(), bytes.end());
                codecId.resize(std::strlen(codecId.c_str())); // the string may carry NUL padding
            } else if (f.id == ebml::id::CodecPrivate) {
                track.codecPrivate.assign(bytes.begin(), bytes.end());
            } else if (f.id == kLanguage) {
                language.assign(bytes.begin(), bytes.end());
                language.resize(std::strlen(language.c_str()));
            } else if (f.id == kContentEncodings) {
                auto header = StrippedHeader(bytes, corrupt);
                encodedFrames = !header;
                track.strippedHeader = header.value_or(std::vector<uint8_t>{});
            }
        }
        if (fields.empty() || track.number == 0) {
            report("Track info is invalid");
            continue;
        }
        track.streamType = encodedFrames ? 0 : MatroskaStreamType(codecId, track.codecPrivate);
        if (track.streamType == 0) {
            char line[160];
            std::snprintf(line, sizeof line, "Track %llu (%.64s) is left out: a disc cannot carry it",
                          static_cast<unsigned long long>(track.number), codecId.c_str());
            report(line);
            continue;
        }
        track.language = DiscLanguage(language);
        if (track.streamType == kAvcVideo) {
            // Without a readable record the frames are still length-prefixed, by 4 bytes.
            auto config = ParseAvcDecoderConfig(track.codecPrivate);
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

std::vector<uint8_t> MatroskaMapEntry(const MatroskaTrack& track)
{
    platform::BigEndianWriter w;
    w.u8(track.streamType).u16(0xE000 | track.pid).u16(0xF000);
    return w.take();
}

} // namespace bluvat
