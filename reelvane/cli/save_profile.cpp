#include "reelvane/cli/save_profile.h"

#include "platform/program_folder.h"
#include "platform/settings_store.h"
#include "platform/system_language.h"
#include "reelvane/frame/language_table.h"
#include "reelvane/frame/startup_settings.h"
#include "reelvane/profiles/option_rules.h"
#include "reelvane/profiles/profile_folders.h"

#include <cstdio>
#include <filesystem>
#include <optional>
#include <utility>

namespace reelvane {
namespace {

// The name is given once: a name that is taken ends the save instead of asking again.
class CommandLineSaveUi : public OptionSaveUi {
public:
    explicit CommandLineSaveUi(std::string name) : name_(std::move(name)) {}
    std::optional<std::string> AskProfileName(const std::string&) override { return std::exchange(name_, {}); }
    void ShowMessage(const std::string& text) override { std::fprintf(stderr, "reelvane: %s\n", text.c_str()); }

private:
    std::optional<std::string> name_;
};

} // namespace

int SaveProfileAs(const std::string& name, const ProfileSettings& picked)
{
    platform::SettingsStore settings;
    LoadStartupSettings(settings, platform::DataFolder(), Languages(), platform::SystemLanguageId());
    const ProfileFolders folders = UserProfileFolders();
    CommandLineSaveUi ui(name);
    ConversionTask task;
    if (!ConfirmOptions(task, picked, SaveChoice::SaveAsNew, folders, ui))
        return 1;
    const std::string file = std::filesystem::path(task.settings.iniPath).filename().string();
    if (!folders.RememberChoice(file, name, 1)) {
        ui.ShowMessage(folders.ChoiceFailedText());
        return 1;
    }
    std::printf("%s:%s\n", file.c_str(), name.c_str());
    return 0;
}

} // namespace reelvane
