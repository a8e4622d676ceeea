#pragma once
// The authoring driver behind the exported functions; it owns the process-wide reader and record.

#include "bluvat/bluvat.h"

#include <string>

namespace bluvat {

int OpenTrackInfo(const char* path, TrackInfo** info);
int FreeTrackInfo(TrackInfo* info);
int AuthorSingleFolder(const char* folder, TrackInfo* info);
// `chapters`: null, or one list per item of `list`.
int AuthorJob(const char* folder, const AuthorList* list, const ChapterList* chapters = nullptr);

// The name of a program-map stream type; empty for a type a disc cannot carry.
std::string StreamTypeName(int32_t type);

} // namespace bluvat
