#include "adapters/vexen/h264_parameters.h"

#include <optional>
#include <vector>

namespace vexen {
namespace {

constexpr uint8_t kSpsType = 7;

// Exp-Golomb bit reader over a NAL unit's payload with the emulation prevention bytes removed.
class BitReader {
public:
    explicit BitReader(std::vector<uint8_t> bytes) : bytes_(std::move(bytes)) {}

    std::optional<uint32_t> Bits(int count)
    {
        uint32_t value = 0;
        for (int i = 0; i < count; ++i) {
            if (position_ >= bytes_.size() * 8)
                return std::nullopt;
            value = value << 1 | ((bytes_[position_ / 8] >> (7 - position_ % 8)) & 1);
            ++position_;
        }
        return value;
    }

    std::optional<uint32_t> Unsigned()
    {
        int zeros = 0;
        for (;;) {
            std::optional<uint32_t> bit = Bits(1);
            if (!bit)
                return std::nullopt;
            if (*bit)
                break;
            if (++zeros > 31)
                return std::nullopt;
        }
        std::optional<uint32_t> rest = Bits(zeros);
        if (!rest)
            return std::nullopt;
        return ((uint64_t{1} << zeros) - 1 + *rest) & 0xFFFFFFFFu;
    }

    std::optional<int32_t> Signed()
    {
        std::optional<uint32_t> code = Unsigned();
        if (!code)
            return std::nullopt;
        int64_t magnitude = (int64_t{*code} + 1) / 2;
        return static_cast<int32_t>(*code % 2 ? magnitude : -magnitude);
    }

private:
    std::vector<uint8_t> bytes_;
    std::size_t position_ = 0;
};

std::vector<uint8_t> Unescape(const uint8_t* data, std::size_t size)
{
    std::vector<uint8_t> out;
    out.reserve(size);
    int zeros = 0;
    for (std::size_t i = 0; i < size; ++i) {
        if (zeros >= 2 && data[i] == 3) {
            zeros = 0;
            continue;
        }
        zeros = data[i] == 0 ? zeros + 1 : 0;
        out.push_back(data[i]);
    }
    return out;
}

bool SkipScalingList(BitReader& bits, int size)
{
    int32_t last = 8, next = 8;
    for (int j = 0; j < size; ++j) {
        if (next != 0) {
            std::optional<int32_t> delta = bits.Signed();
            if (!delta)
                return false;
            next = (last + *delta + 256) % 256;
        }
        last = next == 0 ? last : next;
    }
    return true;
}

// `nal` starts at the NAL header byte.
int32_t ReadSps(const uint8_t* nal, std::size_t size)
{
    if (size < 4 || (nal[0] & 0x1F) != kSpsType)
        return 0;
    BitReader bits(Unescape(nal + 1, size - 1));
    std::optional<uint32_t> profile = bits.Bits(8);
    if (!profile || !bits.Bits(16) || !bits.Unsigned())
        return 0;
    switch (*profile) {
    case 100:
    case 110:
    case 122:
    case 244:
    case 44:
    case 83:
    case 86:
    case 118:
    case 128:
    case 138:
    case 139:
    case 134:
    case 135: {
        std::optional<uint32_t> chroma = bits.Unsigned();
        if (!chroma || (*chroma == 3 && !bits.Bits(1)))
            return 0;
        if (!bits.Unsigned() || !bits.Unsigned() || !bits.Bits(1))
            return 0;
        std::optional<uint32_t> matrices = bits.Bits(1);
        if (!matrices)
            return 0;
        if (*matrices) {
            for (int i = 0; i < (*chroma == 3 ? 12 : 8); ++i) {
                std::optional<uint32_t> present = bits.Bits(1);
                if (!present || (*present && !SkipScalingList(bits, i < 6 ? 16 : 64)))
                    return 0;
            }
        }
        break;
    }
    default: break;
    }
    if (!bits.Unsigned())
        return 0;
    std::optional<uint32_t> orderType = bits.Unsigned();
    if (!orderType)
        return 0;
    if (*orderType == 0) {
        if (!bits.Unsigned())
            return 0;
    } else if (*orderType == 1) {
        if (!bits.Bits(1) || !bits.Signed() || !bits.Signed())
            return 0;
        std::optional<uint32_t> cycle = bits.Unsigned();
        if (!cycle || *cycle > 255)
            return 0;
        for (uint32_t i = 0; i < *cycle; ++i)
            if (!bits.Signed())
                return 0;
    }
    std::optional<uint32_t> references = bits.Unsigned();
    return references && *references <= 16 ? static_cast<int32_t>(*references) : 0;
}

int32_t FromAvcc(const uint8_t* data, std::size_t size)
{
    if (size < 8)
        return 0;
    std::size_t count = data[5] & 0x1F;
    std::size_t at = 6;
    for (std::size_t i = 0; i < count && at + 2 <= size; ++i) {
        std::size_t length = std::size_t{data[at]} << 8 | data[at + 1];
        at += 2;
        if (at + length > size)
            return 0;
        if (int32_t references = ReadSps(data + at, length))
            return references;
        at += length;
    }
    return 0;
}

int32_t FromAnnexB(const uint8_t* data, std::size_t size)
{
    std::size_t i = 0;
    while (i + 3 <= size) {
        if (data[i] == 0 && data[i + 1] == 0 && data[i + 2] == 1) {
            std::size_t start = i + 3;
            std::size_t end = start;
            while (end + 3 <= size &&
                   !(data[end] == 0 && data[end + 1] == 0 && (data[end + 2] == 1 || data[end + 2] == 0)))
                ++end;
            if (end + 3 > size)
                end = size;
            if (start < end)
                if (int32_t references = ReadSps(data + start, end - start))
                    return references;
            i = end;
        } else {
            ++i;
        }
    }
    return 0;
}

} // namespace

int32_t H264ReferenceFrames(const uint8_t* data, std::size_t size)
{
    if (!data || size == 0)
        return 0;
    return data[0] == 1 ? FromAvcc(data, size) : FromAnnexB(data, size);
}

} // namespace vexen
