#include "platform/ini_file.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <sstream>
#include <unistd.h>

namespace platform::ini {
namespace {

struct Line {
    std::string text; // without the line ending
};

struct Document {
    std::vector<Line> lines;
    bool crlf = false;
    bool bom = false;
};

bool ReadDocument(const std::string& path, Document& doc)
{
    // Only regular files: opening a pipe would wait for a writer.
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec))
        return false;
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    std::ostringstream buffer;
    buffer << in.rdbuf();
    std::string all = buffer.str();
    std::size_t start = 0;
    if (all.compare(0, 3, "\xEF\xBB\xBF") == 0) {
        doc.bom = true;
        start = 3;
    }
    while (start < all.size()) {
        std::size_t end = all.find('\n', start);
        std::string text = all.substr(start, end == std::string::npos ? std::string::npos : end - start);
        if (!text.empty() && text.back() == '\r') {
            text.pop_back();
            doc.crlf = true;
        }
        doc.lines.push_back({std::move(text)});
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    return true;
}

bool IsSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

std::string Trim(const std::string& s)
{
    std::size_t b = 0, e = s.size();
    while (b < e && IsSpace(s[b]))
        ++b;
    while (e > b && IsSpace(s[e - 1]))
        --e;
    return s.substr(b, e - b);
}

char Lower(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool EqualNoCase(const std::string& a, const std::string& b)
{
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return Lower(x) == Lower(y); });
}

// The name of a section header line, or false when the line is not one.
bool SectionOf(const std::string& line, std::string& name)
{
    std::string t = Trim(line);
    if (t.empty() || t[0] != '[')
        return false;
    // The last bracket closes the name, so that a profile name may hold "]" itself.
    std::size_t close = t.rfind(']');
    name = Trim(t.substr(1, close == std::string::npos ? std::string::npos : close - 1));
    return true;
}

// Splits a key line; comments and lines without "=" are not keys.
bool KeyOf(const std::string& line, std::string& key, std::string& value)
{
    std::string t = Trim(line);
    if (t.empty() || t[0] == ';')
        return false;
    std::size_t eq = t.find('=');
    if (eq == std::string::npos)
        return false;
    key = Trim(t.substr(0, eq));
    value = Trim(t.substr(eq + 1));
    if (value.size() >= 2 &&
        ((value.front() == '"' && value.back() == '"') || (value.front() == '\'' && value.back() == '\'')))
        value = value.substr(1, value.size() - 2);
    return true;
}

// Index of the first header line of `section`, or -1.
long FindSection(const Document& doc, const std::string& section)
{
    std::string name;
    for (std::size_t i = 0; i < doc.lines.size(); ++i)
        if (SectionOf(doc.lines[i].text, name) && EqualNoCase(name, section))
            return static_cast<long>(i);
    return -1;
}

// End (exclusive) of the section body that starts after `header`.
std::size_t SectionEnd(const Document& doc, std::size_t header)
{
    std::string name;
    std::size_t i = header + 1;
    while (i < doc.lines.size() && !SectionOf(doc.lines[i].text, name))
        ++i;
    return i;
}

std::size_t CopyCut(const std::string& value, char* buffer, std::size_t capacity)
{
    if (!buffer || capacity == 0)
        return 0;
    std::size_t n = std::min(value.size(), capacity - 1);
    std::memcpy(buffer, value.data(), n);
    buffer[n] = '\0';
    return n;
}

int32_t LeadingInt(const std::string& value)
{
    std::size_t i = 0;
    bool negative = false;
    if (i < value.size() && (value[i] == '-' || value[i] == '+'))
        negative = value[i++] == '-';
    uint32_t n = 0;
    for (; i < value.size() && value[i] >= '0' && value[i] <= '9'; ++i)
        n = n * 10u + static_cast<uint32_t>(value[i] - '0'); // wraps like the 32-bit original
    return static_cast<int32_t>(negative ? 0u - n : n);
}

bool WriteDocument(const std::string& requested, const Document& doc)
{
    std::string eol = doc.crlf ? "\r\n" : "\n";
    std::string out = doc.bom ? "\xEF\xBB\xBF" : "";
    for (const Line& l : doc.lines)
        out += l.text + eol;
    // A link is followed, so the file it names is updated and the link stays a link.
    std::error_code ec;
    std::string path = requested;
    if (std::filesystem::is_symlink(requested, ec)) {
        std::filesystem::path target = std::filesystem::weakly_canonical(requested, ec);
        if (ec)
            return false;
        path = target.string();
    }
    struct stat original;
    bool existed = ::stat(path.c_str(), &original) == 0;
    // Replace the file whole so that a failed write never leaves it cut short.
    std::string temp = path + ".tmp-" + std::to_string(::getpid());
    FILE* f = std::fopen(temp.c_str(), "wb");
    if (!f)
        return false;
    bool ok = std::fwrite(out.data(), 1, out.size(), f) == out.size();
    ok = (std::fflush(f) == 0) && ok;
    if (existed)
        ok = ::fchmod(::fileno(f), original.st_mode & 07777) == 0 && ok;
    ok = (std::fclose(f) == 0) && ok;
    if (!ok || std::rename(temp.c_str(), path.c_str()) != 0) {
        std::remove(temp.c_str());
        return false;
    }
    return true;
}

} // namespace

