#include "reelvane/conversion/checked_format.h"

#include <cctype>
#include <cstring>

namespace reelvane {

bool FormatTakes(std::string_view format, std::string_view letters)
{
    std::size_t taken = 0;
    for (std::size_t i = 0; i < format.size(); ++i) {
        if (format[i] != '%')
            continue;
        ++i;
        if (i < format.size() && format[i] == '%')
            continue;
        while (i < format.size() && std::strchr("-+ #0", format[i]))
            ++i;
        while (i < format.size() && (std::isdigit(static_cast<unsigned char>(format[i])) || format[i] == '.'))
            ++i;
        if (i >= format.size() || taken >= letters.size() || format[i] != letters[taken])
            return false;
        ++taken;
    }
    return taken == letters.size();
}

std::string CheckedFormat(const std::string& candidate, std::string_view letters, const std::string& fallback)
{
    return FormatTakes(candidate, letters) ? candidate : fallback;
}

} // namespace reelvane
