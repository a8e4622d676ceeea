#include "platform/dir_listing.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace platform {
namespace {

char Lower(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool Match(const char* name, const char* pattern)
{
    while (*pattern) {
        if (*pattern == '*') {
            while (*pattern == '*')
                ++pattern;
            if (!*pattern)
                return true;
            for (const char* n = name; *n; ++n)
                if (Match(n, pattern))
                    return true;
            return false;
        }
        if (!*name || (*pattern != '?' && Lower(*pattern) != Lower(*name)))
            return false;
        ++name;
        ++pattern;
    }
    return !*name;
}

} // namespace

bool MatchesPattern(const std::string& name, const std::string& pattern)
{
    // "*.*" means every file, with or without a dot, as on the original platform.
    if (pattern == "*.*")
        return true;
    return Match(name.c_str(), pattern.c_str());
}

std::vector<std::string> ListFiles(const std::string& folder, const std::string& pattern)
{
    std::vector<std::string> names;
    std::error_code ec;
    for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code typeError;
        if (!it->is_regular_file(typeError))
            continue;
        std::string name = it->path().filename().string();
        if (MatchesPattern(name, pattern))
            names.push_back(std::move(name));
    }
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace platform
