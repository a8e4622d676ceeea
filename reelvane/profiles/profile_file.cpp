#include "reelvane/profiles/profile_file.h"

#include "platform/dir_listing.h"
#include "platform/ini_file.h"
#include "platform/program_folder.h"

#include <charconv>
#include <cstring>
#include <strings.h>

namespace reelvane {
namespace {

using platform::ini::ReadInt;

std::string ReadText(const std::string& path, const std::string& section, const char* key, std::size_t capacity)
{
    std::string value = platform::ini::ReadString(path, section, key, "");
    if (value.size() > capacity - 1)
        value.resize(capacity - 1);
    return value;
}

template <std::size_t N>
void ReadField(char (&field)[N], const std::string& path, const std::string& section, const char* key)
{
    SetText(field, ReadText(path, section, key, N));
}

float ReadRealKey(const std::string& path, const std::string& section, const char* key)
{
    return ParseReal(ReadText(path, section, key, 60));
}

void WriteText(const std::string& path, const std::string& section, const char* key, const char* value)
{
    platform::ini::WriteString(path, section, key, value);
}

void WriteReal(const std::string& path, const std::string& section, const char* key, float value)
{
    platform::ini::WriteString(path, section, key, FormatReal(value));
}

} // namespace

float ParseReal(const std::string& text)
{
    const char* p = text.c_str();
    while (*p == ' ' || *p == '\t' || *p == '\n' || *p == '\r' || *p == '\v' || *p == '\f')
        ++p;
    bool negative = false;
    if (*p == '+' || *p == '-')
        negative = *p++ == '-';
    if (*p == '+' || *p == '-')
        return 0; // a second sign is no number
    double value = 0;
    auto result = std::from_chars(p, text.c_str() + text.size(), value, std::chars_format::general);
    if (result.ec != std::errc())
        return 0;
    return static_cast<float>(negative ? -value : value);
}

std::string FormatReal(float value)
{
    char buffer[128];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, static_cast<double>(value), std::chars_format::fixed, 6);
    return std::string(buffer, result.ptr);
}

std::string ProfileFolder() { return platform::ProgramFolder() + "/ini/"; }

std::vector<std::string> ListProfileFiles(const std::string& profileFolder)
{
    std::vector<std::string> files;
    for (std::string& name : platform::ListFiles(profileFolder, "*.ini"))
        if (name != kOutputDefaultFileName)
            files.push_back(std::move(name));
    return files;
}

