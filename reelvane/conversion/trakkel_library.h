#pragma once
// The track-extraction library, loaded by name once for the life of the process.

#include "platform/library_loader.h"

namespace reelvane {

// Export numbers of the bound functions, in binding order.
enum TrakkelExport { kTrakkelGetTrackInfo, kTrakkelExtract, kTrakkelFreeTrackInfo, kTrakkelSetCallback };

platform::LibraryLoader& TrakkelLibrary();

// Loads "libtrakkel.so" and binds its four exports; false when it or any export is missing.
bool LoadTrakkel();

} // namespace reelvane
