#pragma once
// INI files with the semantics of the classic profile functions: case-insensitive section and
// key lookup (first match wins), values trimmed, a missing value gives the caller's default,
// writes keep every other line, the file and section are created on first write. Text is UTF-8
// and passed through as bytes; a BOM, CRLF endings and a missing final newline are accepted.

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace platform::ini {

// One section of a file, read once for many lookups by the same rules as the functions below.
// A missing file or section reads as empty: every lookup gives its fallback.
class Section {
public:
    Section(const std::string& path, const std::string& section);

    std::size_t ReadString(const std::string& key, const std::string& fallback, char* buffer,
                           std::size_t capacity) const;
    std::string ReadString(const std::string& key, const std::string& fallback = "") const;
    int32_t ReadInt(const std::string& key, int32_t fallback) const;

private:
    const std::string* Find(const std::string& key) const;

    std::vector<std::pair<std::string, std::string>> keys_; // file order
};

// Copies the value (or `fallback` when the file, section or key is missing) into `buffer`, cut to
// `capacity` - 1 bytes and NUL-terminated. Returns the number of bytes copied, without the NUL.
std::size_t ReadString(const std::string& path, const std::string& section, const std::string& key,
                       const std::string& fallback, char* buffer, std::size_t capacity);

// The whole value, or `fallback` when missing.
std::string ReadString(const std::string& path, const std::string& section, const std::string& key,
                       const std::string& fallback = "");

// The decimal number at the start of the value (optional sign, then digits; none gives 0), or
// `fallback` when the key is missing.
int32_t ReadInt(const std::string& path, const std::string& section, const std::string& key, int32_t fallback);

// Writes `key=value` into `section`: replaces the first matching key, else adds it at the end of
// the first matching section, else appends the section. The file is replaced whole through a
// temporary, so a failed write leaves the old file as it was. Returns false on failure.
bool WriteString(const std::string& path, const std::string& section, const std::string& key, const std::string& value);

// Writes every key into `section` by the rules of WriteString, in one replacement of the file:
// either all keys are written or the file stays as it was.
bool WriteSection(const std::string& path, const std::string& section,
                  const std::vector<std::pair<std::string, std::string>>& keys);

// Section names in file order (duplicates included).
std::vector<std::string> SectionNames(const std::string& path);

// Zeroes `buffer`, then fills it with the section names, each NUL-terminated, the list ending with
// an empty name. Names that do not fit whole are left out. Returns the bytes used, without the
// final NUL.
std::size_t ReadSectionNames(const std::string& path, char* buffer, std::size_t size);

// Keys of a section in file order, for tools that check packs.
std::vector<std::string> KeyNames(const std::string& path, const std::string& section);

} // namespace platform::ini
