#include "adapters/discora/burn_job.h"

#include "platform/file_moves.h"
#include "reelvane/frame/language_table.h"
#include "platform/process_runner.h"

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <vector>

#include <unistd.h>

namespace discora {
namespace fs = std::filesystem;
namespace {

// Removes the work folder however the burn ends.
class WorkFolder {
public:
    explicit WorkFolder(bool dryRun)
    {
        const char* tmp = std::getenv("TMPDIR");
        std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/discora-XXXXXX";
        if (dryRun) {
            path_ = pattern;
            return;
        }
        std::vector<char> buffer(pattern.begin(), pattern.end());
        buffer.push_back('\0');
        if (::mkdtemp(buffer.data()))
            path_ = owned_ = buffer.data();
    }
    ~WorkFolder()
    {
        std::error_code ec;
        if (!owned_.empty())
            fs::remove_all(owned_, ec);
    }
    const std::string& path() const { return path_; }

private:
    std::string path_;
    std::string owned_;
};

BurnOutcome Fail(const std::string& message)
{
    return {1, message, {}};
}

// A text of the language pack with its "%s" filled.
std::string Text(const char* key, const char* builtin, const std::string& value = {})
{
    std::string text = reelvane::LookupText("DISCORA_DLG", key, builtin);
    if (std::size_t at = text.find("%s"); at != std::string::npos)
        text.replace(at, 2, value);
    return text;
}

// Moves (or copies across file systems) without replacing anything.
bool SaveImage(const std::string& image, const std::string& target, bool keepSource)
{
    if (!keepSource && platform::RenameNoReplace(image, target) == 0)
        return true;
    if (!keepSource && errno != EXDEV)
        return false;
    std::error_code ec;
    return fs::copy_file(image, target, fs::copy_options::none, ec);
}

// The drive list. xorriso's chatter on standard error (its banner, "No drives found") is kept out
// of ours, where the program that started the burn reads the failure to show it.
std::string DevicesReport()
{
    platform::ChildProcess xorriso;
    platform::ProcessOptions options;
    options.pipeStdout = true;
    options.pipeStderr = true;
    std::string report;
    if (!xorriso.Start("xorriso", {"-devices"}, options))
        return report;
    while (xorriso.ReadStdout(report)) {
    }
    char chatter[4096];
    while (::read(xorriso.stderrFd(), chatter, sizeof chatter) > 0) {
    }
    xorriso.Wait();
    return report;
}

} // namespace

BurnOutcome RunBurn(const Options& options, BurnUi& ui)
{
    auto run = [&](const Command& command) {
        ui.Report(CommandLine(command));
        return options.dryRun || platform::RunAndWait(command.program, command.arguments) == 0;
    };
    std::error_code error;
    for (const std::string& file : options.files)
        if (!fs::is_regular_file(file, error))
            return Fail("The file " + file +
                        (error ? " cannot be read: " + error.message() + "." : " does not exist."));
    if (!options.imagePath.empty() && fs::symlink_status(options.imagePath, error).type() != fs::file_type::not_found)
        return Fail("The image " + options.imagePath +
                    (error ? " cannot be made: " + error.message() + "." : " exists already; it is not replaced."));

    WorkFolder work(options.dryRun);
    if (work.path().empty())
        return Fail("No work folder could be made.");
    Plan plan = MakePlan(options, work.path());
    if (!plan.controlFile.empty()) {
        std::string text = plan.controlText;
        if (!text.empty() && text.back() == '\n')
            text.pop_back();
        ui.Report(plan.controlFile + ":\n" + text);
        if (!options.dryRun && !(std::ofstream(plan.controlFile) << plan.controlText))
            return Fail("The file " + plan.controlFile + " could not be written.");
    }
    for (const Command& command : plan.makeImage)
        if (!run(command))
            return Fail(Text("strImageNotMadeInfo", "The disc image could not be made (%s failed).", command.program));

    if (!options.imagePath.empty()) {
        if (plan.kind == DiscKind::Image && !options.dryRun && !SaveImage(plan.image, options.imagePath, true))
            return Fail("The image could not be saved as " + options.imagePath + ".");
        ui.Report(Text("strImageSavedInfo", "The image is saved as %s", options.imagePath));
        return {0, {}, options.imagePath};
    }

    std::string device = options.device;
    if (device.empty()) {
        ui.Report("xorriso -devices");
        device = FirstWritableDrive(DevicesReport()).value_or("");
    }
    if (device.empty()) {
        ui.Report(Text("strNoDriveInfo", "No writable optical drive was found."));
        if (options.dryRun) {
            ui.Report("The image would be offered for saving instead.");
            return {};
        }
        if (plan.kind == DiscKind::Image)
            return Fail(
                Text("strImageStaysInfo", "No writable optical drive was found. The image stays at %s", plan.image));
        std::optional<std::string> target =
            ui.WhereToSave(fs::path(options.files.front()).replace_extension(".iso").string());
        if (!target)
            return {1, {}, {}};
        if (!SaveImage(plan.image, *target, false))
            return Fail("The image could not be saved as " + *target + " (an existing file is never replaced).");
        ui.Report(Text("strImageSavedInfo", "The image is saved as %s", *target));
        return {0, {}, *target};
    }
    if (!run(BurnCommand(plan.image, device)))
        return Fail(Text("strBurnFailedInfo", "Burning to %s failed.", device));
    return {};
}

} // namespace discora
