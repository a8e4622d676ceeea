#include "reelvane/conversion/checked_format.h"

#include <cctype>
#include <cstring>

namespace reelvane {

namespace {

bool SkipDigits(std::string_view format, std::size_t& i)
{
    const std::size_t start = i;
    while (i < format.size() && std::isdigit(static_cast<unsigned char>(format[i])))
        ++i;
    return i - start <= 3;
}

} // namespace

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
        // At most three digits of width and of precision: more only keeps printf busy padding
        // far past the text's limit.
        if (!SkipDigits(format, i))
            return false;
        if (i < format.size() && format[i] == '.' && !SkipDigits(format, ++i))
            return false;
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

std::string FillText(std::string text, const std::vector<std::string>& values)
{
    std::size_t from = 0;
    for (const std::string& value : values) {
        std::size_t at = text.find('%', from);
        while (at != std::string::npos && at + 1 < text.size() && text[at + 1] != 's' && text[at + 1] != 'd')
            at = text.find('%', at + 2);
        if (at == std::string::npos || at + 1 >= text.size())
            break;
        text.replace(at, 2, value);
        from = at + value.size();
    }
    return text;
}

} // namespace reelvane
