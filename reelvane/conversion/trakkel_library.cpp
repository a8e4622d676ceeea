#include "reelvane/conversion/trakkel_library.h"

namespace reelvane {

platform::LibraryLoader& TrakkelLibrary()
{
    static platform::LibraryLoader library;
    return library;
}

bool LoadTrakkel()
{
    return TrakkelLibrary().Load("trakkel", {"nx_gettrackinfo", "nx_extract", "nx_freetrackinfo", "nx_setcallbackfunc"});
}

} // namespace reelvane
