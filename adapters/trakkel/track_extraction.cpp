#include "adapters/trakkel/track_extraction.h"

#include "adapters/trakkel/track_identification.h"
#include "platform/process_runner.h"
#include "platform/file_moves.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <unistd.h>

namespace trakkel {
namespace fs = std::filesystem;
namespace {

constexpr char kProgressPrefix[] = "#GUI#progress ";
constexpr char kErrorPrefix[] = "#GUI#error ";

// One output: its staged name, and the VobSub companions of both names.
struct Staged {
    std::string target;
    std::string temporary;
    std::string targetCompanion;
    std::string temporaryCompanion;
    int64_t id = -1;
    bool usable = false;
};

bool Exists(const std::string& path)
{
    std::error_code error;
    return !path.empty() && fs::exists(fs::symlink_status(path, error));
}

bool WrittenWhole(const std::string& path)
{
    std::error_code error;
    return fs::is_regular_file(path, error) && fs::file_size(path, error) > 0 && !error;
}

void Remove(const std::string& path)
{
    std::error_code error;
    if (!path.empty())
        fs::remove(path, error);
}

std::string StagedName(const std::string& target, std::size_t index)
{
    fs::path path(target);
    return (path.parent_path() /
            (".trakkel-" + std::to_string(::getpid()) + "-" + std::to_string(index) + "-" + path.filename().string()))
        .string();
}

const TrackFacts* FindTrack(const Identification& identification, int64_t number)
{
    for (const TrackFacts& track : identification.tracks)
        if (track.number == number)
            return &track;
    return nullptr;
}

// Runs mkvextract and hands its progress and error lines on; true when it ended without error.
bool RunExtractor(const std::vector<std::string>& args, const std::string& sourceName, const ProgressSink& sink)
{
    platform::ChildProcess child;
    platform::ProcessOptions options;
    options.pipeStdout = true;
    if (!child.Start("mkvextract", args, options)) {
        sink(-1, "mkvextract could not be started: " + child.error());
        return false;
    }
    bool errorSeen = false;
    int lastPercent = -1;
    auto onLine = [&](const std::string& line) {
        if (line.rfind(kProgressPrefix, 0) == 0) {
            int percent = std::atoi(line.c_str() + sizeof kProgressPrefix - 1);
            if (percent >= 0 && percent <= 100 && percent != lastPercent) {
                lastPercent = percent;
                sink(percent, sourceName);
            }
        } else if (line.rfind(kErrorPrefix, 0) == 0) {
            errorSeen = true;
            sink(-1, line.substr(sizeof kErrorPrefix - 1));
        }
    };
    std::string pending;
    while (child.ReadStdout(pending)) {
        std::size_t start = 0;
        for (std::size_t end; (end = pending.find_first_of("\r\n", start)) != std::string::npos; start = end + 1)
            if (end > start)
                onLine(pending.substr(start, end - start));
        pending.erase(0, start);
    }
    if (!pending.empty())
        onLine(pending);
    int status = child.Wait();
    if (status != 0 && !errorSeen)
        sink(-1, "mkvextract ended with status " + std::to_string(status) + ".");
    return status == 0 && !errorSeen;
}

} // namespace

std::string VobSubCompanion(const std::string& path)
{
    fs::path p(path);
    if (p.extension() != ".idx")
        return {};
    return p.replace_extension(".sub").string();
}

bool ExtractTracks(const std::string& source, const std::vector<ExtractRequest>& requests, const ProgressSink& sink)
{
    const std::string sourceName = fs::path(source).filename().string();
    Identification identification = IdentifyFile(source);
    if (!identification.error.empty()) {
        sink(-1, identification.error);
        return false;
    }

    bool allWritten = true;
    std::vector<Staged> staged;
    std::vector<std::string> args = {"--gui-mode", PathArgument(source), "tracks"};
    for (std::size_t i = 0; i < requests.size(); ++i) {
        Staged item;
        item.target = requests[i].path;
        item.targetCompanion = VobSubCompanion(item.target);
        const TrackFacts* track = FindTrack(identification, requests[i].number);
        if (item.target.empty()) {
            sink(-1, "Track " + std::to_string(requests[i].number) + " has no output path.");
        } else if (!track) {
            sink(-1, "The file has no track number " + std::to_string(requests[i].number) + ".");
        } else if (Exists(item.target) || Exists(item.targetCompanion)) {
            sink(-1, "\"" + item.target + "\" already exists and is left as it is.");
        } else {
            item.temporary = StagedName(item.target, i);
            item.temporaryCompanion = VobSubCompanion(item.temporary);
            item.id = track->id;
            item.usable = true;
            args.push_back(std::to_string(item.id) + ":" + item.temporary);
        }
        allWritten = allWritten && item.usable;
        staged.push_back(std::move(item));
    }

    if (args.size() > 3 && !RunExtractor(args, sourceName, sink))
        allWritten = false;

    for (Staged& item : staged) {
        if (!item.usable)
            continue;
        bool whole =
            WrittenWhole(item.temporary) && (item.temporaryCompanion.empty() || WrittenWhole(item.temporaryCompanion));
        bool moved = whole && (item.temporaryCompanion.empty() ||
                               platform::RenameNoReplace(item.temporaryCompanion, item.targetCompanion) == 0);
        if (moved && platform::RenameNoReplace(item.temporary, item.target) != 0) {
            Remove(item.targetCompanion);
            moved = false;
        }
        if (!moved) {
            allWritten = false;
            sink(-1, "\"" + item.target + "\" could not be written.");
        }
        Remove(item.temporary);
        Remove(item.temporaryCompanion);
    }
    if (allWritten)
        sink(100, sourceName);
    return allWritten;
}

} // namespace trakkel
