#include "bluvat/readers/audio_frames.h"

namespace bluvat {

namespace {
// 16-bit words per frame by frame-size code / 2 and sample-rate code (48, 44.1, 32 kHz), ATSC A/52.
constexpr uint16_t kAc3Words[19][3] = {{64, 69, 96},       {80, 87, 120},      {96, 104, 144},    {112, 121, 168},
                                       {128, 139, 192},    {160, 174, 240},    {192, 208, 288},   {224, 243, 336},
                                       {256, 278, 384},    {320, 348, 480},    {384, 417, 576},   {448, 487, 672},
                                       {512, 557, 768},    {640, 696, 960},    {768, 835, 1152},  {896, 975, 1344},
                                       {1024, 1114, 1536}, {1152, 1253, 1728}, {1280, 1393, 1920}};
constexpr uint32_t kSampleRates[3] = {48000, 44100, 32000};
} // namespace

std::size_t Ac3FrameSize(const uint8_t* p)
{
    if (!IsAc3Sync(p))
        return 0;
    int bsid = Ac3BitstreamId(p);
    if (bsid > 10) // E-AC-3 carries its own size
        return bsid <= 16 ? ((std::size_t(p[2] & 0x07) << 8 | p[3]) + 1) * 2 : 0;
    int fscod = p[4] >> 6;
    int frmsizecod = p[4] & 0x3F;
    if (fscod == 3 || frmsizecod > 37)
        return 0;
    std::size_t words = kAc3Words[frmsizecod / 2][fscod];
    if (fscod == 1 && (frmsizecod & 1))
        ++words;
    return words * 2;
}

uint32_t Ac3FrameTicks(const uint8_t* p)
{
    int bsid = Ac3BitstreamId(p);
    int fscod = p[4] >> 6;
    uint32_t blocks = 6;
    uint32_t rate = 0;
    if (bsid > 10) {
        static constexpr uint32_t kBlocks[4] = {1, 2, 3, 6};
        if (fscod == 3) {
            int fscod2 = (p[4] >> 4) & 3;
            rate = fscod2 < 3 ? kSampleRates[fscod2] / 2 : 0;
        } else {
            rate = kSampleRates[fscod];
            blocks = kBlocks[(p[4] >> 4) & 3];
        }
    } else if (fscod < 3) {
        rate = kSampleRates[fscod];
    }
    return rate ? uint32_t(uint64_t(blocks) * 256 * 90000 / rate) : 0;
}

uint32_t DtsFrameTicks(const uint8_t* p)
{
    static constexpr uint32_t kRates[16] = {0,     8000, 16000, 32000, 0,     0,     11025, 22050,
                                            44100, 0,    0,     12000, 24000, 48000, 0,     0};
    uint32_t blocks = ((uint32_t(p[4] & 0x01) << 6) | (p[5] >> 2)) + 1;
    uint32_t rate = kRates[(p[8] >> 2) & 0x0F];
    return rate ? uint32_t(uint64_t(blocks) * 32 * 90000 / rate) : 0;
}

} // namespace bluvat
