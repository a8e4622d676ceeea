#include "reelvane/frame/saved_language.h"

#include "platform/program_folder.h"
#include "platform/settings_store.h"
#include "platform/system_language.h"
#include "reelvane/frame/language_table.h"

namespace reelvane {

void SelectSavedLanguage()
{
    platform::SettingsStore settings;
    LanguageTable& languages = Languages();
    languages.SetLanguageFolder(platform::DataFolder() +
                                settings.ReadString("languagefolder").value_or("/language/lumo/"));
    languages.SelectLanguage(
        settings.ReadString("language").value_or(languages.DefaultLanguageName(platform::SystemLanguageId())));
}

} // namespace reelvane
