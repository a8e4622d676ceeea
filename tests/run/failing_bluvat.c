/* A stand-in for libbluvat whose authoring always fails, so the run's handling of a failed
   authoring step can be checked. */
#include "bluvat/bluvat.h"

#include <stddef.h>

static AuthorCallback reported;

int nx_setcallbackfunc(AuthorCallback callback)
{
    reported = callback;
    return 0;
}
int nx_ts_gettrackinfo(const char* path, TrackInfo** info)
{
    (void)path;
    *info = NULL;
    return -1;
}
int nx_ts_freetrackinfo(TrackInfo* info)
{
    (void)info;
    return 0;
}
int nx_ts_cbdfolder(const char* folder, TrackInfo* info, int32_t unused)
{
    (void)folder;
    (void)info;
    (void)unused;
    return -1;
}
/* Static: an exported name could bind to the real library's where that is loaded too. */
static int fail(void)
{
    if (reported)
        reported(1, 0, "The stream cannot be read.");
    return -1;
}
int nx_ts_author(const char* folder, const AuthorList* list)
{
    (void)folder;
    (void)list;
    return fail();
}
int nx_ts_authorchapters(const char* folder, const AuthorList* list, const ChapterList* chapters)
{
    (void)folder;
    (void)list;
    (void)chapters;
    return fail();
}
int nx_setstopfunc(AuthorStopCallback stop)
{
    (void)stop;
    return 0;
}
