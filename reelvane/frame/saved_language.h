#pragma once
// The program's helpers (the burner, the subtitle style dialog) speak the language the user chose
// in the program: the pack named in the shared settings, or the system's.

namespace reelvane {

void SelectSavedLanguage();

} // namespace reelvane
