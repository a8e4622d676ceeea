#include "reelvane/conversion/trakkel_binding.h"

namespace reelvane {
namespace {

// Bound in this order; the indexes below follow it.
const std::vector<std::string> kExports = {"nx_gettrackinfo", "nx_extract", "nx_freetrackinfo", "nx_setcallbackfunc"};
enum { kGetTrackInfo, kExtract, kFreeTrackInfo, kSetCallback };

} // namespace

bool TrakkelBinding::Load()
{
    return loader_.Load("trakkel", kExports);
}

bool TrakkelBinding::LoadFrom(const std::string& folder)
{
    return loader_.LoadFrom(folder, "trakkel", kExports);
}

int32_t TrakkelBinding::GetTrackInfo(const std::string& path, MkvTrackList** list) const
{
    return loader_.Call<int32_t>(kGetTrackInfo, -1, path.c_str(), list);
}

int32_t TrakkelBinding::Extract(const std::string& path, const ExtractList* list) const
{
    return loader_.Call<int32_t>(kExtract, -1, path.c_str(), list);
}

int32_t TrakkelBinding::FreeTrackInfo(MkvTrackList* list) const
{
    return loader_.Call<int32_t>(kFreeTrackInfo, -1, list);
}

int32_t TrakkelBinding::SetCallback(ExtractCallback callback) const
{
    return loader_.Call<int32_t>(kSetCallback, -1, callback);
}

} // namespace reelvane
