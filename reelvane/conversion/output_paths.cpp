#include "reelvane/conversion/output_paths.h"

#include "platform/file_moves.h"
#include "reelvane/conversion/engine_arguments.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace reelvane {
namespace fs = std::filesystem;
namespace {

constexpr char kPartialMark[] = ".partial-";
// "." + kPartialMark + process id + "-" + counter, at their longest.
constexpr std::size_t kPartialMarks = 1 + sizeof kPartialMark - 1 + 10 + 1 + 10;
constexpr std::size_t kOutputNameLimit = NAME_MAX - kPartialMarks;

std::atomic<unsigned> partialCounter{0};

enum class Name { Free, Taken, Unknown };

Name Probe(const fs::path& path, std::string& problem)
{
    struct stat st;
    if (::lstat(path.c_str(), &st) == 0)
        return Name::Taken;
    if (errno == ENOENT)
        return Name::Free;
    problem = std::strerror(errno);
    return Name::Unknown;
}

// At most `limit` bytes of `text`, never ending inside a UTF-8 sequence.
std::string Cut(const std::string& text, std::size_t limit)
{
    if (text.size() <= limit)
        return text;
    std::size_t end = limit;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80)
        --end;
    return text.substr(0, end);
}

// `stem` + `tail`, the stem shortened so that the name takes at most `limit` bytes.
std::string FitName(const std::string& stem, const std::string& tail, std::size_t limit)
{
    return Cut(stem, limit > tail.size() ? limit - tail.size() : 0) + tail;
}

bool IsDigits(std::string_view text)
{
    return !text.empty() && text.find_first_not_of("0123456789") == std::string_view::npos;
}

// The process id in a partial name ("." stem kPartialMark pid "-" n extension), or 0.
pid_t PartialOwner(const std::string& name)
{
    const std::size_t mark = name.rfind(kPartialMark);
    if (name.size() < 2 || name[0] != '.' || mark == std::string::npos || mark == 0)
        return 0;
    std::string_view rest = std::string_view(name).substr(mark + sizeof kPartialMark - 1);
    const std::size_t dash = rest.find('-');
    if (dash == std::string_view::npos || !IsDigits(rest.substr(0, dash)) || dash > 9)
        return 0;
    std::string_view tail = rest.substr(dash + 1);
    const std::size_t dot = tail.find('.');
    if (!IsDigits(tail.substr(0, dot)) || (dot != std::string_view::npos && tail.find('.', dot + 1) != tail.npos))
        return 0;
    return static_cast<pid_t>(std::stol(std::string(rest.substr(0, dash))));
}

} // namespace

std::optional<std::string> UniqueOutputPath(const std::string& destination, const std::string& baseName,
                                            std::string& problem, const std::set<std::string>& reserved)
{
    const fs::path target(destination);
    const std::string extension = target.extension().string();
    fs::path candidate = target.parent_path() / FitName(target.stem().string(), extension, kOutputNameLimit);
    for (int n = 1;; ++n) {
        switch (reserved.contains(candidate.string()) ? Name::Taken : Probe(candidate, problem)) {
        case Name::Free: return candidate.string();
        case Name::Unknown: return std::nullopt;
        case Name::Taken: break;
        }
        candidate =
            target.parent_path() / FitName(baseName, " (" + std::to_string(n) + ")" + extension, kOutputNameLimit);
    }
}

std::optional<std::string> PartialOutputPath(const std::string& destination, std::string& problem)
{
    const fs::path target(destination);
    for (;;) {
        const std::string marks = kPartialMark + std::to_string(::getpid()) + "-" + std::to_string(partialCounter++) +
                                  target.extension().string();
        fs::path candidate = target.parent_path() / ("." + FitName(target.stem().string(), marks, NAME_MAX - 1));
        switch (Probe(candidate, problem)) {
        case Name::Free: return candidate.string();
        case Name::Unknown: return std::nullopt;
        case Name::Taken: break;
        }
    }
}

void RemoveStalePartials(const std::string& folder)
{
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const pid_t owner = PartialOwner(it->path().filename().string());
        std::error_code typeError;
        if (owner > 0 && owner != ::getpid() && ::kill(owner, 0) != 0 && errno == ESRCH &&
            it->symlink_status(typeError).type() == fs::file_type::regular) {
            std::error_code removeError;
            fs::remove(it->path(), removeError);
        }
    }
}

bool IsPlainExtension(const std::string& type)
{
    return !type.empty() && type.find('/') == std::string::npos && type.find("..") == std::string::npos;
}

bool PathFitsEngine(const std::string& path)
{
    return path.size() <= kEnginePathEntryLimit && fs::path(path).filename().string().size() <= NAME_MAX;
}

std::optional<std::string> CommitOutput(const std::string& partial, const std::string& destination,
                                        const std::string& baseName, const std::set<std::string>& reserved)
{
    std::string target = destination;
    for (int attempt = 0; attempt < 1000; ++attempt) {
        if (platform::RenameNoReplace(partial, target) == 0)
            return target;
        std::string problem;
        auto next = errno == EEXIST ? UniqueOutputPath(destination, baseName, problem, reserved) : std::nullopt;
        if (!next)
            break;
        target = *next;
    }
    std::error_code ec;
    fs::remove(partial, ec);
    return std::nullopt;
}

} // namespace reelvane
