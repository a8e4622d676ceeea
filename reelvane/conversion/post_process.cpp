#include "reelvane/conversion/post_process.h"

#include "platform/own_file.h"
#include "platform/process_runner.h"
#include "reelvane/conversion/checked_format.h"
#include "reelvane/frame/language_table.h"

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

std::optional<std::string> RunPostProcess(const ProfileSettings& settings, const std::string& programFolder,
                                          const std::string& outputPath)
{
    std::vector<std::string> words = PostProcessArguments(settings.PostProcess, programFolder, outputPath);
    if (words.empty())
        return std::nullopt;
    if (!platform::IsTrustedFile(settings.iniPath, true))
        return FillText(LookupText("RUN_INFO", "strUntrustedCommandInfo",
                                   "The post-process command in %s is not run: the file belongs to another user or "
                                   "others may change it."),
                        {settings.iniPath});
    platform::ChildProcess child;
    platform::ProcessOptions options;
    options.stdoutToStderr = true;
    if (words[0].empty() || !child.Start(words[0], std::vector<std::string>(words.begin() + 1, words.end()), options))
        return FillText(LookupText("RUN_INFO", "strPostProcessStartInfo",
                                   "The post-process program %s could not be started."),
                        {words[0]});
    if (const int status = child.Wait(); status != 0)
        return FillText(LookupText("RUN_INFO", "strPostProcessFailedInfo",
                                   "The post-process program %s ended with status %d."),
                        {words[0], std::to_string(status)});
    return std::nullopt;
}

} // namespace reelvane
