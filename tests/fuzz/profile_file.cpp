// Profile files from anywhere: the section list, every profile read, the remembered choice, and
// a profile saved and read again, which must come back as it was read.

#include "tests/fuzz/fuzz_target.h"

#include "reelvane/profiles/profile_folders.h"

#include <cfloat>
#include <cmath>
#include <cstdio>
#include <string_view>

namespace {

using reelvane::ProfileSettings;

bool Blank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

// Texts that one INI line holds as they are: no blank at either end, not in quotes.
bool HeldAsIs(std::string_view text)
{
    if (text.empty())
        return true;
    const bool quoted =
        text.size() >= 2 && (text.front() == '"' || text.front() == '\'') && text.back() == text.front();
    return !Blank(text.front()) && !Blank(text.back()) && !quoted;
}

bool SameReal(float a, float b)
{
    if (std::isnan(a) || std::isnan(b))
        return std::isnan(a) && std::isnan(b);
    if (std::isinf(a) || std::isinf(b))
        return a == b;
    // Reals are written with six decimals.
    return std::fabs(double(a) - double(b)) <= 5e-7 + 2 * std::fabs(double(a)) * FLT_EPSILON;
}

void ExpectSavedAsRead(const ProfileSettings& read, const ProfileSettings& again)
{
    const std::pair<std::string_view, std::string_view> texts[] = {{read.FormatName, again.FormatName},
                                                                   {read.FormatHint, again.FormatHint},
                                                                   {read.TargetType, again.TargetType},
                                                                   {read.BeforePara, again.BeforePara},
                                                                   {read.Para, again.Para},
                                                                   {read.PostProcess, again.PostProcess},
                                                                   {read.cAudioCodec, again.cAudioCodec},
                                                                   {read.cVideoCodec, again.cVideoCodec},
                                                                   {read.BurnType, again.BurnType}};
    for (const auto& [before, after] : texts)
        if (HeldAsIs(before) && before != after)
            fuzz::Broken("a saved text reads back differently");
    for (auto field : {&ProfileSettings::nAudioCustomBitRate, &ProfileSettings::nVideoCustomFrameRate,
                       &ProfileSettings::nVideoBitRateLevel, &ProfileSettings::nVideoBitRateLevel2,
                       &ProfileSettings::nVideoBitRateLevel3})
        if (!SameReal(read.*field, again.*field))
            fuzz::Broken("a saved real reads back differently");
    for (auto field :
         {&ProfileSettings::bDisableAudio, &ProfileSettings::nAudioCustomSampleRate, &ProfileSettings::nAudioVolume,
          &ProfileSettings::nVideoCustomBitRate, &ProfileSettings::nVideoCropLeft, &ProfileSettings::nVideoPadColor,
          &ProfileSettings::nVideoCustomSizeY, &ProfileSettings::nAspect, &ProfileSettings::bCanBurn})
        if (read.*field != again.*field)
            fuzz::Broken("a saved number reads back differently");
}

} // namespace

std::vector<fuzz::Bytes> fuzz::Seeds()
{
    std::vector<Bytes> seeds;
    for (const char* name : {"mp4.ini", "tvcdef.ini"}) {
        Bytes profile = ReadFile(std::string(REELVANE_SOURCE_FOLDER "/data/ini/") + name);
        if (!profile.empty())
            seeds.push_back(std::move(profile));
    }
    const std::string chosen = "[OUTPUT_DEFAULT]\noutputinifile=profile.ini\noutputprofile=Phone\noutputcalcaspect=1\n"
                               "[Phone]\nTargetType=\"mp4\"\nnVideoBitRateLevel=nan\nnAudioCustomBitRate=-1e39\n"
                               "nVideoCropLeft=99999999999\nPara= -y -f mp4 \n";
    seeds.emplace_back(chosen.begin(), chosen.end());
    return seeds;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const std::string folder = fuzz::Scratch(""), path = folder + "profile.ini", saved = folder + "saved.ini";
    fuzz::WriteFile(path, data, size);
    fuzz::WriteFile(folder + reelvane::kOutputDefaultFileName, data, size);

    ProfileSettings chosen{};
    reelvane::LoadChosenProfile({folder, folder, folder}, chosen);
    const std::vector<std::string> sections = reelvane::ProfileSectionNames(path);
    for (std::size_t i = 0; i < sections.size() && i < 3; ++i) {
        ProfileSettings read{}, again{};
        reelvane::ReadProfile(sections[i], read, path);
        std::remove(saved.c_str());
        if (reelvane::SaveProfileAsNew(sections[i], read, saved) != 1)
            fuzz::Broken("a profile could not be saved to a new file");
        reelvane::ReadProfile(sections[i], again, saved);
        ExpectSavedAsRead(read, again);
    }
    return 0;
}
