#pragma once
// The track-extraction library trakkel, loaded by name once and kept for the life of the
// process. Every call answers -1 while the library is absent.

#include "adapters/trakkel/trakkel.h"
#include "platform/library_loader.h"

#include <string>

namespace reelvane {

class TrakkelBinding {
public:
    // Loads "libtrakkel.so" from the program folder, else the library search path.
    bool Load();
    // The same from a given folder (tests).
    bool LoadFrom(const std::string& folder);
    bool loaded() const { return loader_.loaded(); }

    int32_t GetTrackInfo(const std::string& path, MkvTrackList** list) const;
    int32_t Extract(const std::string& path, const ExtractList* list) const;
    int32_t FreeTrackInfo(MkvTrackList* list) const;
    int32_t SetCallback(ExtractCallback callback) const;

private:
    platform::LibraryLoader loader_;
};

} // namespace reelvane