void ReadProfile(const std::string& section, ProfileSettings& s, const std::string& path)
{
    SetText(s.profileName, section);
    ReadField(s.FormatName, path, section, "FormatName");
    ReadField(s.FormatHint, path, section, "FormatHint");
    ReadField(s.TargetType, path, section, "TargetType");
    ReadField(s.BeforePara, path, section, "BeforePara");
    ReadField(s.Para, path, section, "Para");
    ReadField(s.PostProcess, path, section, "PostProcess");
    s.bDisableAudio = ReadInt(path, section, "bDisableAudio", 0);
    s.bAudioCustomSampleRate = ReadInt(path, section, "bAudioCustomSampleRate", 0);
    s.nAudioCustomSampleRate = ReadInt(path, section, "nAudioCustomSampleRate", 0);
    s.bAudioCustomBitRate = ReadInt(path, section, "bAudioCustomBitRate", 0);
    s.nAudioCustomBitRate = ReadRealKey(path, section, "nAudioCustomBitRate");
    s.nAudioChannel = ReadInt(path, section, "nAudioChannel", 0);
    s.bAudioCustomVolume = ReadInt(path, section, "bAudioCustomVolume", 0);
    s.nAudioVolume = ReadInt(path, section, "nAudioVolume", 0);
    ReadField(s.cAudioCodec, path, section, "cAudioCodec");
    s.bDisableVideo = ReadInt(path, section, "bDisableVideo", 0);
    s.bVideoHighQuality = ReadInt(path, section, "bVideoHighQuality", 0);
    s.bVideoCustomFrameRate = ReadInt(path, section, "bVideoCustomFrameRate", 0);
    s.nVideoCustomFrameRate = ReadRealKey(path, section, "nVideoCustomFrameRate");
    s.nVideoBitRateLevel = ReadRealKey(path, section, "nVideoBitRateLevel");
    s.nVideoBitRateLevel2 = ReadRealKey(path, section, "nVideoBitRateLevel2");
    s.nVideoBitRateLevel3 = ReadRealKey(path, section, "nVideoBitRateLevel3");
    s.bVideoCustomBitRate = ReadInt(path, section, "bVideoCustomBitRate", 0);
    s.nVideoCustomBitRate = ReadInt(path, section, "nVideoCustomBitRate", 0);
    ReadField(s.cVideoCodec, path, section, "cVideoCodec");
    s.bVideoEnableCrop = ReadInt(path, section, "bVideoEnableCrop", 0);
    s.nVideoCropLeft = ReadInt(path, section, "nVideoCropLeft", 0);
    s.nVideoCropRight = ReadInt(path, section, "nVideoCropRight", 0);
    s.nVideoCropTop = ReadInt(path, section, "nVideoCropTop", 0);
    s.nVideoCropBottom = ReadInt(path, section, "nVideoCropBottom", 0);
    s.bVideoEnablePad = ReadInt(path, section, "bVideoEnablePad", 0);
    s.nVideoPadLeft = ReadInt(path, section, "nVideoPadLeft", 0);
    s.nVideoPadRight = ReadInt(path, section, "nVideoPadRight", 0);
    s.nVideoPadTop = ReadInt(path, section, "nVideoPadTop", 0);
    s.nVideoPadBottom = ReadInt(path, section, "nVideoPadBottom", 0);
    s.nVideoPadColor = ReadInt(path, section, "nVideoPadColor", 0);
    s.nVideoRiszeOption = ReadInt(path, section, "nVideoRiszeOption", 0);
    s.nVideoCustomSizeX = ReadInt(path, section, "nVideoCustomSizeX", 0);
    s.nVideoCustomSizeY = ReadInt(path, section, "nVideoCustomSizeY", 0);
    s.nAspect = ReadInt(path, section, "nAspect", 0);
    s.bCanBurn = ReadInt(path, section, "bCanBurn", 0);
    SetText(s.BurnType, ReadText(path, section, "BurnType", 10));
}

void WriteProfileInt(const std::string& section, const std::string& key, int32_t value, const std::string& path)
{
    platform::ini::WriteString(path, section, key, std::to_string(value));
}

void WriteProfile(const std::string& section, const ProfileSettings& s, const std::string& path)
{
    WriteText(path, section, "FormatName", s.FormatName);
    WriteText(path, section, "FormatHint", s.FormatHint);
    WriteText(path, section, "TargetType", s.TargetType);
    WriteText(path, section, "Para", s.Para);
    WriteText(path, section, "BeforePara", s.BeforePara);
    WriteText(path, section, "PostProcess", s.PostProcess);
    WriteProfileInt(section, "bDisableAudio", s.bDisableAudio, path);
    WriteProfileInt(section, "bAudioCustomSampleRate", s.bAudioCustomSampleRate, path);
    WriteProfileInt(section, "nAudioCustomSampleRate", s.nAudioCustomSampleRate, path);
    WriteProfileInt(section, "bAudioCustomBitRate", s.bAudioCustomBitRate, path);
    WriteReal(path, section, "nAudioCustomBitRate", s.nAudioCustomBitRate);
    WriteProfileInt(section, "nAudioChannel", s.nAudioChannel, path);
    WriteProfileInt(section, "bAudioCustomVolume", s.bAudioCustomVolume, path);
    WriteProfileInt(section, "nAudioVolume", s.nAudioVolume, path);
    WriteText(path, section, "cAudioCodec", s.cAudioCodec);
    WriteProfileInt(section, "bDisableVideo", s.bDisableVideo, path);
    WriteProfileInt(section, "bVideoHighQuality", s.bVideoHighQuality, path);
    WriteProfileInt(section, "bVideoCustomFrameRate", s.bVideoCustomFrameRate, path);
    WriteReal(path, section, "nVideoCustomFrameRate", s.nVideoCustomFrameRate);
    WriteReal(path, section, "nVideoBitRateLevel", s.nVideoBitRateLevel);
    WriteReal(path, section, "nVideoBitRateLevel2", s.nVideoBitRateLevel2);
    WriteReal(path, section, "nVideoBitRateLevel3", s.nVideoBitRateLevel3);
    WriteProfileInt(section, "bVideoCustomBitRate", s.bVideoCustomBitRate, path);
    WriteProfileInt(section, "nVideoCustomBitRate", s.nVideoCustomBitRate, path);
    WriteText(path, section, "cVideoCodec", s.cVideoCodec);
    WriteProfileInt(section, "bVideoEnableCrop", s.bVideoEnableCrop, path);
    WriteProfileInt(section, "nVideoCropLeft", s.nVideoCropLeft, path);
    WriteProfileInt(section, "nVideoCropRight", s.nVideoCropRight, path);
    WriteProfileInt(section, "nVideoCropTop", s.nVideoCropTop, path);
    WriteProfileInt(section, "nVideoCropBottom", s.nVideoCropBottom, path);
    WriteProfileInt(section, "bVideoEnablePad", s.bVideoEnablePad, path);
    WriteProfileInt(section, "nVideoPadLeft", s.nVideoPadLeft, path);
    WriteProfileInt(section, "nVideoPadRight", s.nVideoPadRight, path);
    WriteProfileInt(section, "nVideoPadTop", s.nVideoPadTop, path);
    WriteProfileInt(section, "nVideoPadBottom", s.nVideoPadBottom, path);
    WriteProfileInt(section, "nVideoPadColor", s.nVideoPadColor, path);
    WriteProfileInt(section, "nVideoRiszeOption", s.nVideoRiszeOption, path);
    WriteProfileInt(section, "nVideoCustomSizeX", s.nVideoCustomSizeX, path);
    WriteProfileInt(section, "nVideoCustomSizeY", s.nVideoCustomSizeY, path);
    WriteProfileInt(section, "nAspect", s.nAspect, path);
    WriteProfileInt(section, "bCanBurn", s.bCanBurn, path);
    WriteText(path, section, "BurnType", s.BurnType);
}

