#include "platform/shell_open.h"

#include "platform/process_runner.h"

#include <filesystem>

namespace platform {
namespace {

// file:// address with every byte outside the unreserved set percent-encoded.
std::string FileUri(const std::string& path)
{
    static const char hex[] = "0123456789ABCDEF";
    std::string uri = "file://";
    for (unsigned char c : path) {
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '/' || c == '-' ||
            c == '_' || c == '.' || c == '~')
            uri += static_cast<char>(c);
        else {
            uri += '%';
            uri += hex[c >> 4];
            uri += hex[c & 15];
        }
    }
    return uri;
}

} // namespace

bool ShellOpen(const std::string& target)
{
    return StartDetached("xdg-open", {target});
}

bool ShowInFileManager(const std::string& path)
{
    std::error_code ec;
    std::string absolute = std::filesystem::absolute(path, ec).string();
    if (FindProgram("dbus-send")) {
        int rc = RunAndWait("dbus-send",
                            {"--session", "--print-reply", "--dest=org.freedesktop.FileManager1", "--type=method_call",
                             "/org/freedesktop/FileManager1", "org.freedesktop.FileManager1.ShowItems",
                             "array:string:" + FileUri(absolute), "string:"});
        if (rc == 0)
            return true;
    }
    std::filesystem::path p(absolute);
    return ShellOpen(std::filesystem::is_directory(p, ec) ? absolute : p.parent_path().string());
}

} // namespace platform
