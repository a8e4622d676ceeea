#include "bluvat/readers/avc_annexb.h"

#include "platform/byte_writer.h"

namespace bluvat {
namespace {

constexpr uint8_t kStartCode[] = {0, 0, 0, 1};
constexpr uint8_t kAccessUnitDelimiter[] = {0, 0, 0, 1, 0x09, 0xF0};
constexpr unsigned kNalIdr = 5, kNalSps = 7, kNalAud = 9;

bool ReadParameterSets(platform::BigEndianReader& r, unsigned count, std::vector<uint8_t>& out)
{
    for (unsigned i = 0; i < count; ++i) {
        unsigned size = r.u16();
        if (r.failed() || size > r.remaining())
            return false;
        out.insert(out.end(), kStartCode, kStartCode + 4);
        out.insert(out.end(), r.here(), r.here() + size);
        r.skip(size);
    }
    return true;
}

struct Nal {
    std::span<const uint8_t> bytes;
    unsigned type() const { return bytes.empty() ? 0 : bytes[0] & 0x1F; }
};

bool SplitNals(std::span<const uint8_t> frame, unsigned lengthSize, std::vector<Nal>& nals)
{
    std::size_t pos = 0;
    while (pos < frame.size()) {
        if (frame.size() - pos < lengthSize)
            return false;
        uint64_t size = 0;
        for (unsigned i = 0; i < lengthSize; ++i)
            size = (size << 8) | frame[pos + i];
        pos += lengthSize;
        if (size > frame.size() - pos)
            return false;
        nals.push_back({frame.subspan(pos, size)});
        pos += size;
    }
    return true;
}

} // namespace

std::optional<AvcDecoderConfig> ParseAvcDecoderConfig(std::span<const uint8_t> record)
{
    platform::BigEndianReader r(record.data(), record.size());
    if (r.u8() != 1) // configurationVersion
        return std::nullopt;
    r.skip(3); // profile, compatibility, level
    AvcDecoderConfig config;
    config.lengthSize = (r.u8() & 3) + 1;
    unsigned spsCount = r.u8() & 0x1F;
    if (r.failed() || config.lengthSize == 3 || !ReadParameterSets(r, spsCount, config.parameterSets))
        return std::nullopt;
    unsigned ppsCount = r.u8();
    if (r.failed() || !ReadParameterSets(r, ppsCount, config.parameterSets))
        return std::nullopt;
    return config;
}

bool AppendAnnexB(std::span<const uint8_t> frame, const AvcDecoderConfig& config, bool keyFrame,
                  std::vector<uint8_t>& out)
{
    std::vector<Nal> nals;
    bool whole = SplitNals(frame, config.lengthSize, nals);
    bool hasSps = false;
    for (const Nal& nal : nals) {
        keyFrame = keyFrame || nal.type() == kNalIdr;
        hasSps = hasSps || nal.type() == kNalSps;
    }
    std::size_t first = 0;
    if (!nals.empty() && nals[0].type() == kNalAud) {
        out.insert(out.end(), kStartCode, kStartCode + 4);
        out.insert(out.end(), nals[0].bytes.begin(), nals[0].bytes.end());
        first = 1;
    } else {
        out.insert(out.end(), std::begin(kAccessUnitDelimiter), std::end(kAccessUnitDelimiter));
    }
    if (keyFrame && !hasSps)
        out.insert(out.end(), config.parameterSets.begin(), config.parameterSets.end());
    for (std::size_t i = first; i < nals.size(); ++i) {
        out.insert(out.end(), kStartCode, kStartCode + 4);
        out.insert(out.end(), nals[i].bytes.begin(), nals[i].bytes.end());
    }
    return whole;
}

} // namespace bluvat
