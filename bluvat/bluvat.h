#pragma once
/* The exported interface of libbluvat: author a BDMV folder from transport streams. */

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef void (*AuthorCallback)(int32_t kind, int32_t value, const char* text);
/* Asked before each title and while one is written; nonzero stops the job: the title being
   written is removed and nx_ts_author answers -1. */
typedef int32_t (*AuthorStopCallback)(void);

typedef struct TrackEntry {
    uint16_t pid;       /* 13-bit PID */
    char name[50];      /* stream type name, NUL-terminated */
    int32_t streamType; /* program-map stream type, 0 when unknown */
    int32_t selected;   /* > 0: written to the disc */
} TrackEntry;

typedef struct TrackInfo {
    int32_t count;
    float duration; /* seconds, from the PCR range */
    int32_t kind;   /* 1: 188-byte packets, 2: 192-byte packets, 8: Matroska */
    TrackEntry** entries;
} TrackInfo;

typedef struct AuthorItem {
    const char* path;
    int32_t pathCapacity; /* not read */
    int32_t spare;        /* not read */
    TrackInfo* selection; /* null: every known stream; else only the PIDs of its entries */
} AuthorItem;

typedef struct AuthorList {
    AuthorItem** items;
    int32_t count;
} AuthorList;

/* The chapter starts of one title, in seconds from its start. */
typedef struct ChapterList {
    const double* starts;
    int32_t count;
} ChapterList;

#define BLUVAT_EXPORT __attribute__((visibility("default")))

BLUVAT_EXPORT int nx_setcallbackfunc(AuthorCallback callback);
BLUVAT_EXPORT int nx_ts_gettrackinfo(const char* path, TrackInfo** info);
BLUVAT_EXPORT int nx_ts_freetrackinfo(TrackInfo* info);
BLUVAT_EXPORT int nx_ts_cbdfolder(const char* folder, TrackInfo* info, int32_t unused);
BLUVAT_EXPORT int nx_ts_author(const char* folder, const AuthorList* list);
BLUVAT_EXPORT int nx_setstopfunc(AuthorStopCallback stop);
/* nx_ts_author with each title's chapters, chapters[i] for items[i] (count entries in all): a
   converted stream carries none of its source's. A title given none (chapters null, or a list of
   count 0) takes its source's own (a Matroska file's); every title starts with a chapter. */
BLUVAT_EXPORT int nx_ts_authorchapters(const char* folder, const AuthorList* list, const ChapterList* chapters);

#ifdef __cplusplus
}
#endif
