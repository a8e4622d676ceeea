#include "reelvane/profiles/profile_file.h"

#include "platform/dir_listing.h"
#include "platform/ini_file.h"

#include <charconv>
#include <cstddef>
#include <cstring>
#include <strings.h>

namespace reelvane {
namespace {

enum class KeyKind { Text, Integer, Real };

struct ProfileKey {
    const char* name;
    KeyKind kind;
    std::size_t offset;
    std::size_t capacity; // text keys: bytes read, NUL included
};

#define PROFILE_TEXT(field, capacity)                                                                                  \
    {                                                                                                                  \
#field, KeyKind::Text, offsetof(ProfileSettings, field), capacity                                              \
    }
#define PROFILE_INT(field)                                                                                             \
    {                                                                                                                  \
#field, KeyKind::Integer, offsetof(ProfileSettings, field), 0                                                  \
    }
#define PROFILE_REAL(field)                                                                                            \
    {                                                                                                                  \
#field, KeyKind::Real, offsetof(ProfileSettings, field), 0                                                     \
    }

// Every key of a profile section, in the order they are read.
constexpr ProfileKey kProfileKeys[] = {
    PROFILE_TEXT(FormatName, 128),
    PROFILE_TEXT(FormatHint, 128),
    PROFILE_TEXT(TargetType, 20),
    PROFILE_TEXT(BeforePara, 1024),
    PROFILE_TEXT(Para, 1024),
    PROFILE_TEXT(PostProcess, 1024),
    PROFILE_INT(bDisableAudio),
    PROFILE_INT(bAudioCustomSampleRate),
    PROFILE_INT(nAudioCustomSampleRate),
    PROFILE_INT(bAudioCustomBitRate),
    PROFILE_REAL(nAudioCustomBitRate),
    PROFILE_INT(nAudioChannel),
    PROFILE_INT(bAudioCustomVolume),
    PROFILE_INT(nAudioVolume),
    PROFILE_TEXT(cAudioCodec, 20),
    PROFILE_INT(bDisableVideo),
    PROFILE_INT(bVideoHighQuality),
    PROFILE_INT(bVideoCustomFrameRate),
    PROFILE_REAL(nVideoCustomFrameRate),
    PROFILE_REAL(nVideoBitRateLevel),
    PROFILE_REAL(nVideoBitRateLevel2),
    PROFILE_REAL(nVideoBitRateLevel3),
    PROFILE_INT(bVideoCustomBitRate),
    PROFILE_INT(nVideoCustomBitRate),
    PROFILE_TEXT(cVideoCodec, 20),
    PROFILE_INT(bVideoEnableCrop),
    PROFILE_INT(nVideoCropLeft),
    PROFILE_INT(nVideoCropRight),
    PROFILE_INT(nVideoCropTop),
    PROFILE_INT(nVideoCropBottom),
    PROFILE_INT(bVideoEnablePad),
    PROFILE_INT(nVideoPadLeft),
    PROFILE_INT(nVideoPadRight),
    PROFILE_INT(nVideoPadTop),
    PROFILE_INT(nVideoPadBottom),
    PROFILE_INT(nVideoPadColor),
    PROFILE_INT(nVideoRiszeOption),
    PROFILE_INT(nVideoCustomSizeX),
    PROFILE_INT(nVideoCustomSizeY),
    PROFILE_INT(nAspect),
    PROFILE_INT(bCanBurn),
    PROFILE_TEXT(BurnType, 10),
};

#undef PROFILE_TEXT
#undef PROFILE_INT
#undef PROFILE_REAL

// Written files carry Para before BeforePara; every other key keeps the read order.
constexpr std::size_t WriteOrder(std::size_t i)
{
    return i == 3 ? 4 : i == 4 ? 3 : i;
}

std::string ReadText(const platform::ini::Section& section, const char* key, std::size_t capacity)
{
    std::string value = section.ReadString(key, "");
    if (value.size() > capacity - 1)
        value.resize(capacity - 1);
    return value;
}

std::string KeyText(const ProfileKey& key, const char* record)
{
    const char* field = record + key.offset;
    if (key.kind == KeyKind::Text)
        return field;
    if (key.kind == KeyKind::Integer) {
        int32_t value;
        std::memcpy(&value, field, sizeof value);
        return std::to_string(value);
    }
    float value;
    std::memcpy(&value, field, sizeof value);
    return FormatReal(value);
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
    auto result =
        std::to_chars(buffer, buffer + sizeof buffer, static_cast<double>(value), std::chars_format::fixed, 6);
    return std::string(buffer, result.ptr);
}

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
    const platform::ini::Section keys(path, section);
    auto* record = reinterpret_cast<char*>(&s);
    for (const ProfileKey& key : kProfileKeys) {
        char* field = record + key.offset;
        switch (key.kind) {
        case KeyKind::Text: SetText(field, key.capacity, ReadText(keys, key.name, key.capacity)); break;
        case KeyKind::Integer: {
            int32_t value = keys.ReadInt(key.name, 0);
            std::memcpy(field, &value, sizeof value);
            break;
        }
        case KeyKind::Real: {
            float value = ParseReal(ReadText(keys, key.name, 60));
            std::memcpy(field, &value, sizeof value);
            break;
        }
        }
    }
}

void WriteProfileInt(const std::string& section, const std::string& key, int32_t value, const std::string& path)
{
    platform::ini::WriteString(path, section, key, std::to_string(value));
}

bool WriteProfile(const std::string& section, const ProfileSettings& s, const std::string& path)
{
    const auto* record = reinterpret_cast<const char*>(&s);
    std::vector<std::pair<std::string, std::string>> keys;
    for (std::size_t i = 0; i < std::size(kProfileKeys); ++i) {
        const ProfileKey& key = kProfileKeys[WriteOrder(i)];
        keys.emplace_back(key.name, KeyText(key, record));
    }
    // One write for the whole section: a failure part-way must not leave it half old, half new.
    return platform::ini::WriteSection(path, section, keys);
}

std::vector<std::pair<std::string, std::string>> ProfileKeyValues(const ProfileSettings& s)
{
    std::vector<std::pair<std::string, std::string>> values;
    for (const ProfileKey& key : kProfileKeys)
        values.emplace_back(key.name, KeyText(key, reinterpret_cast<const char*>(&s)));
    return values;
}

void SetProfileKeyValue(ProfileSettings& s, const std::string& name, const std::string& text)
{
    for (const ProfileKey& key : kProfileKeys) {
        if (name != key.name)
            continue;
        char* field = reinterpret_cast<char*>(&s) + key.offset;
        if (key.kind == KeyKind::Text) {
            SetText(field, key.capacity, text);
        } else if (key.kind == KeyKind::Integer) {
            int32_t value = 0;
            std::from_chars(text.data(), text.data() + text.size(), value);
            std::memcpy(field, &value, sizeof value);
        } else {
            float value = ParseReal(text);
            std::memcpy(field, &value, sizeof value);
        }
        return;
    }
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
    // Every name counts here, not only those a listing buffer holds: a name missed would
    // overwrite that profile.
    for (const std::string& existing : platform::ini::SectionNames(path))
        if (::strcasecmp(existing.c_str(), name.c_str()) == 0)
            return 0;
    return WriteProfile(name, settings, path) ? 1 : -1;
}

bool RememberSavedProfile(const std::string& profileFolder, const std::string& fileName, const std::string& profileName)
{
    return platform::ini::WriteString(profileFolder + kOutputDefaultFileName, "default", fileName, profileName);
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

bool WriteOutputDefault(const std::string& profileFolder, const std::string& fileName, const std::string& profileName,
                        int32_t calcAspect)
{
    return platform::ini::WriteSection(profileFolder + kOutputDefaultFileName, "OUTPUT_DEFAULT",
                                       {{"outputinifile", fileName},
                                        {"outputprofile", profileName},
                                        {"outputcalcaspect", std::to_string(calcAspect)}});
}

} // namespace reelvane
