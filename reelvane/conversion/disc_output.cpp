#include "reelvane/conversion/disc_output.h"

#include "bluvat/bluvat.h"
#include "nx_udf/nx_udf.h"
#include "platform/file_moves.h"
#include "platform/library_loader.h"
#include "platform/process_runner.h"
#include "reelvane/conversion/checked_format.h"
#include "reelvane/frame/language_table.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <memory>
#include <optional>
#include <unistd.h>

namespace reelvane {
namespace fs = std::filesystem;
namespace {

constexpr char kTitle[] = "Reelvane";
constexpr std::chrono::milliseconds kReportSpacing{100};

std::string RunText(const char* key, const char* builtin)
{
    return LookupText("RUN_INFO", key, builtin);
}

bool Exists(const fs::path& path)
{
    std::error_code ec;
    return fs::symlink_status(path, ec).type() != fs::file_type::not_found;
}

// A new hidden folder beside `folder`, named as the run's partial files are; empty on failure.
std::string CreatePartialFolder(const std::string& folder)
{
    const fs::path target(folder);
    for (int n = 0; n < 1000; ++n) {
        const fs::path candidate = target.parent_path() / ("." + target.filename().string() + ".partial-" +
                                                           std::to_string(::getpid()) + "-" + std::to_string(n));
        std::error_code ec;
        if (fs::create_directory(candidate, ec))
            return candidate.string();
        if (ec || !Exists(candidate))
            return {};
    }
    return {};
}

// Gives the authored folder the name `folder`, or the next free " (n)" one after `name` when
// that was taken meanwhile.
bool NameFolder(const std::string& partial, const std::string& parent, const std::string& name, std::string& folder)
{
    for (int attempt = 0; attempt < 1000; ++attempt) {
        if (platform::RenameNoReplace(partial, folder) == 0)
            return true;
        if (errno != EEXIST && errno != ENOTEMPTY)
            return false;
        folder = FreePath(parent, name, "");
    }
    return false;
}

// The libraries call back through plain function pointers on the calling thread.
class DiscPhase;
thread_local DiscPhase* activePhase = nullptr;

class DiscPhase {
public:
    DiscPhase(const DiscJob& job, RunObserver& observer, const DiscStatus& status)
        : job_(job), observer_(observer), status_(status)
    {
        activePhase = this;
        observer_.DiscPhase(true);
        status_(0, {});
    }
    ~DiscPhase()
    {
        activePhase = nullptr;
        observer_.DiscPhase(false);
    }

    DiscResult Run()
    {
        if (job_.burnType != "AVCHD" && job_.burnType != "BLURAY")
            return StartBurner(job_.outputs);
        return AuthorAndImage();
    }

    static void OnAuthor(int32_t kind, int32_t value, const char* text)
    {
        if (!activePhase)
            return;
        if (kind == 1 && text) // an error: kept for the message if authoring fails
            activePhase->libraryErrors_ += std::string("\n") + text;
        // Every percent of every title comes through, and each status line reads the language
        // pack: the window needs far fewer. A 0 starts a step and resets the time left: it always passes.
        if (value == 0 || (value > 0 && activePhase->ReportDue()))
            activePhase->Report(value, text ? text : "", false);
    }

    // Both libraries stop at their next safe point once this answers nonzero.
    static int32_t OnStopQuestion() { return activePhase && activePhase->observer_.CancelRequested() ? 1 : 0; }

    static int32_t OnImage(int32_t percent, const char* text)
    {
        if (activePhase && percent >= 0)
            activePhase->Report(percent, text ? text : "", true);
        return OnStopQuestion();
    }

private:
    bool ReportDue() const { return std::chrono::steady_clock::now() - lastReport_ >= kReportSpacing; }

    void Report(int percent, const std::string& text, bool throttled)
    {
        // The image callback comes once per block; the window needs far fewer updates.
        auto now = std::chrono::steady_clock::now();
        if (throttled && (percent < 1 || !ReportDue()))
            return;
        lastReport_ = now;
        status_(percent, text);
        observer_.Pump();
    }

    DiscResult Fail(const std::string& message, const std::string& kept)
    {
        observer_.ShowMessage(kTitle, message);
        return {false, kept};
    }

