#include "bluvat/readers/codec_headers.h"

#include "bluvat/readers/audio_frames.h"
#include "bluvat/stream_types.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace bluvat {

namespace {

constexpr std::size_t npos = static_cast<std::size_t>(-1);

// Exp-Golomb bit reader over an RBSP (emulation-prevention bytes already removed); reads past
// the end yield zeros.
class BitReader {
public:
    BitReader(const uint8_t* p, std::size_t n) : p_(p), n_(n) {}
    uint32_t Bit()
    {
        if (pos_ >= n_ * 8)
            return 0;
        uint32_t b = (p_[pos_ / 8] >> (7 - pos_ % 8)) & 1;
        ++pos_;
        return b;
    }
    uint32_t Bits(int n)
    {
        uint32_t v = 0;
        while (n--)
            v = (v << 1) | Bit();
        return v;
    }
    uint32_t Ue()
    {
        int zeros = 0;
        while (Bit() == 0 && zeros < 32)
            ++zeros;
        return zeros >= 32 ? 0 : ((1u << zeros) - 1) + Bits(zeros);
    }
    int32_t Se()
    {
        uint32_t v = Ue();
        return (v & 1) ? int32_t((v + 1) / 2) : -int32_t(v / 2);
    }

private:
    const uint8_t* p_;
    std::size_t n_;
    std::size_t pos_ = 0;
};

std::vector<uint8_t> Unescape(const uint8_t* p, std::size_t n)
{
    std::vector<uint8_t> out;
    out.reserve(n);
    int zeros = 0;
    for (std::size_t i = 0; i < n; ++i) {
        if (zeros >= 2 && p[i] == 0x03) {
            zeros = 0;
            continue;
        }
        zeros = p[i] == 0 ? zeros + 1 : 0;
        out.push_back(p[i]);
    }
    return out;
}

void SetIfKnown(uint8_t& field, uint8_t value)
{
    if (value != 0)
        field = value;
}

void HdmvVideoDescriptor(ProgramEntry& e)
{
    const StreamAttributes& a = e.attributes;
    e.descriptors = {0x05,
                     0x08,
                     'H',
                     'D',
                     'M',
                     'V',
                     0xFF,
                     e.streamType,
                     uint8_t(a.format * 16 + a.rate),
                     uint8_t(a.aspect * 16 + 0x0F)};
}

void ReadMpeg2Video(ProgramEntry& e, const uint8_t* p, std::size_t n)
{
    std::size_t at = FindStartCode(p, n, 0xFF, 0xB3);
    if (at == npos || n - at < 12)
        return;
    const uint8_t* h = p + at + 4;
    unsigned height = ((h[1] & 0x0F) << 8) | h[2];
    unsigned aspectCode = h[3] >> 4;
    unsigned rateCode = h[3] & 0x0F;
    bool progressive = false;
    for (std::size_t x = at + 4; x + 6 <= n; ++x) {
        std::size_t ext = FindStartCode(p + x, n - x, 0xFF, 0xB5);
        if (ext == npos || n - x - ext < 6)
            break;
        if ((p[x + ext + 4] >> 4) == 1) {
            progressive = p[x + ext + 5] & 0x08;
            break;
        }
        x += ext;
    }
    uint8_t format = 0;
    if (height == 1080 || height == 1088)
        format = progressive ? 6 : 4;
    else if (height == 576)
        format = progressive ? 7 : 2;
    else if (height == 720)
        format = 5;
    else if (height == 480)
        format = progressive ? 3 : 1;
    uint8_t rate = (rateCode >= 1 && rateCode <= 7 && rateCode != 5) ? uint8_t(rateCode) : 0;
    uint8_t aspect = 0;
    if (aspectCode == 2 || aspectCode == 3)
        aspect = uint8_t(aspectCode);
    else if (aspectCode == 1)
        aspect = (height == 1080 || height == 1088 || height == 720) ? 3 : 2;
    SetIfKnown(e.attributes.format, format);
    SetIfKnown(e.attributes.rate, rate);
    SetIfKnown(e.attributes.aspect, aspect);
    if (e.descriptors.empty())
        HdmvVideoDescriptor(e);
}

void SkipScalingList(BitReader& r, int size)
{
    int last = 8, next = 8;
    for (int j = 0; j < size; ++j) {
        if (next != 0)
            next = (last + r.Se() + 256) % 256;
        last = next == 0 ? last : next;
    }
}

// The frame-rate code of a rate given as numerator / denominator frames per second, or 0.
uint8_t FrameRateCode(uint64_t numerator, uint64_t denominator)
{
    static constexpr struct {
        uint64_t n, d;
        uint8_t code;
    } kRates[] = {{24000, 1001, 1}, {24, 1, 2}, {25, 1, 3}, {30000, 1001, 4}, {50, 1, 6}, {60000, 1001, 7}};
    for (const auto& r : kRates)
        if (denominator != 0 && numerator * r.d == r.n * denominator)
            return r.code;
    return 0;
}

// The video format of a picture height and scan, or 0 for a height a disc has no format for.
uint8_t VideoFormatCode(uint32_t height, bool interlaced)
{
    switch (height) {
    case 1080:
    case 1088: return interlaced ? 4 : 6;
    case 720: return interlaced ? 0 : 5;
    case 576: return interlaced ? 2 : 7;
    case 480: return interlaced ? 1 : 3;
    }
    return 0;
}

void ReadAvcVideo(ProgramEntry& e, const uint8_t* p, std::size_t n)
{
    std::size_t at = FindStartCode(p, n, 0x9F, 0x07);
    if (at == npos || n - at < 8)
        return;
    std::vector<uint8_t> sps = Unescape(p + at + 4, std::min<std::size_t>(n - at - 4, 256));
    BitReader r(sps.data(), sps.size());
    uint32_t profile = r.Bits(8);
    r.Bits(16); // constraint flags, level
    r.Ue();     // seq_parameter_set_id
    static constexpr uint32_t kHighProfiles[] = {100, 110, 122, 244, 44, 83, 86, 118, 128, 138, 139, 134, 135, 144};
    uint32_t chroma = 1;
    if (std::find(std::begin(kHighProfiles), std::end(kHighProfiles), profile) != std::end(kHighProfiles)) {
        chroma = r.Ue();
        if (chroma == 3)
            r.Bit();
        r.Ue();
        r.Ue();
        r.Bit();
        if (r.Bit())
            for (int i = 0; i < (chroma == 3 ? 12 : 8); ++i)
                if (r.Bit())
                    SkipScalingList(r, i < 6 ? 16 : 64);
    }
    r.Ue(); // log2_max_frame_num
    uint32_t pocType = r.Ue();
    if (pocType == 0) {
        r.Ue();
    } else if (pocType == 1) {
        r.Bit();
        r.Se();
        r.Se();
        uint32_t cycle = r.Ue();
        for (uint32_t i = 0; i < cycle && i < 256; ++i)
            r.Se();
    }
    r.Ue();  // max_num_ref_frames
    r.Bit(); // gaps_in_frame_num_allowed
    r.Ue();  // pic_width_in_mbs_minus1
    uint32_t mapUnits = r.Ue() + 1;
    uint32_t height = mapUnits * 16;
    uint8_t format = 0;
    switch (height) {
    case 240: format = 1; break;
    case 288: format = 2; break;
    case 480: format = 3; break;
    case 544: format = 4; break;
    case 720: format = 5; break;
    case 1088: format = 6; break;
    case 576: format = 7; break;
    }
    uint8_t rate = 4;
    if (format == 5)
        rate = 7;
    else if (format == 6 || format == 3)
        rate = 1;
    else if (format == 7 || format == 2)
        rate = 3;

    // What the stream says of itself overrides the guesses from its height: its scan from
    // frame_mbs_only, its rate from the timing information of the VUI.
    bool frameMbsOnly = r.Bit();
    if (!frameMbsOnly)
        r.Bit(); // mb_adaptive_frame_field
    r.Bit();     // direct_8x8_inference
    uint32_t cropTop = 0, cropBottom = 0;
    if (r.Bit()) {
        r.Ue();
        r.Ue();
        cropTop = r.Ue();
        cropBottom = r.Ue();
    }
    uint64_t cropped = (uint64_t(cropTop) + cropBottom) * (chroma == 1 ? 2 : 1) * (frameMbsOnly ? 1 : 2);
    uint64_t lines = uint64_t(mapUnits) * 16 * (frameMbsOnly ? 1 : 2);
    if (cropped < lines)
        SetIfKnown(format, VideoFormatCode(uint32_t(lines - cropped), !frameMbsOnly));
    if (r.Bit()) { // VUI
        if (r.Bit() && r.Bits(8) == 255)
            r.Bits(32); // extended sample aspect ratio
        if (r.Bit())
            r.Bit(); // overscan_appropriate
        if (r.Bit()) {
            r.Bits(4);
            if (r.Bit())
                r.Bits(24); // colour description
        }
        if (r.Bit()) {
            r.Ue();
            r.Ue();
        }
        if (r.Bit()) {
            uint32_t unitsInTick = r.Bits(32);
            uint32_t timeScale = r.Bits(32);
            // One tick is one field: frames per second are time_scale / (2 x units).
            SetIfKnown(rate, FrameRateCode(timeScale, uint64_t(unitsInTick) * 2));
        }
    }
    SetIfKnown(e.attributes.format, format);
    SetIfKnown(e.attributes.rate, rate);
    SetIfKnown(e.attributes.aspect, (format == 1 || format == 2) ? 2 : 3);
    if (e.descriptors.empty())
        HdmvVideoDescriptor(e);
}

void ReadVc1Video(ProgramEntry& e, const uint8_t* p, std::size_t n)
{
    std::size_t at = FindStartCode(p, n, 0xFF, 0x0F);
    if (at == npos)
        return;
    BitReader r(p + at + 4, n - at - 4);
    if (r.Bits(2) != 3) // advanced profile only
        return;
    r.Bits(3 + 2 + 3 + 5 + 1);
    uint32_t width = (r.Bits(12) + 1) * 2;
    uint32_t height = (r.Bits(12) + 1) * 2;
    r.Bit();
    bool interlaced = r.Bit();
    r.Bits(4);
    uint8_t aspect = 0, rate = 0;
    if (r.Bit()) { // display extension
        r.Bits(28);
        if (r.Bit()) {
            uint32_t code = r.Bits(4);
            if (code == 15)
                r.Bits(16);
            if (code == 1)
                aspect = (width == 1920 && height == 1080) || (width == 1280 && height == 720) ? 3
                         : (width == 640 && height == 480)                                     ? 2
                                                                                               : 0;
            else if ((code >= 2 && code <= 5) || code == 10 || code == 11)
                aspect = 2;
            else if ((code >= 6 && code <= 9) || code == 12 || code == 13)
                aspect = 3;
        }
        if (r.Bit() && r.Bit() == 0) {
            uint32_t nr = r.Bits(8), dr = r.Bits(4);
            if (nr == 1 && dr == 2)
                rate = 1;
            else if (nr == 1 && dr == 1)
                rate = 2;
            else if (nr == 2 && dr == 1)
                rate = 3;
            else if (nr == 3 && dr == 2)
                rate = 4;
            else if (nr == 4 && dr == 1)
                rate = 6;
            else if (nr == 5 && dr == 2)
                rate = 7;
        }
    }
    uint8_t format = 0;
    if (height == 480)
        format = interlaced ? 1 : 3;
    else if (height == 576)
        format = interlaced ? 2 : 7;
    else if (height == 720 && !interlaced)
        format = 5;
    else if (height == 1080)
        format = interlaced ? 4 : 6;
    SetIfKnown(e.attributes.format, format);
    SetIfKnown(e.attributes.rate, rate);
    SetIfKnown(e.attributes.aspect, aspect);
    if (e.descriptors.empty())
        e.descriptors = {0x05, 0x05, 'V', 'C', '-', '1', 0xFF};
}

uint8_t PresentationType(unsigned acmod)
{
    return acmod == 1 ? 1 : acmod >= 3 ? 6 : 3;
}

void ReadAc3Audio(ProgramEntry& e, const uint8_t* p, std::size_t n)
{
    std::size_t at = 0;
    while (at + 7 <= n && !IsAc3Sync(p + at))
        ++at;
    if (at + 7 > n)
        return;
    const uint8_t* f = p + at;
    int bsid = Ac3BitstreamId(f);
    if (bsid != 6 && bsid != 8 && bsid != 16)
        return;
    unsigned acmod = bsid == 16 ? (f[4] >> 1) & 7 : f[6] >> 5;
    unsigned fscod = f[4] >> 6;
    e.attributes.format = PresentationType(acmod);
    SetIfKnown(e.attributes.rate, fscod == 0 ? 1 : 0);
    if (bsid == 16 && e.streamType == kAc3Audio)
        e.streamType = kEac3Audio;
    if (e.descriptors.empty()) {
        unsigned serviceMode = bsid == 16 ? 0 : f[5] & 7;
        e.descriptors = {0x05,
                         0x04,
                         'A',
                         'C',
                         '-',
                         '3',
                         0x81,
                         0x03,
                         uint8_t(fscod * 32 + bsid),
                         0xC8,
                         uint8_t(((serviceMode * 16) + acmod) * 2 + 1)};
    }
}

void ReadDtsAudio(ProgramEntry& e, const uint8_t* p, std::size_t n)
{
    std::size_t at = 0;
    while (at + 10 <= n && !IsDtsSync(p + at))
        ++at;
    if (at + 10 > n)
        return;
    const uint8_t* f = p + at;
    unsigned amode = ((f[7] & 0x0F) << 2) | (f[8] >> 6);
    unsigned sfreq = (f[8] >> 2) & 0x0F;
    e.attributes.format = amode == 0 ? 1 : amode <= 4 ? 3 : 6;
    SetIfKnown(e.attributes.rate, sfreq == 13 ? 1 : 0);
    if (e.descriptors.empty()) {
        std::size_t size = DtsFrameSize(f);
        e.descriptors = {0x05, 0x04, 'D', 'T', 'S', uint8_t(size < 1024 ? '1' : size < 2048 ? '2' : '3')};
    }
}

void ReadTrueHdAudio(ProgramEntry& e, const uint8_t* p, std::size_t n)
{
    std::size_t at = 0;
    while (at + 5 <= n && !IsTrueHdSync(p + at))
        ++at;
    if (at + 5 > n)
        return;
    unsigned code = p[at + 4] >> 4;
    e.attributes.format = 6;
    SetIfKnown(e.attributes.rate, code == 0 ? 1 : code == 1 ? 4 : code == 2 ? 5 : 0);
    if (e.descriptors.empty())
        e.descriptors = {0x05, 0x04, 'A', 'C', '-', '3', 0x81, 0x03, uint8_t(code * 32 + 8), 0xC8, 0x0F};
}

// Blu-ray LPCM: each PES payload starts with a 4-byte header, its third byte holding the channel
// assignment and the sampling-frequency code (1 48 kHz, 4 96 kHz, 5 192 kHz, as the clip's codes).
void ReadLpcmAudio(ProgramEntry& e, const uint8_t* p, std::size_t n)
{
    if (n < 4)
        return;
    unsigned channels = p[2] >> 4, frequency = p[2] & 0x0F;
    uint8_t presentation = channels == 1 ? 1 : channels == 3 ? 3 : (channels >= 4 && channels <= 11) ? 6 : 0;
    SetIfKnown(e.attributes.format, presentation);
    SetIfKnown(e.attributes.rate, (frequency == 1 || frequency == 4 || frequency == 5) ? uint8_t(frequency) : 0);
}

} // namespace

