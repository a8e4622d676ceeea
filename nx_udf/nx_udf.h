#pragma once
// Packs a folder tree into a read-only UDF 2.50 image with a metadata partition.

#include <stdint.h>

#define NX_UDF_EXPORT __attribute__((visibility("default")))

#ifdef __cplusplus
extern "C" {
#endif

// Percentage (0-99) and a text; a nonzero result stops the build (the call then answers -1).
typedef int32_t (*UdfProgressCallback)(int32_t percent, const char* text);

// Returns 0 when the image holds the whole folder; -1 otherwise, with no image left behind. The
// image is written under a hidden partial name beside `imagePath` and takes that name only when
// whole; an existing file there is never replaced (-1). Links that lead out of the folder are
// refused. After -1, errno holds the system's reason (a full disk, a bad name, EEXIST), or 0 when
// the failure has none (a tree that cannot be stored, a stop).
NX_UDF_EXPORT int32_t nx_udfc(const char* sourceFolder, const char* volumeLabel, const char* imagePath,
                              UdfProgressCallback progress);

#ifdef __cplusplus
}
#endif
