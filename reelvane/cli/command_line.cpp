#include "reelvane/cli/command_line.h"

#include "platform/program_folder.h"
#include "platform/settings_store.h"
#include "platform/system_language.h"
#include "reelvane/cli/save_profile.h"
#include "reelvane/cli/terminal_observer.h"
#include "reelvane/cli/trim_arguments.h"
#include "reelvane/conversion/audio_layout.h"
#include "reelvane/conversion/conversion_driver.h"
#include "reelvane/conversion/run_settings.h"
#include "reelvane/conversion/run_status.h"
#include "reelvane/frame/language_table.h"
#include "reelvane/frame/program_info.h"
#include "reelvane/frame/startup_settings.h"
#include "reelvane/profiles/profile_folders.h"
#include "reelvane/tasks/desktop_session.h"
#include "reelvane/tasks/conversion_session.h"
#include "reelvane/tasks/task_rules.h"

#include <QCoreApplication>
#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <algorithm>
#include <optional>
#include <sstream>
#include <strings.h>

namespace reelvane {
namespace fs = std::filesystem;
namespace {

constexpr char kUsage[] =
    "Usage: reelvane                       start the window\n"
    "       reelvane --convert [OPTIONS] FILES...\n"
    "       reelvane --save-profile-as NAME [--profile FILE.ini:SECTION]\n"
    "                                    save the profile under a new name and choose it\n"
    "       reelvane --list-profiles | --help | --version\n"
    "\n"
    "  --profile FILE.ini:SECTION   the profile (a section alone when only one file has it);\n"
    "                               default: the profile chosen last\n"
    "  --output DIR                 the output folder (default: the settings' output folder)\n"
    "  --merge                      join every file into one output\n"
    "  --split CHOICE               the medium to split for, as the profile offers it:\n"
    "                               \"DVD-5 (4.7GB)\", \"DVD-9 (8.5GB)\", \"BD-25 (25GB)\", \"BD-50 (50GB)\",\n"
    "                               \"No split\" (or DVD-5, DVD-9, BD-25, BD-50, none)\n"
    "  --split-size MB              split at a custom size in megabytes (0 to 100000)\n"
    "  --audio 1,2                  the audio tracks to keep, counted from 1 (default: the first)\n"
    "  --subtitle FILE              burn this subtitle file into every output\n"
    "  --start TIME, --end TIME     convert every file from / up to this time (hh:mm:ss.mmm,\n"
    "                               mm:ss.mmm or seconds; default: the whole file)\n"
    "  --burn                       answer yes when the burner is offered (default: no)\n"
    "  --jobs N                     convert N tasks at once (default: the setting, automatic:\n"
    "                               as many as keep the processors busy); \"auto\" for automatic\n"
    "  --copy-fitting, --re-encode  copy the streams that already fit the profile, or re-encode\n"
    "                               every stream (default: the setting, copying)\n"
    "  --json                       one JSON object per line instead of the progress bar\n"
    "\n"
    "Exit status: 0 every task (and the disc step) succeeded, 1 something failed, 2 usage error.\n";

std::atomic<bool> interrupted{false};

// Ctrl+C, `kill` and a closed terminal all cancel the run the same way.
constexpr int kStopSignals[] = {SIGINT, SIGTERM, SIGHUP};

extern "C" void OnInterrupt(int signal)
{
    interrupted = true;
    std::signal(signal, SIG_DFL); // a second one ends the program at once
}

void HandleStopSignals(void (*handler)(int))
{
    for (int signal : kStopSignals)
        std::signal(signal, handler);
}

int Usage(const std::string& problem)
{
    std::fprintf(stderr, "reelvane: %s\n\n%s", problem.c_str(), kUsage);
    return 2;
}

bool SameText(const std::string& a, const std::string& b)
{
    return strcasecmp(a.c_str(), b.c_str()) == 0;
}

struct ProfileChoice {
    std::string path;
    std::string section;
};

// "FILE.ini:SECTION", or a section that only one profile file has.
std::optional<ProfileChoice> FindProfile(const std::string& text, std::string& problem)
{
    const ProfileFolders folders = UserProfileFolders();
    std::string lower = text;
    for (char& c : lower)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (std::size_t at = lower.find(".ini:"); at != std::string::npos) {
        std::string file = text.substr(0, at + 4);
        std::string path = file.find('/') == std::string::npos ? folders.PathOf(file) : file;
        std::string section = text.substr(at + 5);
        for (const std::string& name : ProfileSectionNames(path))
            if (SameText(name, section))
                return ProfileChoice{path, name};
        problem = "The profile file " + path + " has no profile \"" + section + "\".";
        return std::nullopt;
    }
    std::vector<ProfileChoice> found;
    for (const std::string& file : folders.Files())
        for (const std::string& name : ProfileSectionNames(folders.PathOf(file)))
            if (SameText(name, text))
                found.push_back({folders.PathOf(file), name});
    if (found.size() == 1)
        return found.front();
    if (found.empty())
        problem = "No profile is named \"" + text + "\" (see --list-profiles).";
    else
        problem = "Several profile files have a profile \"" + text + "\"; name it as FILE.ini:SECTION.";
    return std::nullopt;
}

std::optional<std::string> SplitChoice(const std::string& text, const SplitChoices& offered)
{
    for (const std::string& entry : offered.entries) {
        std::string shortName = entry.substr(0, entry.find(" ("));
        if (SameText(text, entry) || SameText(text, shortName) || (SameText(text, "none") && entry == kNoSplit))
            return entry;
    }
    return std::nullopt;
}

std::optional<std::vector<int>> TrackNumbers(const std::string& text)
{
    std::vector<int> numbers;
    std::istringstream list(text);
    for (std::string item; std::getline(list, item, ',');) {
        char* end = nullptr;
        long n = std::strtol(item.c_str(), &end, 10);
        if (item.empty() || *end != '\0' || n < 1 || n > 64)
            return std::nullopt;
        numbers.push_back(static_cast<int>(n));
    }
    if (numbers.empty())
        return std::nullopt;
    return numbers;
}

int ListProfiles()
{
    const ProfileFolders folders = UserProfileFolders();
    for (const std::string& file : folders.Files())
        for (const std::string& section : ProfileSectionNames(folders.PathOf(file))) {
            ProfileSettings s = EmptyProfileSettings();
            ReadProfile(section, s, folders.PathOf(file));
            std::printf("%s:%s\t%s\n", file.c_str(), section.c_str(), s.FormatHint);
        }
    return 0;
}

struct Arguments {
    std::string profile;
    std::string output;
    bool merge = false;
    std::string split;
    std::optional<int64_t> splitSize;
    std::vector<int> audio;
    std::string subtitle;
    bool burn = false;
    bool json = false;
    std::optional<int> jobs; // kAutomaticJobs for "auto"
    std::optional<bool> copyFitting;
    TrimArguments trim;
    std::vector<std::string> files;
};

// The chosen profile, or the one named; false (with the problem) when none is found.
bool PickProfile(const std::string& named, ProfileSettings& profile, std::string& problem)
{
    if (named.empty()) {
        LoadChosenProfile(UserProfileFolders(), profile);
        return true;
    }
    auto choice = FindProfile(named, problem);
    if (!choice)
        return false;
    ReadProfile(choice->section, profile, choice->path);
    SetText(profile.iniPath, choice->path);
    return true;
}

int Convert(const Arguments& a)
{
    platform::SettingsStore settings;
    const StartupSettings startup =
        LoadStartupSettings(settings, platform::DataFolder(), Languages(), platform::SystemLanguageId());

    std::string output = a.output.empty() ? startup.outputFolder : a.output;
    if (output.back() != '/')
        output += '/';
    std::error_code ec;
    fs::create_directories(output, ec);
    if (std::error_code typeError; !fs::is_directory(output, typeError))
        return Usage("The output folder " + output + " cannot be made: " + (typeError ? typeError : ec).message() +
                     ".");
    output = fs::absolute(output, ec).string();
    if (ec)
        return Usage("The output folder " + output + " cannot be found: " + ec.message() + ".");
    ConversionSession session(UserProfileFolders(), output);

    session.LoadChosenProfile();
    if (!a.profile.empty()) {
        std::string problem;
        auto choice = FindProfile(a.profile, problem);
        if (!choice)
            return Usage(problem);
        session.UseProfile(choice->path, choice->section);
    }
    const ProfileSettings& profile = session.currentProfile();
    if (!profile.TargetType[0])
        return Usage("The profile " + std::string(profile.profileName) + " names no output type.");

    const SplitChoices& offered = session.splitChoices();
    if (a.splitSize) {
        if (!session.SetSplitChoice(kCustomSplit))
            return Usage("This profile offers no custom split size.");
        if (*a.splitSize < 0 || *a.splitSize > 100000)
            return Usage("--split-size takes 0 to 100000 megabytes.");
        session.SetCustomSplitMegabytes(*a.splitSize);
    } else if (!a.split.empty()) {
        auto chosen = SplitChoice(a.split, offered);
        if (!chosen) {
            std::string list;
            for (const std::string& entry : offered.entries)
                list += (list.empty() ? "" : ", ") + entry;
            return Usage("This profile offers the split choices " + list + ".");
        }
        session.SetSplitChoice(*chosen);
    }
    session.SetMerge(a.merge);
    const RunSettings run = ReadRunSettings(settings);
    session.SetRunSettings({a.jobs.value_or(run.jobs), a.copyFitting.value_or(run.copyFitting)});
    if (!a.subtitle.empty()) {
        if (auto problem = SourceFileProblem(a.subtitle))
            return Usage(*problem);
        if (!std::ifstream(a.subtitle, std::ios::binary))
            return Usage("Cannot open subtitle file " + a.subtitle);
    }

    TaskList tasks;
    for (const std::string& file : a.files) {
        if (std::error_code missing; fs::symlink_status(file, missing).type() == fs::file_type::not_found)
            return Usage("The file " + file + " does not exist.");
        if (auto problem = SourceFileProblem(file))
            return Usage(*problem);
        const std::string source = fs::absolute(file, ec).string();
        if (ec)
            return Usage("The file " + file + " cannot be found: " + ec.message() + ".");
        std::unique_ptr<ConversionTask> task = session.NewTask(source);
        if (!a.audio.empty()) {
            for (AudioTrackEntry& entry : task->probed.audioTracks)
                entry.selected = 0;
            for (int number : a.audio) {
                if (number > static_cast<int>(task->probed.audioTracks.size()))
                    return Usage("The file " + file + " has no audio track " + std::to_string(number) + ".");
                task->probed.audioTracks[number - 1].selected = 1;
            }
            if (auto problem = AudioTrackProblem(task->settings, task->probed))
                return Usage(*problem);
        }
        if (auto problem = ApplyTrimArguments(a.trim, *task))
            return Usage(*problem);
        task->subtitlePath = a.subtitle.empty() ? std::string() : fs::absolute(a.subtitle, ec).string();
        tasks.Add(std::move(task));
    }
    RunRequest request = session.BuildRunRequest(tasks, platform::ProgramFolder());

    TerminalObserver observer(a.json, a.burn, interrupted);
    HandleStopSignals(OnInterrupt);
    RunSummary summary;
    {
        SleepInhibitor awake("Converting videos");
        ConversionDriver driver(observer);
        summary = driver.Run(std::move(request));
    }
    HandleStopSignals(SIG_DFL);
    const int code = summary.Succeeded() ? 0 : 1;
    observer.Finish(code, summary.Count(TaskState::Finished), summary.Count(TaskState::Failed), summary.cancelled,
                    summary.discResult);
    return code;
}

} // namespace

int RunCommandLine(int argc, char** argv)
{
    if (argc < 2)
        return -1;
    const std::string first = argv[1];
    if (first == "--help" || first == "-h") {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (first == "--version") {
        std::printf("Reelvane %s\n", kVersionText);
        return 0;
    }
    if (first == "--list-profiles")
        return ListProfiles();
    if (first == "--save-profile-as") {
        if (argc == 3 || (argc == 5 && std::strcmp(argv[3], "--profile") == 0)) {
            ProfileSettings picked = EmptyProfileSettings();
            if (std::string problem; !PickProfile(argc == 5 ? argv[4] : "", picked, problem))
                return Usage(problem);
            return SaveProfileAs(argv[2], picked);
        }
        return Usage("--save-profile-as takes a name and, optionally, --profile FILE.ini:SECTION.");
    }
    if (first != "--convert")
        return first.starts_with("-") ? Usage("Unknown option " + first) : -1;

    Arguments a;
    for (int i = 2; i < argc; ++i) {
        const std::string word = argv[i];
        auto value = [&]() -> const char* { return i + 1 < argc ? argv[++i] : nullptr; };
        if (word == "--merge") {
            a.merge = true;
        } else if (word == "--burn") {
            a.burn = true;
        } else if (word == "--json") {
            a.json = true;
        } else if (word == "--copy-fitting" || word == "--re-encode") {
            a.copyFitting = word == "--copy-fitting";
        } else if (word == "--jobs") {
            const char* v = value();
            char* end = nullptr;
            const long jobs = v ? std::strtol(v, &end, 10) : 0;
            if (v && std::strcmp(v, "auto") == 0)
                a.jobs = kAutomaticJobs;
            else if (!v || !*v || *end || jobs < 1 || jobs > 256)
                return Usage("--jobs takes a number of tasks from 1 to 256, or auto.");
            else
                a.jobs = static_cast<int>(jobs);
        } else if (word == "--start" || word == "--end") {
            if (auto problem = ReadTrimArgument(word, value(), a.trim))
                return Usage(*problem);
        } else if (word == "--profile" || word == "--output" || word == "--split" || word == "--subtitle" ||
                   word == "--split-size" || word == "--audio") {
            const char* v = value();
            if (!v)
                return Usage(word + " needs a value.");
            if (word == "--profile")
                a.profile = v;
            else if (word == "--output")
                a.output = v;
            else if (word == "--split")
                a.split = v;
            else if (word == "--subtitle")
                a.subtitle = v;
            else if (word == "--split-size") {
                char* end = nullptr;
                long long mb = std::strtoll(v, &end, 10);
                if (!*v || *end)
                    return Usage("--split-size takes a number of megabytes.");
                a.splitSize = mb;
            } else {
                auto numbers = TrackNumbers(v);
                if (!numbers)
                    return Usage("--audio takes track numbers from 1, separated by commas.");
                a.audio = *numbers;
            }
        } else if (word == "--") {
            a.files.insert(a.files.end(), argv + i + 1, argv + argc);
            break;
        } else if (word.starts_with("--")) {
            return Usage("Unknown option " + word);
        } else {
            a.files.push_back(word);
        }
    }
    if (!a.split.empty() && a.splitSize)
        return Usage("--split and --split-size exclude each other.");
    // A merged run joins the files whole.
    if (a.merge && a.files.size() >= 2 && (a.trim.start || a.trim.end))
        return Usage("--start and --end trim each file on its own; they cannot be used with --merge.");
    if (a.files.empty())
        return Usage("No file to convert.");
    int argcCopy = 1;
    QCoreApplication application(argcCopy, argv); // the desktop session is reached over D-Bus
    return Convert(a);
}

} // namespace reelvane
