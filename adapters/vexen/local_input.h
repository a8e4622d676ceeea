#pragma once
// Opens a regular local file for demuxing; pipes, folders and URLs are refused.

struct AVFormatContext;

namespace vexen {

// The opened demuxer (avformat_close_input releases it), or null when `path` is not a readable
// regular file.
AVFormatContext* OpenLocalInput(const char* path);

} // namespace vexen
