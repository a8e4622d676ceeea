#include "reelvane/tasks/task_rules.h"

#include "reelvane/conversion/aspect_correction.h"
#include "reelvane/conversion/output_paths.h"
#include "reelvane/conversion/checked_format.h"
#include "reelvane/frame/language_table.h"
#include "reelvane/tasks/task_trim.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <set>
#include <sys/stat.h>
#include <system_error>

namespace reelvane {
namespace {

bool ExtensionAccepted(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return std::string_view(kAcceptedExtensions).find(text) != std::string_view::npos;
}

bool Exists(const std::string& path)
{
    std::error_code error;
    return std::filesystem::exists(path, error);
}

// `seen` holds the real paths already added: a file reached through a link and by its own
// name is added once.
void ScanInto(const std::filesystem::path& folder, bool recurse, std::vector<std::string>& found,
              std::set<std::filesystem::path>& seen)
{
    std::error_code error;
    std::vector<std::filesystem::directory_entry> entries;
    for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end; it.increment(error))
        entries.push_back(*it);
    // Listed by name, as a user reads the folder.
    std::sort(entries.begin(), entries.end(),
              [](const auto& a, const auto& b) { return a.path().filename().string() < b.path().filename().string(); });
    for (const auto& entry : entries) {
        std::error_code typeError;
        if (entry.is_directory(typeError)) {
            // A link to a folder may lead back up the tree: only real sub-folders are searched.
            if (recurse && !entry.is_symlink(typeError))
                ScanInto(entry.path(), true, found, seen);
        } else if (entry.is_regular_file(typeError) && AcceptedByFolderScan(entry.path().filename().string())) {
            std::error_code realError;
            const std::filesystem::path real = std::filesystem::canonical(entry.path(), realError);
            if (!realError && seen.insert(real).second)
                found.push_back(entry.path().string());
        }
    }
}

} // namespace

std::string FileNamePart(const std::string& path)
{
    std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string NameDestination(const std::string& outputFolder, const std::string& sourcePath,
                            const std::string& targetType)
{
    std::string base = FileNamePart(sourcePath);
    std::size_t dot = base.rfind('.');
    if (dot != std::string::npos)
        base.resize(dot);
    std::string candidate = outputFolder + base + "." + targetType;
    for (int n = 1; Exists(candidate); ++n)
        candidate = outputFolder + base + " (" + std::to_string(n) + ")." + targetType;
    return candidate;
}

bool AcceptedByFolderScan(const std::string& name)
{
    std::size_t dot = name.rfind('.');
    return dot != std::string::npos && ExtensionAccepted(name.substr(dot));
}

bool AcceptedByDrop(const std::string& path)
{
    std::size_t dot = path.rfind('.');
    return ExtensionAccepted(dot == std::string::npos ? path : path.substr(dot));
}

std::vector<std::string> ScanFolder(const std::string& folder, bool recurse)
{
    std::vector<std::string> found;
    std::set<std::filesystem::path> seen;
    ScanInto(folder, recurse, found, seen);
    return found;
}

std::string FormatLength(float seconds)
{
    const auto tenths = static_cast<int64_t>(seconds * 10);
    char text[64];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d", static_cast<int>(tenths / 36000),
                  static_cast<int>(tenths / 600 % 60), static_cast<int>(tenths / 10 % 60));
    return text;
}

double EstimatedSizeMegabytes(const ConversionTask& task)
{
    const ProfileSettings& s = task.settings;
    const double video = s.bVideoCustomBitRate ? s.nVideoCustomBitRate : s.nVideoDefaultBitRate;
    const double audio = s.bAudioCustomBitRate ? static_cast<int32_t>(s.nAudioCustomBitRate) : 224;
    const double tracks = static_cast<double>(task.probed.audioTracks.size());
    return (video + audio * tracks) * TrimmedSeconds(task) * 1000.0 / 8388608.0;
}

std::optional<std::string> SourceFileProblem(const std::string& path)
{
    struct stat st;
    if (::stat(path.c_str(), &st) != 0)
        return path + ": " + std::strerror(errno);
    if (S_ISFIFO(st.st_mode))
        return FillText(
            LookupText("RUN_INFO", "strFifoSourceInfo", "%s is a named pipe (FIFO), not a file to convert."), {path});
    if (S_ISCHR(st.st_mode) || S_ISBLK(st.st_mode))
        return FillText(LookupText("RUN_INFO", "strDeviceSourceInfo", "%s is a device, not a file to convert."),
                        {path});
    if (!S_ISREG(st.st_mode))
        return FillText(LookupText("RUN_INFO", "strSpecialSourceInfo", "%s is not a regular file."), {path});
    return std::nullopt;
}

std::unique_ptr<ConversionTask> CreateTask(const std::string& path, const ProfileSettings& current, int32_t calcAspect,
                                           const std::string& outputFolder)
{
    auto task = std::make_unique<ConversionTask>();
    task->sourcePath = path;
    task->usePlatformReader = UsesPlatformReader(path);
    ProbeSource(path, task->usePlatformReader, task->probed);

    task->settings = current;
    task->settings.nSourceHeight = task->probed.sourceHeight;
    task->settings.nSourceWidth = task->probed.sourceWidth;
    task->settings.fSourceAspect = task->probed.sourceAspect;
    task->calcAspect = calcAspect;
    DeriveDefaultBitRate(task->settings);
    if (task->calcAspect >= 0)
        CorrectAspect(task->calcAspect, task->settings);
    task->destinationPath = NameDestination(outputFolder, path, task->settings.TargetType);
    return task;
}

std::vector<std::string> PlannedDestinations(const TaskList& tasks)
{
    std::vector<std::string> planned;
    std::set<std::string> taken;
    for (int i = 0; i < tasks.Count(); ++i) {
        const ConversionTask& task = *tasks.Get(i);
        const std::string baseName = std::filesystem::path(task.sourcePath).stem().string();
        std::string problem;
        // A folder that cannot be asked keeps the name as it is: the run reports why.
        planned.push_back(
            UniqueOutputPath(task.destinationPath, baseName, problem, taken).value_or(task.destinationPath));
        taken.insert(planned.back());
    }
    return planned;
}

void ApplyProfileToTask(ConversionTask& task, const ProfileSettings& current, const std::string& outputFolder)
{
    task.settings = current;
    task.settings.nSourceHeight = task.probed.sourceHeight;
    task.settings.nSourceWidth = task.probed.sourceWidth;
    task.settings.fSourceAspect = 0;
    DeriveDefaultBitRate(task.settings);
    if (task.calcAspect >= 0)
        CorrectAspect(task.calcAspect, task.settings);
    if (!outputFolder.empty())
        task.destinationPath = NameDestination(outputFolder, task.sourcePath, task.settings.TargetType);
}

} // namespace reelvane
