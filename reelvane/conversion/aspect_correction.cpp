#include "reelvane/conversion/aspect_correction.h"

namespace reelvane {
namespace {

struct Frame {
    int32_t width;
    int32_t height;
};

constexpr Frame kCalcAspectFrameSizes[kCalcAspectRows] = {
    {720, 480}, {720, 576}, {480, 480}, {480, 576}, {352, 240}, {352, 288}, {720, 480}, {720, 576},
};

bool NearFourThirds(float aspect)
{
    return aspect > 1.2833333f && aspect < 1.3833333f;
}

bool NearSixteenNinths(float aspect)
{
    return aspect > 1.7277778f && aspect < 1.8277778f;
}

// The SVCD and VCD frames (rows 2 to 5) carry no 16:9 flag.
bool FourThirdsOnly(int choice)
{
    return choice >= 2 && choice <= 5;
}

int32_t HalfPad(int32_t total)
{
    int32_t half = total / 2;
    return half % 2 ? half + 1 : half;
}

} // namespace

std::optional<DisplayAspectChoice> ChooseDisplayAspect(int choice, int32_t width, int32_t height)
{
    if (width <= 0 || height <= 0)
        return std::nullopt;
    if (FourThirdsOnly(choice))
        return DisplayAspectChoice{1, false};
    float ratio = static_cast<float>(width) / static_cast<float>(height);
    if (NearFourThirds(ratio))
        return DisplayAspectChoice{1, true};
    if (NearSixteenNinths(ratio))
        return DisplayAspectChoice{2, true};
    constexpr float kFourThirds = 4.0f / 3.0f, kSixteenNinths = 16.0f / 9.0f;
    if (ratio <= kFourThirds)
        return DisplayAspectChoice{1, false};
    if (ratio >= kSixteenNinths)
        return DisplayAspectChoice{2, false};
    return DisplayAspectChoice{ratio - kFourThirds <= kSixteenNinths - ratio ? 1 : 2, false};
}

void SetLetterboxPads(ProfileSettings& s, int32_t horizontal, int32_t vertical)
{
    s.bVideoEnablePad = 1;
    s.nVideoPadColor = 0;
    if (horizontal >= 0)
        s.nVideoPadLeft = s.nVideoPadRight = HalfPad(horizontal);
    if (vertical >= 0)
        s.nVideoPadTop = s.nVideoPadBottom = HalfPad(vertical);
}

void CorrectAspect(int choice, ProfileSettings& s)
{
    if (choice < 0 || choice >= kCalcAspectRows)
        return;
    const Frame frame = kCalcAspectFrameSizes[choice];
    float aspect = s.fSourceAspect;
    if (NearFourThirds(aspect)) {
        s.nAspect = 1;
        return;
    }
    if (!FourThirdsOnly(choice) && NearSixteenNinths(aspect)) {
        s.nAspect = 2;
        return;
    }
    if (aspect > -0.05f && aspect < 0.05f && s.nSourceHeight > 0) {
        aspect = static_cast<float>(s.nSourceWidth) / static_cast<float>(s.nSourceHeight);
        s.fSourceAspect = aspect;
    }
    auto chosen = ChooseDisplayAspect(choice, s.nSourceWidth, s.nSourceHeight);
    if (!chosen)
        return;
    s.nAspect = chosen->code;
    if (chosen->fits)
        return;
    const float target = chosen->code == 1 ? 4.0f / 3.0f : 16.0f / 9.0f;
    int32_t horizontal = static_cast<int32_t>(frame.width - static_cast<int32_t>(frame.width / target) * aspect);
    if (horizontal > 0) {
        SetLetterboxPads(s, horizontal, 0);
        return;
    }
    int32_t vertical = static_cast<int32_t>(frame.height - static_cast<int32_t>(frame.height * target) / aspect);
    if (vertical > 0)
        SetLetterboxPads(s, 0, vertical);
}

} // namespace reelvane
