#include "reelvane/conversion/source_chapters.h"

#include "adapters/vexen/vexen.h"

#include <algorithm>

namespace reelvane {

std::vector<double> OutputChapters(const ConversionTask& task)
{
    double* starts = nullptr;
    int32_t count = 0;
    std::vector<double> chapters;
    if (GetChapterStarts(task.sourcePath.c_str(), &starts, &count) != 0)
        return chapters;
    const int64_t fileStart = task.probed.mediaInfo.startTime;
    // The output begins where the engine's "-ss" puts it; the author leaves out what lies past its end.
    const int64_t cut = task.fromStart ? 0 : std::max<int64_t>(task.trimStart - fileStart, 0);
    for (int32_t i = 0; i < count; ++i) {
        const double at = starts[i] - static_cast<double>(fileStart + cut) * 1e-6;
        if (at > 0)
            chapters.push_back(at);
    }
    FreeChapterStarts(starts);
    return chapters;
}

} // namespace reelvane
