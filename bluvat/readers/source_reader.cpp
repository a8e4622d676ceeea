#include "bluvat/readers/source_reader.h"

#include "bluvat/report.h"

namespace bluvat {

void SourceReader::ReportOpenProgress(int percent)
{
    if (percent == lastOpenPercent_)
        return;
    lastOpenPercent_ = percent;
    Report(1, percent, "Open file...");
}

} // namespace bluvat
