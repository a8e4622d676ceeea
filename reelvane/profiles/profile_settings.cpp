#include "reelvane/profiles/profile_settings.h"

#include <cmath>

namespace reelvane {
namespace {

int32_t RoundUp16(int32_t v)
{
    return (v + 15) / 16 * 16;
}

} // namespace

FrameSize OutputFrameSize(const ProfileSettings& s)
{
    switch (s.nVideoRiszeOption) {
    case 1: return {128, 96};
    case 2: return {176, 144};
    case 3: return {352, 288};
    case 4: return {704, 576};
    case 5: return {320, 240};
    case 6: return {640, 480};
    case 7: return {720, 480};
    case 8: return {720, 576};
    case 9: return {RoundUp16(s.nVideoCustomSizeX), s.nVideoCustomSizeY};
    case 10: return {1280, 768};
    case 11: return {1920, 1080};
    default: return {RoundUp16(s.nSourceWidth), s.nSourceHeight};
    }
}

void DeriveDefaultBitRate(ProfileSettings& s)
{
    s.nVideoDefaultBitRate =
        DefaultBitRateFor(s.nVideoBitRateLevel, s.nVideoBitRateLevel2, s.nVideoBitRateLevel3, OutputFrameSize(s));
}

int32_t DefaultBitRateFor(float level1, float level2, float level3, FrameSize frame)
{
    int64_t raw = 0;
    if (level1 >= 0 && frame.width > 0 && frame.height > 0) {
        double l1 = level1, l2 = level2, l3 = level3;
        double pixels = static_cast<double>(static_cast<int64_t>(frame.width) * frame.height);
        double value = (l1 * pixels + l2 * l2 * 1024 + l3 * 1024) * 0.9765625;
        // Out-of-range levels would make the conversion undefined; clamp to the 64-bit range.
        // A level read as "nan" gives no rate at all.
        if (std::isnan(value))
            value = 0;
        else if (value >= 9.2e18)
            value = 9.2e18;
        else if (value <= -9.2e18)
            value = -9.2e18;
        raw = static_cast<int64_t>(value);
    }
    auto low = static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(raw)));
    return low / 1000;
}

} // namespace reelvane
