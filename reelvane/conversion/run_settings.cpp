#include "reelvane/conversion/run_settings.h"

namespace reelvane {
namespace {

constexpr char kJobs[] = "TasksAtOnce";
constexpr char kCopyFitting[] = "CopyFittingStreams";
constexpr int kMostJobs = 256;

} // namespace

RunSettings ReadRunSettings(const platform::SettingsStore& settings)
{
    RunSettings run;
    if (auto jobs = settings.ReadInt(kJobs); jobs && *jobs >= 0 && *jobs <= kMostJobs)
        run.jobs = *jobs;
    if (auto copy = settings.ReadInt(kCopyFitting))
        run.copyFitting = *copy != 0;
    return run;
}

void WriteRunSettings(const platform::SettingsStore& settings, const RunSettings& run)
{
    settings.WriteInt(kJobs, run.jobs);
    settings.WriteInt(kCopyFitting, run.copyFitting ? 1 : 0);
}

} // namespace reelvane
