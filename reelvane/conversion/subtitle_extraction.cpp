#include "reelvane/conversion/subtitle_extraction.h"

#include "reelvane/conversion/checked_format.h"
#include "reelvane/frame/language_table.h"
#include "reelvane/tasks/task_rules.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <cctype>
#include <filesystem>
#include <memory>
#include <system_error>
#include <vector>

namespace reelvane {
namespace {

// The library's callback carries no context: the one extraction running at a time keeps it here.
struct ActiveExtraction {
    ExtractionUi* ui = nullptr;
    std::string errors;
};
ActiveExtraction* active = nullptr;

int32_t OnExtractProgress(int32_t percent, const char* text)
{
    if (!active)
        return 0;
    const std::string line = text ? text : "";
    if (percent < 0) {
        if (!active->errors.empty())
            active->errors += '\n';
        active->errors += line;
    } else {
        active->ui->ShowProgress(percent, line);
    }
    return 0;
}

std::string Upper(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::toupper(c); });
    return text;
}

bool ContainsAfterFirst(const std::string& text, const char* word)
{
    std::size_t at = text.find(word);
    return at != std::string::npos && at > 0;
}

bool Exists(const std::string& path)
{
    std::error_code error;
    return std::filesystem::exists(std::filesystem::symlink_status(path, error));
}

bool WrittenWhole(const std::string& path)
{
    std::error_code error;
    return std::filesystem::is_regular_file(path, error) && std::filesystem::file_size(path, error) > 0 && !error;
}

std::string SubCompanion(const std::string& path)
{
    return path.substr(0, path.size() - 4) + ".sub";
}

struct OwnedItem {
    std::vector<char> path = std::vector<char>(TRAKKEL_PATH_SIZE, '\0');
    ExtractItem item{};
};

} // namespace

std::string SubtitleExtension(const std::string& codecText)
{
    const std::string codec = Upper(codecText);
    if (ContainsAfterFirst(codec, "VOBSUB"))
        return ".idx";
    if (ContainsAfterFirst(codec, "SSA"))
        return ".ssa";
    if (ContainsAfterFirst(codec, "ASS"))
        return ".ass";
    if (ContainsAfterFirst(codec, "USF"))
        return ".usf";
    return ".srt";
}

std::string ExtractedSubtitlePath(const std::string& outputFolder, const std::string& sourcePath, int index,
                                  const std::string& extension)
{
    std::string base = FileNamePart(sourcePath);
    if (std::size_t dot = base.rfind('.'); dot != std::string::npos)
        base.resize(dot);
    base += "_" + std::to_string(index);
    auto taken = [&](const std::string& path) {
        return Exists(path) || (extension == ".idx" && Exists(SubCompanion(path)));
    };
    std::string candidate = outputFolder + base + extension;
    for (int n = 1; taken(candidate); ++n)
        candidate = outputFolder + base + " (" + std::to_string(n) + ")" + extension;
    return candidate;
}

bool OffersSubtitleExtraction(const std::string& sourcePath)
{
    return sourcePath.size() >= 3 && Upper(sourcePath.substr(sourcePath.size() - 3)) == "MKV";
}

int PrepareSubtitleTracks(ConversionTask& task, const TrakkelBinding& trakkel, const std::string& outputFolder,
                          ExtractionUi& ui)
{
    if (!OffersSubtitleExtraction(task.sourcePath))
        return 0;
    MkvTrackList* tracks = nullptr;
    if (trakkel.GetTrackInfo(task.sourcePath, &tracks) != 0 || !tracks)
        return 0;
    std::unique_ptr<MkvTrackList, std::function<void(MkvTrackList*)>> owned(tracks, [&trakkel](MkvTrackList* list) {
        trakkel.FreeTrackInfo(list);
    });

    std::vector<const MkvTrackEntry*> subtitles;
    for (int32_t i = 0; i < tracks->count; ++i)
        if (tracks->entries[i] && tracks->entries[i]->kind == TRAKKEL_KIND_SUBTITLE)
            subtitles.push_back(tracks->entries[i]);
    if (subtitles.empty() ||
        !ui.AskExtract(LookupText("MAIN_DLG", "strExtractSubtitleInfo",
                                  "This mkv file have some subtitle tracks, do you want extract it and add to the "
                                  "converted file?")))
        return 0;

    std::vector<OwnedItem> items(subtitles.size());
    std::vector<ExtractItem*> itemPointers;
    for (std::size_t j = 0; j < subtitles.size(); ++j) {
        std::string codec(subtitles[j]->codec, strnlen(subtitles[j]->codec, sizeof subtitles[j]->codec));
        SetText(items[j].path.data(), items[j].path.size(),
                ExtractedSubtitlePath(outputFolder, task.sourcePath, static_cast<int>(j), SubtitleExtension(codec)));
        items[j].item.path = items[j].path.data();
        items[j].item.number = subtitles[j]->number;
        itemPointers.push_back(&items[j].item);
    }
    ExtractList list{itemPointers.data(), static_cast<int32_t>(itemPointers.size())};

    ActiveExtraction extraction{&ui, {}};
    active = &extraction;
    ui.BeginProgress();
    trakkel.SetCallback(&OnExtractProgress);
    const int32_t result = trakkel.Extract(task.sourcePath, &list);
    trakkel.SetCallback(nullptr);
    ui.EndProgress();
    active = nullptr;

    // Only what is really there is offered; a failed track never becomes the subtitle.
    int attached = 0;
    for (const OwnedItem& item : items) {
        std::string path = item.path.data();
        if (!WrittenWhole(path))
            continue;
        if (attached++ == 0)
            task.subtitlePath = path;
        task.subtitleCandidates.push_back(path);
    }
    if (result != 0 || attached != static_cast<int>(items.size())) {
        std::string reason = extraction.errors.empty() ? "trakkel reported no reason." : extraction.errors;
        ui.ShowFailure(FillText(LookupText("MAIN_DLG", "strExtractSubtitleFailInfo",
                                           "The subtitle tracks could not all be extracted:#13%s"),
                                {reason}));
    }
    return attached;
}

} // namespace reelvane
