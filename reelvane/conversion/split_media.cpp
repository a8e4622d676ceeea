#include "reelvane/conversion/split_media.h"

#include "reelvane/frame/language_table.h"

namespace reelvane {

const SplitMedium* FindSplitMedium(const std::string& id)
{
    for (const SplitMedium& medium : kSplitMedia)
        if (id == medium.id)
            return &medium;
    return nullptr;
}

int64_t SplitMediumMegabytes(const std::string& id)
{
    const SplitMedium* medium = FindSplitMedium(id);
    return medium ? medium->megabytes : 0;
}

std::string SplitMediumText(const std::string& id)
{
    const SplitMedium* medium = FindSplitMedium(id);
    if (!medium || !medium->textKey)
        return id;
    return LookupText("WINDOW_INFO", medium->textKey, medium->id);
}

} // namespace reelvane
