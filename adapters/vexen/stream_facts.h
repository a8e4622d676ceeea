#pragma once
// The facts of every stream of an opened, analysed file, for both probes that report them.

#include "adapters/vexen/vexen.h"

struct AVFormatContext;

namespace vexen {

// A calloc'd array of one entry per stream of `format` (after avformat_find_stream_info), read to
// its key-frame scan; null for a file without streams or when memory runs out.
StreamFacts* ReadStreamFacts(AVFormatContext& format);

} // namespace vexen
