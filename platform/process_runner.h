#pragma once
// Starts programs with an argument list (never through a shell) and waits for them.

#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace platform {

struct ProcessOptions {
    bool pipeStdin = false;
    bool pipeStdout = false;
    bool pipeStderr = false;
    bool stdoutToStderr = false; // the child's standard output joins this process's standard error
    std::string workingFolder;   // empty: the caller's
};

class ChildProcess {
public:
    ChildProcess() = default;
    ~ChildProcess(); // kills and reaps a child that is still running
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // `program` without a "/" is looked up on PATH. On failure returns false and sets error().
    // The child is killed when the thread that started it ends, so that none outlives a killed
    // program.
    bool Start(const std::string& program, const std::vector<std::string>& args, const ProcessOptions& options = {});

    int stdinFd() const { return stdin_; }
    int stdoutFd() const { return stdout_; }
    int stderrFd() const { return stderr_; }
    bool WriteStdin(const std::string& text);
    // Waits for output and appends what came; false once the output has ended.
    bool ReadStdout(std::string& out);
    void CloseStdin();

    bool Signal(int signal) const;
    // The exit status once the child has ended (128 + signal number when killed), else nothing.
    std::optional<int> TryWait();
    int Wait();
    pid_t pid() const { return pid_; }
    bool running() const { return pid_ > 0 && !status_; }
    const std::string& error() const { return error_; }

private:
    void CloseAll();

    pid_t pid_ = -1;
    int stdin_ = -1;
    int stdout_ = -1;
    int stderr_ = -1;
    std::optional<int> status_;
    std::string error_;
};

// Runs a program and waits; returns its exit status, or -1 when it could not be started.
int RunAndWait(const std::string& program, const std::vector<std::string>& args);

// Runs a program, waits, and collects its standard output; nothing when it could not be started
// or ended with a non-zero status.
std::optional<std::string> RunAndCapture(const std::string& program, const std::vector<std::string>& args);

struct ProgramOutcome {
    int status = 0;     // the exit status (128 + signal number when killed)
    std::string errors; // what it wrote to standard error
};

// Runs a program, waits, and collects its standard error (its standard output stays ours);
// nothing when it could not be started.
std::optional<ProgramOutcome> RunAndCaptureErrors(const std::string& program, const std::vector<std::string>& args);

// Starts a program that outlives the call (a player, a burner, a file manager); it is not waited
// for and leaves no zombie. Returns false when it could not be started.
bool StartDetached(const std::string& program, const std::vector<std::string>& args);

// Full path of a program found on PATH (or the name itself when it holds a "/" and exists).
std::optional<std::string> FindProgram(const std::string& name);

} // namespace platform
