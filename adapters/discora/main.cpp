// discora: the burner program. "discora burn -f FILE... -t TYPE" burns the files with xorriso
// to the first writable optical drive; with no drive it offers to save the image instead.
#include "adapters/discora/burn_plan.h"
#include "adapters/discora/save_prompt.h"
#include "platform/file_moves.h"
#include "platform/process_runner.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using namespace discora;

namespace {

// Removes the work folder however the program ends.
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

int Fail(const std::string& message)
{
    std::fprintf(stderr, "discora: %s\n", message.c_str());
    return 1;
}

bool Run(const Command& command, bool dryRun)
{
    std::printf("%s\n", CommandLine(command).c_str());
    std::fflush(stdout);
    return dryRun || platform::RunAndWait(command.program, command.arguments) == 0;
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

} // namespace

int main(int argc, char** argv)
{
    if (argc == 2 && std::string(argv[1]) == "--version") {
        std::printf("discora %s\n", REELVANE_VERSION);
        return 0;
    }
    Parsed parsed = ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
    if (parsed.options.help) {
        std::fputs(UsageText().c_str(), stdout);
        return 0;
    }
    if (!parsed.error.empty()) {
        std::fprintf(stderr, "discora: %s\n\n%s", parsed.error.c_str(), UsageText().c_str());
        return 2;
    }
    const Options& options = parsed.options;
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
        std::printf("%s:\n%s", plan.controlFile.c_str(), plan.controlText.c_str());
        if (!options.dryRun && !(std::ofstream(plan.controlFile) << plan.controlText))
            return Fail("The file " + plan.controlFile + " could not be written.");
    }
    for (const Command& command : plan.makeImage)
        if (!Run(command, options.dryRun))
            return Fail("The disc image could not be made (" + command.program + " failed).");

    if (!options.imagePath.empty()) {
        if (plan.kind == DiscKind::Image && !options.dryRun && !SaveImage(plan.image, options.imagePath, true))
            return Fail("The image could not be saved as " + options.imagePath + ".");
        std::printf("The image is saved as %s\n", options.imagePath.c_str());
        return 0;
    }

    std::string device = options.device;
    if (device.empty()) {
        std::printf("xorriso -devices\n");
        if (auto report = platform::RunAndCapture("xorriso", {"-devices"}))
            device = FirstWritableDrive(*report).value_or("");
    }
    if (device.empty()) {
        std::printf("No writable optical drive was found.\n");
        if (options.dryRun) {
            std::printf("The image would be offered for saving instead.\n");
            return 0;
        }
        // On standard error too: the program that started the burn shows it to the user.
        if (plan.kind == DiscKind::Image)
            return Fail("No writable optical drive was found. The image stays at " + plan.image);
        std::optional<std::string> target =
            AskWhereToSave(fs::path(options.files.front()).replace_extension(".iso").string());
        if (!target)
            return 1;
        if (!SaveImage(plan.image, *target, false))
            return Fail("The image could not be saved as " + *target + " (an existing file is never replaced).");
        std::printf("The image is saved as %s\n", target->c_str());
        return 0;
    }
    if (!Run(BurnCommand(plan.image, device), options.dryRun))
        return Fail("Burning to " + device + " failed.");
    return 0;
}
