// discora: the burner program. "discora burn -f FILE... -t TYPE" burns the files with xorriso
// to the first writable optical drive; with no drive it offers to save the image instead.
// Without parameters it opens its window, where the user picks what to burn.
#include "adapters/discora/burn_job.h"
#include "adapters/discora/burn_plan.h"
#include "adapters/discora/burner_window.h"
#include "adapters/discora/save_prompt.h"
#include "platform/display.h"
#include "reelvane/frame/saved_language.h"

#include <QApplication>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

using namespace discora;

namespace {

class TerminalUi : public BurnUi {
public:
    void Report(const std::string& line) override
    {
        std::printf("%s\n", line.c_str());
        std::fflush(stdout);
    }
    std::optional<std::string> WhereToSave(const std::string& suggestion) override
    {
        return AskWhereToSave(suggestion);
    }
};

int OpenWindow(int argc, char** argv)
{
    QApplication application(argc, argv);
    BurnerWindow window;
    window.show();
    return application.exec();
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 2 && std::string(argv[1]) == "--version") {
        std::printf("discora %s\n", REELVANE_VERSION);
        return 0;
    }
    reelvane::SelectSavedLanguage();
    if (argc == 1) {
        // A platform named outright (offscreen, for one) needs no display.
        if (platform::DisplayPresent() || std::getenv("QT_QPA_PLATFORM"))
            return OpenWindow(argc, argv);
        std::fprintf(stderr, "discora: No display for the window; burn with the command \"burn\".\n\n%s",
                     UsageText().c_str());
        return 2;
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
    TerminalUi ui;
    const BurnOutcome outcome = RunBurn(parsed.options, ui);
    // On standard error: the program that started the burn shows it to the user.
    if (!outcome.error.empty())
        std::fprintf(stderr, "discora: %s\n", outcome.error.c_str());
    return outcome.status;
}
