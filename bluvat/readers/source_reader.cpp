#include "bluvat/readers/source_reader.h"

#include "bluvat/report.h"

namespace bluvat {

void SourceReader::ReportOpenProgress(int percent)
{
    if (percent == lastOpenPercent_)
        return;
    lastOpenPercent_ = percent;
    Report(2, percent, "Open file..."); // progress: the caller takes kind 1 for an error
}

} // namespace bluvat
