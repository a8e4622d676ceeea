#include "tools/ferrix/ferrix_args.h"

#include <algorithm>

namespace ferrix {

namespace {

bool IsKey(const std::string& arg)
{
    return arg == "/i" || arg == "/o";
}

std::string StripBlanksAndQuotes(const std::string& text)
{
    const auto keep = text.find_first_not_of(" \"");
    if (keep == std::string::npos)
        return {};
    return text.substr(keep, text.find_last_not_of(" \"") - keep + 1);
}

} // namespace

std::string KeyValue(const std::vector<std::string>& args, const std::string& key)
{
    auto at = std::find(args.begin(), args.end(), key);
    if (at == args.end() || std::next(at) == args.end() || IsKey(*std::next(at)))
        return {};
    return StripBlanksAndQuotes(*std::next(at));
}

} // namespace ferrix
