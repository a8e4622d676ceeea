#pragma once
#include <string>

namespace platform {

// Opens a web page, file or folder with the desktop's default handler (xdg-open).
bool ShellOpen(const std::string& target);

// Shows a file selected in the desktop's file manager (FileManager1.ShowItems over D-Bus),
// else opens its folder.
bool ShowInFileManager(const std::string& path);

} // namespace platform
