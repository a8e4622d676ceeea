#pragma once
// The rules of the task list that need no window: creating a task from a file, naming its
// destination, its size estimate and length text, and which files are taken.

#include "reelvane/tasks/conversion_task.h"
#include "reelvane/tasks/task_list.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace reelvane {

inline constexpr char kAcceptedExtensions[] = ".mkv.mka";

// The part after the last "/".
std::string FileNamePart(const std::string& path);

// outputFolder (ending with "/") + base name + "." + targetType, with " (1)", " (2)", ... after
// the base while a file of that path exists.
std::string NameDestination(const std::string& outputFolder, const std::string& sourcePath,
                            const std::string& targetType);

// The text from the last dot, lower-cased, occurs in ".mkv.mka". A name without a dot is refused
// by the folder scan and tested whole when dropped.
bool AcceptedByFolderScan(const std::string& name);
bool AcceptedByDrop(const std::string& path);

// The accepted files of a folder in name order, and of its sub-folders when `recurse` is set.
// Links to files are followed, links to folders are not; each file is listed once. Unreadable
// folders give nothing.
std::vector<std::string> ScanFolder(const std::string& folder, bool recurse);

// "%02d:%02d:%02d" of a length in seconds.
std::string FormatLength(float seconds);

// (video + audio x audio tracks) x trimmed duration x 1000 / 8388608 megabytes.
double EstimatedSizeMegabytes(const ConversionTask& task);

// Why `path` cannot be a source, before any program reads it: a named pipe, a device or another
// special file (reading one would wait or never end), or a path the system cannot follow (a
// link loop). Nothing for a regular file.
std::optional<std::string> SourceFileProblem(const std::string& path);

// Probes the file (a failed probe still gives a task), puts the current profile in with the
// source's size and aspect, and names the destination. Track preparation is the caller's.
std::unique_ptr<ConversionTask> CreateTask(const std::string& path, const ProfileSettings& current, int32_t calcAspect,
                                           const std::string& outputFolder);

// The destination each task's run will write, in list order: a name of an existing file or of
// an earlier task's destination gets " (n)" as the run gives it.
std::vector<std::string> PlannedDestinations(const TaskList& tasks);

// Puts the current profile into a task; `outputFolder` not empty names the destination again.
void ApplyProfileToTask(ConversionTask& task, const ProfileSettings& current, const std::string& outputFolder = {});

} // namespace reelvane
