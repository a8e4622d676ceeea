// The exported functions; everything else stays inside the library.

#include "bluvat/bluvat.h"

#include "bluvat/author_job.h"
#include "bluvat/report.h"

extern "C" {

BLUVAT_EXPORT int nx_setcallbackfunc(AuthorCallback callback)
{
    bluvat::SetCallback(callback);
    return 0;
}

BLUVAT_EXPORT int nx_ts_gettrackinfo(const char* path, TrackInfo** info)
{
    return bluvat::OpenTrackInfo(path, info);
}

BLUVAT_EXPORT int nx_ts_freetrackinfo(TrackInfo* info)
{
    return bluvat::FreeTrackInfo(info);
}

BLUVAT_EXPORT int nx_ts_cbdfolder(const char* folder, TrackInfo* info, int32_t)
{
    return bluvat::AuthorSingleFolder(folder, info);
}

BLUVAT_EXPORT int nx_ts_author(const char* folder, const AuthorList* list)
{
    return bluvat::AuthorJob(folder, list);
}

BLUVAT_EXPORT int nx_ts_authorchapters(const char* folder, const AuthorList* list, const ChapterList* chapters)
{
    return bluvat::AuthorJob(folder, list, chapters);
}

BLUVAT_EXPORT int nx_setstopfunc(AuthorStopCallback stop)
{
    bluvat::SetStopCallback(stop);
    return 0;
}

} // extern "C"
