#pragma once
// Packs a folder tree into a read-only UDF 2.50 image with a metadata partition.

#include <stdint.h>

#define NX_UDF_EXPORT __attribute__((visibility("default")))

#ifdef __cplusplus
extern "C" {
#endif

// Percentage (0-99) and a text; the result is ignored.
typedef int32_t (*UdfProgressCallback)(int32_t percent, const char* text);

// Returns 0 when the image holds the whole folder; -1 otherwise, with no image left behind.
NX_UDF_EXPORT int32_t nx_udfc(const char* sourceFolder, const char* volumeLabel, const char* imagePath,
                              UdfProgressCallback progress);

#ifdef __cplusplus
}
#endif
