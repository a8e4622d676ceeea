#include "reelvane/conversion/post_process.h"

#include "platform/process_runner.h"

namespace reelvane {

std::vector<std::string> PostProcessArguments(const std::string& command, const std::string& programFolder,
                                              const std::string& outputPath)
{
    std::vector<std::string> words;
    std::size_t i = 0;
    while (i < command.size()) {
        if (command[i] == ' ') {
            ++i;
            continue;
        }
        std::string word;
        if (command[i] == '"') {
            std::size_t end = command.find('"', i + 1);
            if (end == std::string::npos)
                end = command.size();
            word = command.substr(i + 1, end - i - 1);
            i = end + 1;
        } else { // an unquoted word runs to the next blank
            std::size_t end = command.find(' ', i);
            if (end == std::string::npos)
                end = command.size();
            word = command.substr(i, end - i);
            i = end;
        }
        if (std::size_t at = word.find("./"); at != std::string::npos)
            word.replace(at, 2, programFolder + "/");
        else if (std::size_t out = word.find("%out"); out != std::string::npos)
            word.replace(out, 4, outputPath);
        words.push_back(word);
    }
    return words;
}

int RunPostProcess(const std::string& command, const std::string& programFolder, const std::string& outputPath)
{
    std::vector<std::string> words = PostProcessArguments(command, programFolder, outputPath);
    if (words.empty() || words[0].empty())
        return -1;
    std::vector<std::string> arguments(words.begin() + 1, words.end());
    return platform::RunAndWait(words[0], arguments);
}

} // namespace reelvane