    static std::string Joined(const std::vector<std::string>& files)
    {
        std::string all;
        for (const std::string& file : files)
            all += (all.empty() ? "" : "\n") + file;
        return all;
    }
    std::string JoinedOutputs() const { return Joined(job_.outputs); }

    DiscResult KeptAfterFailure(const std::string& message)
    {
        return Fail(message + "\n" + RunText("strFilesKeptInfo", "The converted files stay in place:") + "\n" +
                        JoinedOutputs(),
                    JoinedOutputs());
    }

    // Cancelled at a safe point: whatever the disc step made goes, the converted files stay.
    DiscResult Cancelled(const std::string& folder)
    {
        std::error_code ec;
        fs::remove_all(folder, ec);
        DiscResult result;
        result.cancelled = true;
        return result;
    }

    DiscResult AuthorAndImage()
    {
        platform::LibraryLoader bluvat;
        if (!bluvat.LoadFrom(job_.programFolder, "bluvat",
                             {"nx_ts_gettrackinfo", "nx_ts_cbdfolder", "nx_ts_freetrackinfo", "nx_setcallbackfunc",
                              "nx_ts_authorchapters", "nx_setstopfunc"}))
            return KeptAfterFailure(
                FillText(RunText("strLibraryMissingInfo", "The library %s could not be loaded."), {"bluvat"}) + "\n" +
                bluvat.error());

        // Authored under a hidden name: a folder under its final name is always a whole one.
        const std::string name = fs::path(job_.currentOutput).stem().string();
        std::string folder = FreePath(job_.outputFolder, name, "");
        const std::string partial = CreatePartialFolder(folder);
        if (partial.empty())
            return KeptAfterFailure(
                FillText(RunText("strFolderFailedInfo", "The folder %s could not be created."), {folder}));
        std::error_code ec;
        if (job_.outputs.empty()) {
            fs::remove(partial, ec);
            return {true, {}};
        }

        std::vector<AuthorItem> items(job_.outputs.size());
        std::vector<AuthorItem*> itemPointers;
        std::vector<ChapterList> chapters(items.size(), ChapterList{nullptr, 0});
        for (std::size_t i = 0; i < items.size(); ++i) {
            items[i] = {job_.outputs[i].c_str(), 256, 5, nullptr};
            itemPointers.push_back(&items[i]);
            if (auto given = job_.chapters.find(job_.outputs[i]); given != job_.chapters.end())
                chapters[i] = {given->second.data(), static_cast<int32_t>(given->second.size())};
        }
        AuthorList list{itemPointers.data(), static_cast<int32_t>(itemPointers.size())};
        const std::string folderArgument = partial + "/";
        bluvat.Call<int>(3, -1, static_cast<AuthorCallback>(&DiscPhase::OnAuthor));
        bluvat.Call<int>(5, -1, static_cast<AuthorStopCallback>(&DiscPhase::OnStopQuestion));
        int authored = bluvat.Call<int>(4, -1, folderArgument.c_str(), static_cast<const AuthorList*>(&list),
                                        static_cast<const ChapterList*>(chapters.data()));
        bluvat.Call<int>(5, -1, static_cast<AuthorStopCallback>(nullptr));
        bluvat.Call<int>(3, -1, static_cast<AuthorCallback>(nullptr));
        bluvat.Unload();
        if (observer_.CancelRequested())
            return Cancelled(partial);
        if (authored != 0) {
            fs::remove_all(partial, ec);
            return KeptAfterFailure(RunText("strAuthorFailedInfo", "The Blu-ray folder could not be authored.") +
                                    libraryErrors_);
        }
        if (!NameFolder(partial, job_.outputFolder, name, folder)) {
            fs::remove_all(partial, ec);
            return KeptAfterFailure(
                FillText(RunText("strFolderFailedInfo", "The folder %s could not be created."), {folder}));
        }

        // The converted files go only once the image holds them.
        const std::string folderKept =
            FillText(RunText("strFolderKeptInfo", "The Blu-ray folder stays in place: %s"), {folder});
        platform::LibraryLoader udf;
        if (!udf.LoadFrom(job_.programFolder, "nx_udf", {"nx_udfc"}))
            return KeptAfterFailure(
                FillText(RunText("strLibraryMissingInfo", "The library %s could not be loaded."), {"nx_udf"}) + "\n" +
                udf.error() + "\n" + folderKept);
        const std::string image = FreePath(job_.outputFolder, fs::path(folder).filename().string(), ".iso");
        lastReport_ = {};
        int packed = udf.Call<int32_t>(0, -1, folder.c_str(), "BDMV", image.c_str(),
                                       static_cast<UdfProgressCallback>(&DiscPhase::OnImage));
        const int cause = errno;
        udf.Unload();
        // A stop asked for while the last files went in still ends the step before anything is deleted.
        if (observer_.CancelRequested()) {
            std::error_code removed;
            if (packed == 0)
                fs::remove(image, removed);
            return Cancelled(folder);
        }
        if (packed != 0)
            return KeptAfterFailure(RunText("strImageFailedInfo", "The disc image could not be made.") +
                                    (cause != 0 ? std::string(" ") + std::strerror(cause) : std::string()) + "\n" +
                                    folderKept);
        for (const std::string& output : job_.outputs)
            if (std::find(job_.written.begin(), job_.written.end(), output) != job_.written.end())
                fs::remove(output, ec);
        fs::remove_all(folder, ec);
        // Said before the burner question, so that the user knows the image is there.
        observer_.ShowStatus(100, FillText(RunText("strImageWrittenInfo", "Image written: %s"), {image}));
        DiscResult burned = StartBurner({image}, "DVD");
        burned.result = image;
        return burned;
    }

