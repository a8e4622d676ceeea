#ifndef TRAKKEL_H
#define TRAKKEL_H
/* trakkel: lists the tracks of a Matroska file and extracts tracks into files, over the
   MKVToolNix programs (mkvmerge, mkvextract). Plain C interface; every function may be bound by
   name. */

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#define TRAKKEL_EXPORT __attribute__((visibility("default")))

/* Track kinds. */
enum { TRAKKEL_KIND_VIDEO = 0, TRAKKEL_KIND_AUDIO = 1, TRAKKEL_KIND_SUBTITLE = 2, TRAKKEL_KIND_OTHER = 3 };

#define TRAKKEL_CODEC_TEXT_SIZE 64

/* One track: its Matroska track number (1 for the first track), its kind and its codec id
   ("S_TEXT/UTF8", "S_VOBSUB", ...), cut to 63 characters. */
typedef struct MkvTrackEntry {
    int32_t number;
    int32_t kind;
    char codec[TRAKKEL_CODEC_TEXT_SIZE];
} MkvTrackEntry;

/* Every track of a file in file order; made by nx_gettrackinfo, released by nx_freetrackinfo. */
typedef struct MkvTrackList {
    MkvTrackEntry** entries;
    int32_t count;
} MkvTrackList;

#define TRAKKEL_PATH_SIZE 1024

/* One track to extract: the output path (a buffer of TRAKKEL_PATH_SIZE bytes) and the track
   number. A VobSub track given "x.idx" also writes "x.sub" beside it. */
typedef struct ExtractItem {
    char* path;
    int32_t number;
} ExtractItem;

/* Made and freed by the caller. */
typedef struct ExtractList {
    ExtractItem** items;
    int32_t count;
} ExtractList;

/* Progress of nx_extract: a percentage from 0 to 100 with a line of text (the source's file
   name). A percentage of -1 carries an error message of MKVToolNix or of the library instead.
   The text is valid only during the call. The result is ignored. */
typedef int32_t (*ExtractCallback)(int32_t percent, const char* text);

/* Lists the tracks of `path` into *list. Returns 0 on success; non-zero (and *list null) when
   the file is missing, not Matroska, or mkvmerge cannot be run. */
TRAKKEL_EXPORT int32_t nx_gettrackinfo(const char* path, MkvTrackList** list);

/* Extracts every item of `list` from `path`. An existing file is never replaced, and an output
   appears under its name only when it was written whole. Returns 0 when every item was
   written, -1 otherwise (the callback got the reasons). */
TRAKKEL_EXPORT int32_t nx_extract(const char* path, const ExtractList* list);

TRAKKEL_EXPORT int32_t nx_freetrackinfo(MkvTrackList* list);

/* The callback of later nx_extract calls, for the whole process; null for none. */
TRAKKEL_EXPORT int32_t nx_setcallbackfunc(ExtractCallback callback);

#ifdef __cplusplus
}
#endif

#endif
