// The exported C interface of trakkel.
#include "adapters/trakkel/trakkel.h"

#include "adapters/trakkel/track_extraction.h"
#include "adapters/trakkel/track_identification.h"

#include <atomic>
#include <cstring>
#include <new>

namespace {

std::atomic<ExtractCallback> extractCallback{nullptr};

} // namespace

extern "C" {

int32_t nx_gettrackinfo(const char* path, MkvTrackList** list)
{
    if (!list)
        return -1;
    *list = nullptr;
    if (!path || !*path)
        return -1;
    trakkel::Identification identification = trakkel::IdentifyFile(path);
    if (!identification.error.empty())
        return 1;
    auto* made = new (std::nothrow) MkvTrackList{};
    if (!made)
        return -1;
    made->entries = new (std::nothrow) MkvTrackEntry*[identification.tracks.size() + 1]();
    if (!made->entries) {
        delete made;
        return -1;
    }
    for (const trakkel::TrackFacts& track : identification.tracks) {
        auto* entry = new (std::nothrow) MkvTrackEntry{};
        if (!entry) {
            nx_freetrackinfo(made);
            return -1;
        }
        entry->number = static_cast<int32_t>(track.number);
        entry->kind = track.kind;
        std::strncpy(entry->codec, track.codecId.c_str(), sizeof entry->codec - 1);
        made->entries[made->count++] = entry;
    }
    *list = made;
    return 0;
}

int32_t nx_extract(const char* path, const ExtractList* list)
{
    ExtractCallback callback = extractCallback.load();
    auto sink = [callback](int percent, const std::string& text) {
        if (callback)
            callback(percent, text.c_str());
    };
    if (!path || !*path || !list || list->count < 0 || (list->count > 0 && !list->items)) {
        sink(-1, "Nothing to extract.");
        return -1;
    }
    std::vector<trakkel::ExtractRequest> requests;
    for (int32_t i = 0; i < list->count; ++i) {
        const ExtractItem* item = list->items[i];
        trakkel::ExtractRequest request;
        if (item && item->path)
            request.path.assign(item->path, strnlen(item->path, TRAKKEL_PATH_SIZE));
        request.number = item ? item->number : 0;
        requests.push_back(std::move(request));
    }
    return trakkel::ExtractTracks(path, requests, sink) ? 0 : -1;
}

int32_t nx_freetrackinfo(MkvTrackList* list)
{
    if (!list)
        return 0;
    for (int32_t i = 0; i < list->count; ++i)
        delete list->entries[i];
    delete[] list->entries;
    delete list;
    return 0;
}

int32_t nx_setcallbackfunc(ExtractCallback callback)
{
    extractCallback.store(callback);
    return 0;
}

} // extern "C"
