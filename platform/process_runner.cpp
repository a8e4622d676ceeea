#include "platform/process_runner.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace platform {
namespace {

int StatusToCode(int status)
{
    if (WIFEXITED(status))
        return WEXITSTATUS(status);
    if (WIFSIGNALED(status))
        return 128 + WTERMSIG(status);
    return -1;
}

void CloseFd(int& fd)
{
    if (fd >= 0)
        ::close(fd);
    fd = -1;
}

// Makes `fd` the child's descriptor `target`, open across exec.
bool MoveTo(int fd, int target)
{
    if (fd == target)
        return ::fcntl(fd, F_SETFD, 0) == 0;
    return ::dup2(fd, target) == target;
}

} // namespace

std::optional<std::string> FindProgram(const std::string& name)
{
    if (name.empty())
        return std::nullopt;
    if (name.find('/') != std::string::npos)
        return ::access(name.c_str(), X_OK) == 0 ? std::optional<std::string>(name) : std::nullopt;
    const char* path = std::getenv("PATH");
    std::string dirs = path ? path : "/usr/local/bin:/usr/bin:/bin";
    std::size_t start = 0;
    while (start <= dirs.size()) {
        std::size_t end = dirs.find(':', start);
        std::string dir = dirs.substr(start, end == std::string::npos ? std::string::npos : end - start);
        std::string candidate = (dir.empty() ? std::string(".") : dir) + "/" + name;
        struct stat st;
        if (::stat(candidate.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::access(candidate.c_str(), X_OK) == 0)
            return candidate;
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    return std::nullopt;
}

ChildProcess::~ChildProcess()
{
    if (running()) {
        Signal(SIGKILL);
        Wait();
    }
    CloseAll();
}

void ChildProcess::CloseAll()
{
    CloseFd(stdin_);
    CloseFd(stdout_);
    CloseFd(stderr_);
}

bool ChildProcess::Start(const std::string& program, const std::vector<std::string>& args,
                         const ProcessOptions& options)
{
    std::optional<std::string> resolved = FindProgram(program);
    if (!resolved) {
        error_ = "program not found: " + program;
        return false;
    }
    int in[2] = {-1, -1}, out[2] = {-1, -1}, err[2] = {-1, -1};
    auto closePipes = [&] {
        for (int* p : {in, out, err})
            for (int i = 0; i < 2; ++i)
                if (p[i] >= 0)
                    ::close(p[i]);
    };
    if ((options.pipeStdin && ::pipe2(in, O_CLOEXEC) != 0) || (options.pipeStdout && ::pipe2(out, O_CLOEXEC) != 0) ||
        (options.pipeStderr && ::pipe2(err, O_CLOEXEC) != 0)) {
        error_ = std::string("cannot create pipes: ") + std::strerror(errno);
        closePipes();
        return false;
    }

    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);

    // The child reports a failed start through this pipe; exec closes it on success.
    int report[2] = {-1, -1};
    if (::pipe2(report, O_CLOEXEC) != 0) {
        error_ = std::string("cannot create pipes: ") + std::strerror(errno);
        closePipes();
        return false;
    }
    const pid_t parent = ::getpid();
    const pid_t pid = ::fork();
    const int forkError = errno;
    if (pid == 0) {
        // Only async-signal-safe calls from here: the parent may have other threads.
        // The child dies with this process, so that no engine runs on after a kill.
        int failure = 0;
        if (::prctl(PR_SET_PDEATHSIG, SIGKILL) != 0 || ::getppid() != parent)
            failure = ESRCH;
        int devNull = -1;
        if (!failure && !options.pipeStdin && (devNull = ::open("/dev/null", O_RDONLY | O_CLOEXEC)) < 0)
            failure = errno;
        if (!failure &&
            (!MoveTo(options.pipeStdin ? in[0] : devNull, 0) || (options.pipeStdout && !MoveTo(out[1], 1)) ||
             (options.pipeStderr && !MoveTo(err[1], 2)) || (options.stdoutToStderr && !MoveTo(2, 1))))
            failure = errno;
        if (!failure && !options.workingFolder.empty() && ::chdir(options.workingFolder.c_str()) != 0)
            failure = errno;
        if (!failure) {
            ::execve(resolved->c_str(), argv.data(), environ);
            failure = errno;
        }
        ssize_t ignored = ::write(report[1], &failure, sizeof failure);
        (void)ignored;
        ::_exit(127);
    }
    ::close(report[1]);
    int failure = pid < 0 ? forkError : 0;
    if (pid > 0) {
        ssize_t n;
        do
            n = ::read(report[0], &failure, sizeof failure);
        while (n < 0 && errno == EINTR);
        if (n != sizeof failure)
            failure = 0;
    }
    ::close(report[0]);
    if (failure != 0) {
        if (pid > 0)
            while (::waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
            }
        error_ = "cannot start " + program + ": " + std::strerror(failure);
        closePipes();
        return false;
    }
    pid_ = pid;
    status_.reset();
    CloseFd(in[0]);
    CloseFd(out[1]);
    CloseFd(err[1]);
    stdin_ = in[1];
    stdout_ = out[0];
    stderr_ = err[0];
    return true;
}

bool ChildProcess::WriteStdin(const std::string& text)
{
    std::size_t done = 0;
    while (stdin_ >= 0 && done < text.size()) {
        ssize_t n = ::write(stdin_, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += static_cast<std::size_t>(n);
    }
    return stdin_ >= 0;
}

void ChildProcess::CloseStdin()
{
    CloseFd(stdin_);
}

bool ChildProcess::Signal(int signal) const
{
    return running() && ::kill(pid_, signal) == 0;
}

std::optional<int> ChildProcess::TryWait()
{
    if (status_ || pid_ <= 0)
        return status_;
    int status = 0;
    pid_t r = ::waitpid(pid_, &status, WNOHANG);
    if (r == pid_)
        status_ = StatusToCode(status);
    return status_;
}

int ChildProcess::Wait()
{
    if (status_ || pid_ <= 0)
        return status_.value_or(-1);
    int status = 0;
    pid_t r;
    do
        r = ::waitpid(pid_, &status, 0);
    while (r < 0 && errno == EINTR);
    status_ = r == pid_ ? StatusToCode(status) : -1;
    return *status_;
}

int RunAndWait(const std::string& program, const std::vector<std::string>& args)
{
    ChildProcess child;
    if (!child.Start(program, args))
        return -1;
    return child.Wait();
}

bool ChildProcess::ReadStdout(std::string& out)
{
    char buffer[65536];
    for (;;) {
        ssize_t n = ::read(stdout_, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        out.append(buffer, static_cast<std::size_t>(n));
        return true;
    }
}

std::optional<std::string> RunAndCapture(const std::string& program, const std::vector<std::string>& args)
{
    ChildProcess child;
    ProcessOptions options;
    options.pipeStdout = true;
    if (!child.Start(program, args, options))
        return std::nullopt;
    std::string out;
    while (child.ReadStdout(out)) {
    }
    if (child.Wait() != 0)
        return std::nullopt;
    return out;
}

std::optional<ProgramOutcome> RunAndCaptureErrors(const std::string& program, const std::vector<std::string>& args)
{
    ChildProcess child;
    ProcessOptions options;
    options.pipeStderr = true;
    if (!child.Start(program, args, options))
        return std::nullopt;
    ProgramOutcome outcome;
    char buffer[4096];
    for (;;) {
        ssize_t n = ::read(child.stderrFd(), buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        outcome.errors.append(buffer, static_cast<std::size_t>(n));
    }
    outcome.status = child.Wait();
    return outcome;
}

bool StartDetached(const std::string& program, const std::vector<std::string>& args)
{
    // A short-lived middle process starts the program and exits at once, so the program is
    // adopted by init and never becomes our zombie.
    std::optional<std::string> resolved = FindProgram(program);
    if (!resolved)
        return false;
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);

    int report[2];
    if (::pipe2(report, O_CLOEXEC) != 0)
        return false;
    pid_t middle = ::fork();
    if (middle < 0) {
        ::close(report[0]);
        ::close(report[1]);
        return false;
    }
    if (middle == 0) {
        ::setsid();
        pid_t pid = -1;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
        int rc = ::posix_spawn(&pid, resolved->c_str(), &actions, nullptr, argv.data(), environ);
        char ok = rc == 0 ? 1 : 0;
        ssize_t ignored = ::write(report[1], &ok, 1);
        (void)ignored;
        ::_exit(0);
    }
    ::close(report[1]);
    char ok = 0;
    ssize_t n;
    do
        n = ::read(report[0], &ok, 1);
    while (n < 0 && errno == EINTR);
    ::close(report[0]);
    int status = 0;
    while (::waitpid(middle, &status, 0) < 0 && errno == EINTR) {
    }
    return n == 1 && ok == 1;
}

} // namespace platform