std::size_t FindStartCode(const uint8_t* p, std::size_t n, uint8_t mask, uint8_t value)
{
    std::size_t found = npos;
    ForEachStartCode(p, n, [&](std::size_t at, uint8_t code) {
        if ((code & mask) != value)
            return false;
        found = at;
        return true;
    });
    return found;
}

bool EntryComplete(const ProgramEntry& e)
{
    const StreamAttributes& a = e.attributes;
    if (e.descriptors.empty())
        return false;
    if (IsVideoType(e.streamType))
        return a.format && a.rate && a.aspect;
    if (IsAudioType(e.streamType))
        return a.format && a.rate;
    return true;
}

void ReadCodecHeader(ProgramEntry& e, const uint8_t* p, std::size_t n)
{
    switch (e.streamType) {
    case kMpeg2Video: ReadMpeg2Video(e, p, n); break;
    case kAvcVideo: ReadAvcVideo(e, p, n); break;
    case kVc1Video: ReadVc1Video(e, p, n); break;
    case kLpcmAudio: ReadLpcmAudio(e, p, n); break;
    case kAc3Audio:
    case kEac3Audio: ReadAc3Audio(e, p, n); break;
    case kDtsAudio:
    case kDtsHdAudio:
    case kDtsHdMasterAudio: ReadDtsAudio(e, p, n); break;
    case kTrueHdAudio: ReadTrueHdAudio(e, p, n); break;
    }
}

void ScanAttributes(SourceReader& reader, std::vector<ProgramEntry>& entries)
{
    reader.Seek(kNoClock);
    std::vector<PesPacket> group;
    int k = 0;
    bool more = true;
    auto complete = [&] { return std::all_of(entries.begin(), entries.end(), EntryComplete); };
    while (more && k < 300 && !complete()) { // each packet read past the last header is a pass for nothing
        group.clear();
        more = reader.NextGroup(group);
        for (const PesPacket& pes : group) {
            if (k >= 300)
                break;
            reader.ReportOpenProgress(50 + k * 50 / 300);
            ++k;
            for (ProgramEntry& e : entries) {
                if (e.pid != pes.pid || EntryComplete(e))
                    continue;
                std::size_t h = PesHeaderLength(pes.bytes.data(), pes.bytes.size());
                if (h)
                    ReadCodecHeader(e, pes.bytes.data() + h, pes.bytes.size() - h);
            }
        }
    }
    reader.Seek(kNoClock);
}

} // namespace bluvat
