// The INI module on a file from anywhere: every read, the section-name buffer, and a write whose
// section, key and value come from the input ("file\0section\0key\0value"). A write must read
// back and leave every other value as it was.

#include "tests/fuzz/fuzz_target.h"

#include "platform/ini_file.h"

#include <map>
#include <string_view>
#include <strings.h>

namespace {

using Values = std::map<std::pair<std::string, std::string>, std::string>;

std::string Lowered(std::string text)
{
    for (char& c : text)
        c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    return text;
}

// What a reader sees: each section (the first of a name) with each key's value.
Values Readable(const std::string& path)
{
    Values values;
    for (const std::string& section : platform::ini::SectionNames(path))
        for (const std::string& key : platform::ini::KeyNames(path, section))
            values.try_emplace({Lowered(section), Lowered(key)}, platform::ini::ReadString(path, section, key));
    return values;
}

bool Blank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

// Texts the one-line form holds as they are: no line break, no blank at either end.
bool FitsOneLine(std::string_view text)
{
    return text.find('\n') == std::string_view::npos && (text.empty() || (!Blank(text.front()) && !Blank(text.back())));
}

bool Quoted(std::string_view value)
{
    return value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front();
}

} // namespace

std::vector<fuzz::Bytes> fuzz::Seeds()
{
    using namespace std::literals;
    auto text = [](std::string_view s) { return Bytes(s.begin(), s.end()); };
    return {
        text("[MP4 for phones]\nTargetType=mp4\nBeforePara=\nPara=-f mp4 -g 12\nnVideoBitRateLevel=0.750000\n\n"
             "[Other]\r\nkey = \"quoted value\" \r\n; comment\r\n[Last]]\nbAudio=1"sv),
        text("\xEF\xBB\xBF[Info]\nLanguage=Deutsch (German)\n[MAIN_DLG]\nstrAddFileInfo=Datei %s #13hinzuf\xC3\xBCgen\n"
             "\0Info\0Language\0English"sv),
        text("[a]\nx=1\n[A]\nx=2\ny=-2147483649\n[b\nnot a key\n=empty key\n"sv),
    };
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const std::string path = fuzz::Scratch("fuzz.ini");
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    // The edit: the last three NUL-separated fields, when there are three.
    std::string_view file = input, fields[3] = {"Fuzz", "Key", "value"};
    for (int k = 2; k >= 0; --k) {
        const std::size_t nul = file.rfind('\0');
        if (nul == std::string_view::npos)
            break;
        fields[k] = file.substr(nul + 1);
        file = file.substr(0, nul);
    }
    fuzz::WriteFile(path, reinterpret_cast<const uint8_t*>(file.data()), file.size());

    std::vector<char> names(1 + size % 97);
    const std::size_t used = platform::ini::ReadSectionNames(path, names.data(), names.size());
    if (used >= names.size() || names[used] != '\0')
        fuzz::Broken("the section name list is not closed");
    const Values before = Readable(path);
    for (const auto& [where, value] : before)
        platform::ini::ReadInt(path, where.first, where.second, 0);

    const std::string section(fields[0]), key(fields[1]), value(fields[2]);
    if (!platform::ini::WriteString(path, section, key, value))
        fuzz::Broken("a write to a writable file failed");
    const bool holdsIt = FitsOneLine(section) && FitsOneLine(key) && FitsOneLine(value) &&
                         key.find('=') == std::string::npos && (key.empty() || (key[0] != ';' && key[0] != '[')) &&
                         !Quoted(value);
    if (!holdsIt)
        return 0;
    if (platform::ini::ReadString(path, section, key, "\x01(missing)") != value)
        fuzz::Broken("a written value does not read back");
    const Values after = Readable(path);
    for (const auto& [where, old] : before) {
        if (where == std::make_pair(Lowered(section), Lowered(key)))
            continue;
        auto now = after.find(where);
        if (now == after.end() || now->second != old)
            fuzz::Broken("a write changed the value of another key");
    }
    return 0;
}