Section::Section(const std::string& path, const std::string& section)
{
    Document doc;
    if (!ReadDocument(path, doc))
        return;
    long header = FindSection(doc, section);
    if (header < 0)
        return;
    std::size_t end = SectionEnd(doc, static_cast<std::size_t>(header));
    std::string k, v;
    for (std::size_t i = static_cast<std::size_t>(header) + 1; i < end; ++i)
        if (KeyOf(doc.lines[i].text, k, v))
            keys_.emplace_back(std::move(k), std::move(v));
}

const std::string* Section::Find(const std::string& key) const
{
    for (const auto& [k, v] : keys_)
        if (EqualNoCase(k, key))
            return &v;
    return nullptr;
}

std::size_t Section::ReadString(const std::string& key, const std::string& fallback, char* buffer,
                                std::size_t capacity) const
{
    return CopyCut(ReadString(key, fallback), buffer, capacity);
}

std::string Section::ReadString(const std::string& key, const std::string& fallback) const
{
    const std::string* value = Find(key);
    return value ? *value : fallback;
}

int32_t Section::ReadInt(const std::string& key, int32_t fallback) const
{
    const std::string* value = Find(key);
    return value ? LeadingInt(*value) : fallback;
}

std::size_t ReadString(const std::string& path, const std::string& section, const std::string& key,
                       const std::string& fallback, char* buffer, std::size_t capacity)
{
    return Section(path, section).ReadString(key, fallback, buffer, capacity);
}

std::string ReadString(const std::string& path, const std::string& section, const std::string& key,
                       const std::string& fallback)
{
    return Section(path, section).ReadString(key, fallback);
}

int32_t ReadInt(const std::string& path, const std::string& section, const std::string& key, int32_t fallback)
{
    return Section(path, section).ReadInt(key, fallback);
}

namespace {

// Sets one key in the document by the rules of WriteString.
void SetKey(Document& doc, const std::string& section, const std::string& key, const std::string& value)
{
    std::string line = key + "=" + value;
    long header = FindSection(doc, section);
    if (header < 0) {
        if (!doc.lines.empty() && !Trim(doc.lines.back().text).empty())
            doc.lines.push_back({""});
        doc.lines.push_back({"[" + section + "]"});
        doc.lines.push_back({line});
        return;
    }
    std::size_t end = SectionEnd(doc, static_cast<std::size_t>(header));
    std::string k, v;
    for (std::size_t i = static_cast<std::size_t>(header) + 1; i < end; ++i) {
        if (KeyOf(doc.lines[i].text, k, v) && EqualNoCase(k, key)) {
            doc.lines[i].text = line;
            return;
        }
    }
    // New keys go after the section's last non-blank line, before the blank lines that part it.
    std::size_t at = end;
    while (at > static_cast<std::size_t>(header) + 1 && Trim(doc.lines[at - 1].text).empty())
        --at;
    doc.lines.insert(doc.lines.begin() + static_cast<long>(at), {line});
}

} // namespace

bool WriteString(const std::string& path, const std::string& section, const std::string& key, const std::string& value)
{
    return WriteSection(path, section, {{key, value}});
}

bool WriteSection(const std::string& path, const std::string& section,
                  const std::vector<std::pair<std::string, std::string>>& keys)
{
    Document doc;
    std::error_code ec;
    // A file that is there but cannot be read is never replaced by one holding only these keys.
    if (!ReadDocument(path, doc) && std::filesystem::exists(path, ec))
        return false;
    for (const auto& [key, value] : keys)
        SetKey(doc, section, key, value);
    return WriteDocument(path, doc);
}

std::vector<std::string> SectionNames(const std::string& path)
{
    std::vector<std::string> names;
    Document doc;
    if (!ReadDocument(path, doc))
        return names;
    std::string name;
    for (const Line& l : doc.lines)
        if (SectionOf(l.text, name))
            names.push_back(name);
    return names;
}

std::size_t ReadSectionNames(const std::string& path, char* buffer, std::size_t size)
{
    if (!buffer || size == 0)
        return 0;
    std::memset(buffer, 0, size);
    std::size_t used = 0;
    for (const std::string& name : SectionNames(path)) {
        // Room for the name, its NUL and the list's final NUL.
        if (used + name.size() + 2 > size)
            break;
        std::memcpy(buffer + used, name.data(), name.size());
        used += name.size() + 1;
    }
    return used;
}

std::vector<std::string> KeyNames(const std::string& path, const std::string& section)
{
    std::vector<std::string> keys;
    Document doc;
    if (!ReadDocument(path, doc))
        return keys;
    long header = FindSection(doc, section);
    if (header < 0)
        return keys;
    std::size_t end = SectionEnd(doc, static_cast<std::size_t>(header));
    std::string k, v;
    for (std::size_t i = static_cast<std::size_t>(header) + 1; i < end; ++i)
        if (KeyOf(doc.lines[i].text, k, v))
            keys.push_back(k);
    return keys;
}

} // namespace platform::ini
