#include "bluvat/readers/dvd_lpcm.h"

#include "platform/byte_writer.h"

namespace bluvat {
namespace {

constexpr std::size_t kDvdHeader = 7;
constexpr unsigned kChannels = 2;

} // namespace

bool DvdLpcmRepacker::Push(std::span<const uint8_t> payload, std::optional<uint64_t> pts, std::vector<Frame>& frames)
{
    if (payload.size() < kDvdHeader)
        return true;
    uint8_t format = payload[5];
    unsigned quantization = format >> 6, frequency = (format >> 4) & 3, channels = (format & 7) + 1u;
    if (channels != kChannels || (quantization != 0 && quantization != 2) || frequency > 1)
        return false;
    bits_ = quantization == 0 ? 16 : 24;
    rate_ = frequency == 0 ? 48000 : 96000;
    if (!nextPts_ && !pts)
        return true; // no time for these samples yet
    if (!nextPts_)
        nextPts_ = pts;

    // DVD 24-bit audio comes in groups of two sample frames: every sample's top 16 bits, then
    // every sample's low byte. Blu-ray wants each sample's three bytes together.
    const std::size_t groupBytes = bits_ == 16 ? 4 : 6 * kChannels;
    group_.insert(group_.end(), payload.begin() + kDvdHeader, payload.end());
    std::size_t whole = group_.size() - group_.size() % groupBytes;
    for (std::size_t g = 0; g < whole; g += groupBytes) {
        const uint8_t* in = &group_[g];
        if (bits_ == 16) {
            samples_.insert(samples_.end(), in, in + groupBytes);
            continue;
        }
        for (unsigned s = 0; s < 2 * kChannels; ++s) {
            samples_.push_back(in[2 * s]);
            samples_.push_back(in[2 * s + 1]);
            samples_.push_back(in[4 * kChannels + s]);
        }
    }
    group_.erase(group_.begin(), group_.begin() + static_cast<std::ptrdiff_t>(whole));

    const std::size_t samplesPerFrame = rate_ / 200; // 5 ms
    const std::size_t frameBytes = samplesPerFrame * kChannels * (bits_ / 8);
    std::size_t used = 0;
    while (samples_.size() - used >= frameBytes) {
        platform::BigEndianWriter w(4 + frameBytes);
        w.u16(static_cast<uint32_t>(frameBytes));
        w.u8((3 << 4) | (rate_ == 48000 ? 1 : 4)); // stereo; 48 or 96 kHz
        w.u8((bits_ == 16 ? 1 : 3) << 6);
        w.bytes(&samples_[used], frameBytes);
        frames.push_back({*nextPts_, w.take()});
        *nextPts_ += 450; // 5 ms at 90 kHz
        used += frameBytes;
    }
    samples_.erase(samples_.begin(), samples_.begin() + static_cast<std::ptrdiff_t>(used));
    return true;
}

} // namespace bluvat