void ListProfileSections(const std::string& path, char* buffer, std::size_t size)
{
    platform::ini::ReadSectionNames(path, buffer, size);
}

std::vector<std::string> ProfileSectionNames(const std::string& path)
{
    std::vector<char> buffer(kProfileSectionBufferSize);
    ListProfileSections(path, buffer.data(), buffer.size());
    std::vector<std::string> names;
    for (const char* p = buffer.data(); *p; p += std::strlen(p) + 1)
        names.emplace_back(p);
    return names;
}

int SaveProfileAsNew(const std::string& name, const ProfileSettings& settings, const std::string& path)
{
    for (const std::string& existing : ProfileSectionNames(path))
        if (::strcasecmp(existing.c_str(), name.c_str()) == 0)
            return 0;
    WriteProfile(name, settings, path);
    return 1;
}

void RememberSavedProfile(const std::string& profileFolder, const std::string& fileName, const std::string& profileName)
{
    platform::ini::WriteString(profileFolder + kOutputDefaultFileName, "default", fileName, profileName);
}

OutputDefault ReadOutputDefault(const std::string& profileFolder)
{
    std::string path = profileFolder + kOutputDefaultFileName;
    OutputDefault d;
    platform::ini::ReadString(path, "OUTPUT_DEFAULT", "outputinifile", "", d.profileFile, sizeof d.profileFile);
    platform::ini::ReadString(path, "OUTPUT_DEFAULT", "outputprofile", "", d.profileName, sizeof d.profileName);
    d.calcAspect = platform::ini::ReadInt(path, "OUTPUT_DEFAULT", "outputcalcaspect", 0);
    return d;
}

void WriteOutputDefault(const std::string& profileFolder, const std::string& fileName, const std::string& profileName,
                        int32_t calcAspect)
{
    std::string path = profileFolder + kOutputDefaultFileName;
    platform::ini::WriteString(path, "OUTPUT_DEFAULT", "outputinifile", fileName);
    platform::ini::WriteString(path, "OUTPUT_DEFAULT", "outputprofile", profileName);
    platform::ini::WriteString(path, "OUTPUT_DEFAULT", "outputcalcaspect", std::to_string(calcAspect));
}

OutputDefault LoadChosenProfile(const std::string& profileFolder, ProfileSettings& settings)
{
    OutputDefault chosen = ReadOutputDefault(profileFolder);
    std::string path = profileFolder + chosen.profileFile;
    ReadProfile(chosen.profileName, settings, path);
    SetText(settings.iniPath, path);
    return chosen;
}

} // namespace reelvane
