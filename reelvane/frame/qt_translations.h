#pragma once
// Qt's own texts (the standard buttons of every question, its file and colour dialogs) in the
// language of the chosen language pack.

#include <string>

namespace reelvane {

// The Qt locale name of a language pack file ("german.ini" is "de"); empty for a pack Qt has no
// translation for, which keeps Qt's English.
std::string QtLocaleOfPack(const std::string& packFile);

// Replaces Qt's translation by the one for the pack; true when one was loaded.
bool SwitchQtTranslations(const std::string& packFile);

} // namespace reelvane
