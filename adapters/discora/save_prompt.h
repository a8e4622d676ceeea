#pragma once
#include <optional>
#include <string>

namespace discora {

// Asks where the image shall be saved: on the terminal, else in a dialog when a display is
// there. Nothing when the user declines or nobody can be asked.
std::optional<std::string> AskWhereToSave(const std::string& suggestion);

} // namespace discora
