#pragma once
// The settings record of one output profile: a plain fixed-layout value, copied whole.
// Text fields are NUL-terminated and always cut to their width less one.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace reelvane {

struct ProfileSettings {
    char iniPath[256];
    char profileName[256];
    char FormatName[128];
    char FormatHint[128];
    char TargetType[20];
    char BeforePara[1024];
    char Para[1024];
    int32_t bCanBurn;
    char BurnType[12];
    int32_t bDisableAudio;
    int32_t bAudioCustomSampleRate;
    int32_t nAudioCustomSampleRate;
    int32_t bAudioCustomBitRate;
    float nAudioCustomBitRate;
    int32_t nAudioChannel;
    int32_t bAudioCustomVolume;
    int32_t nAudioVolume;
    char cAudioCodec[20];
    int32_t bDisableVideo;
    int32_t bVideoHighQuality;
    int32_t bVideoCustomFrameRate;
    float nVideoCustomFrameRate;
    int32_t bVideoCustomBitRate;
    int32_t nVideoCustomBitRate;
    float nVideoBitRateLevel;
    float nVideoBitRateLevel2;
    float nVideoBitRateLevel3;
    int32_t nVideoDefaultBitRate;
    int32_t nSourceHeight;
    int32_t nSourceWidth;
    float fSourceAspect;
    char cVideoCodec[20];
    int32_t bVideoEnableCrop;
    int32_t nVideoCropLeft;
    int32_t nVideoCropRight;
    int32_t nVideoCropTop;
    int32_t nVideoCropBottom;
    int32_t bVideoEnablePad;
    int32_t nVideoPadLeft;
    int32_t nVideoPadRight;
    int32_t nVideoPadTop;
    int32_t nVideoPadBottom;
    int32_t nVideoPadColor;
    int32_t nVideoRiszeOption;
    int32_t nVideoCustomSizeX;
    int32_t nVideoCustomSizeY;
    int32_t nAspect;
    char PostProcess[1024];
};

// The record is copied whole and kept in this layout; no padding may creep in.
static_assert(offsetof(ProfileSettings, bCanBurn) == 2836);
static_assert(offsetof(ProfileSettings, cAudioCodec) == 2884);
static_assert(offsetof(ProfileSettings, cVideoCodec) == 2956);
static_assert(offsetof(ProfileSettings, PostProcess) == 3036);
static_assert(sizeof(ProfileSettings) == 4060);

// Copies text into a fixed field, cut to its width less one; the rest of the field is zeroed so
// that equal records compare equal byte for byte.
template <std::size_t N>
void SetText(char (&field)[N], std::string_view text)
{
    std::size_t n = text.size() < N - 1 ? text.size() : N - 1;
    std::memcpy(field, text.data(), n);
    std::memset(field + n, 0, N - n);
}

// Copies text into a field of `width` bytes at `field`, cut to width less one.
inline void SetText(char* field, std::size_t width, std::string_view text)
{
    if (width == 0)
        return;
    std::size_t n = text.size() < width - 1 ? text.size() : width - 1;
    std::memcpy(field, text.data(), n);
    std::memset(field + n, 0, width - n);
}

// An all-empty, all-zero record.
inline ProfileSettings EmptyProfileSettings()
{
    ProfileSettings s;
    std::memset(&s, 0, sizeof s);
    return s;
}

struct FrameSize {
    int32_t width;
    int32_t height;
};

// The output frame of a record for estimates and the default bit rate.
FrameSize OutputFrameSize(const ProfileSettings& settings);

// Sets nVideoDefaultBitRate from the output frame and the three bit-rate levels.
void DeriveDefaultBitRate(ProfileSettings& settings);

// The default video bit rate of a frame with the three bit-rate levels.
int32_t DefaultBitRateFor(float level1, float level2, float level3, FrameSize frame);

} // namespace reelvane