    DiscResult StartBurner(const std::vector<std::string>& files, const std::string& type = {})
    {
        DiscResult result{true, files.empty() ? std::string() : files.front()};
        std::string question = LookupText("MAIN_DLG", "strAutoBurnInfo",
                                          "The Discora will automatically start, \nclick 'yes' to continue, "
                                          "click 'no' to cancel.");
        // An image is named on a line of its own, so that the user can find it whatever the answer.
        if (!type.empty())
            question += "\n" + result.result;
        if (!observer_.AskYesNo(kTitle, question))
            return result;
        const std::string burner = job_.programFolder + "/discora";
        std::optional<platform::ProgramOutcome> burned;
        const std::vector<std::string> arguments =
            type.empty() ? BurnerArguments(files, job_.burnType, job_.audioLanguages) : BurnerArguments(files, type);
        if (Exists(burner))
            burned = platform::RunAndCaptureErrors(burner, arguments);
        if (!burned) {
            // Without a burner the user is shown where the files are.
            observer_.ShowOutput(result.result);
            return Fail(FillText(RunText("strBurnerFailedInfo", "The burner %s could not be started."), {burner}),
                        result.result);
        }
        if (burned->status != 0)
            return Fail(RunText("strBurnReportedInfo", "The burner reported a failure:") + "\n" + burned->errors +
                            (burned->errors.empty() || burned->errors.back() == '\n' ? "" : "\n") + Joined(files),
                        result.result);
        return result;
    }

    const DiscJob& job_;
    RunObserver& observer_;
    const DiscStatus& status_;
    std::string libraryErrors_;
    std::chrono::steady_clock::time_point lastReport_{};
};

} // namespace

std::vector<std::string> BurnerArguments(const std::vector<std::string>& files, const std::string& burnType,
                                         const std::vector<std::vector<std::string>>& audioLanguages)
{
    std::vector<std::string> arguments = {"burn", "-f"};
    arguments.insert(arguments.end(), files.begin(), files.end());
    arguments.insert(arguments.end(), {"-t", burnType});
    bool known = false;
    for (const std::vector<std::string>& languages : audioLanguages)
        for (const std::string& language : languages)
            known = known || (!language.empty() && language != "und");
    if (!known || audioLanguages.size() != files.size())
        return arguments;
    arguments.push_back("-l");
    for (const std::vector<std::string>& languages : audioLanguages) {
        std::string word;
        for (const std::string& language : languages)
            word += (word.empty() ? "" : ",") + (language.empty() ? std::string("und") : language);
        arguments.push_back(word.empty() ? "und" : word);
    }
    return arguments;
}

std::string FreePath(const std::string& folder, const std::string& name, const std::string& extension)
{
    std::string path = folder + name + extension;
    for (int n = 1; Exists(path); ++n)
        path = folder + name + " (" + std::to_string(n) + ")" + extension;
    return path;
}

DiscResult RunDiscOutput(const DiscJob& job, RunObserver& observer, const DiscStatus& status)
{
    DiscPhase phase(job, observer, status);
    return phase.Run();
}

} // namespace reelvane
