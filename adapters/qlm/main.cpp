// qlm: opens a file in the desktop's media player, or starts that player without a file.
#include "platform/ini_file.h"
#include "platform/process_runner.h"
#include "platform/shell_open.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr char kUsage[] = "Usage: qlm [FILE]\n"
                          "       qlm --help | --version\n"
                          "Opens FILE in the desktop's media player; without a file, starts the player.\n";

std::vector<std::string> ApplicationFolders()
{
    std::vector<std::string> folders;
    const char* home = std::getenv("XDG_DATA_HOME");
    const char* user = std::getenv("HOME");
    folders.push_back(home && *home ? std::string(home) : std::string(user ? user : "") + "/.local/share");
    const char* dirs = std::getenv("XDG_DATA_DIRS");
    std::istringstream list(dirs && *dirs ? dirs : "/usr/local/share:/usr/share");
    for (std::string folder; std::getline(list, folder, ':');)
        if (!folder.empty())
            folders.push_back(folder);
    for (std::string& folder : folders)
        folder += "/applications/";
    return folders;
}

// The words of a desktop entry's Exec line, its field codes (%f, %U, ...) left out.
std::vector<std::string> ExecWords(const std::string& exec)
{
    std::vector<std::string> words;
    std::string word;
    bool quoted = false, any = false;
    for (std::size_t i = 0; i < exec.size(); ++i) {
        char c = exec[i];
        if (c == '"') {
            quoted = !quoted;
            any = true;
        } else if (c == '\\' && quoted && i + 1 < exec.size()) {
            word += exec[++i];
        } else if (c == ' ' && !quoted) {
            if (any && !(word.size() == 2 && word[0] == '%'))
                words.push_back(word);
            word.clear();
            any = false;
        } else {
            word += c;
            any = true;
        }
    }
    if (any && !(word.size() == 2 && word[0] == '%'))
        words.push_back(word);
    return words;
}

bool StartDefaultPlayer()
{
    auto entry = platform::RunAndCapture("xdg-mime", {"query", "default", "video/x-matroska"});
    std::string name = entry ? *entry : "";
    while (!name.empty() && (name.back() == '\n' || name.back() == ' '))
        name.pop_back();
    if (name.empty())
        return false;
    for (const std::string& folder : ApplicationFolders()) {
        if (std::error_code error; !fs::exists(folder + name, error))
            continue;
        std::vector<std::string> words = ExecWords(platform::ini::ReadString(folder + name, "Desktop Entry", "Exec"));
        if (words.empty())
            return false;
        return platform::StartDetached(words[0], std::vector<std::string>(words.begin() + 1, words.end()));
    }
    return false;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 2 && std::string(argv[1]) == "--version") {
        std::printf("qlm %s\n", REELVANE_VERSION);
        return 0;
    }
    if (argc > 2 || (argc == 2 && (std::string(argv[1]) == "--help" || std::string(argv[1]) == "-h"))) {
        std::fputs(kUsage, argc > 2 ? stderr : stdout);
        return argc > 2 ? 2 : 0;
    }
    if (argc == 2) {
        if (std::error_code error; !fs::exists(argv[1], error)) {
            std::fprintf(stderr, "qlm: the file %s does not exist.\n", argv[1]);
            return 1;
        }
        return platform::ShellOpen(argv[1]) ? 0 : 1;
    }
    if (!StartDefaultPlayer()) {
        std::fprintf(stderr, "qlm: no media player is set up for video files on this desktop.\n");
        return 1;
    }
    return 0;
}
