#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <stdexcept>

#include "support/processes.h"

namespace {

constexpr uid_t kNobody = 65534;

void Check(bool ok, const char* what) {
    if (!ok)
        throw std::runtime_error(what);
}

// An unnamed file that a child writes and the parent reads once the child has ended, so nothing
// can stall on a full pipe.
int UnnamedFile() {
    const int descriptor = open("/tmp", O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    Check(descriptor >= 0, "no temporary file");
    return descriptor;
}

std::string ReadFromStart(int descriptor) {
    std::string text;
    char chunk[4096];
    lseek(descriptor, 0, SEEK_SET);
    for (ssize_t got; (got = read(descriptor, chunk, sizeof chunk)) > 0;)
        text.append(chunk, static_cast<std::size_t>(got));
    close(descriptor);
    return text;
}

// The arguments as execvp takes them, made before the fork: a child of a process with threads
// must not allocate.
std::vector<char*> ArgumentPointers(const std::vector<std::string>& argv) {
    std::vector<char*> arguments;
    for (const std::string& argument : argv)
        arguments.push_back(const_cast<char*>(argument.c_str()));
    arguments.push_back(nullptr);
    return arguments;
}

// Runs the program in place of the calling child process, in the working directory if one is
// given.
[[noreturn]] void Exec(const std::vector<char*>& arguments, const std::string& workingDirectory) {
    if (!workingDirectory.empty() && chdir(workingDirectory.c_str()) != 0)
        _exit(126);
    execvp(arguments[0], arguments.data());
    _exit(127);
}

int Wait(pid_t child) {
    int status = 0;
    while (waitpid(child, &status, 0) < 0)
        Check(errno == EINTR, "waitpid failed");
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace

CommandResult RunCommand(const std::vector<std::string>& argv,
                         const std::string& workingDirectory) {
    const int output = UnnamedFile();
    const int errors = UnnamedFile();
    const std::vector<char*> arguments = ArgumentPointers(argv);
    const pid_t child = fork();
    Check(child >= 0, "fork failed");
    if (child == 0) {
        dup2(open("/dev/null", O_RDONLY), STDIN_FILENO);
        dup2(output, STDOUT_FILENO);
        dup2(errors, STDERR_FILENO);
        // The program starts with no descriptor but these three, whatever the test's runner left
        // open: tests of few descriptors count on it.
        close_range(3, ~0U, 0);
        Exec(arguments, workingDirectory);
    }
    CommandResult result;
    result.exitStatus = Wait(child);
    result.output = ReadFromStart(output);
    result.errors = ReadFromStart(errors);
    return result;
}

CommandResult RunOnConsole(const std::string& program, std::vector<std::string> arguments,
                           const std::string& workingDirectory, std::vector<std::string> prefix) {
    prefix.insert(prefix.begin(), {"env", "-u", "DISPLAY", "-u", "WAYLAND_DISPLAY"});
    prefix.push_back(program);
    arguments.insert(arguments.begin(), prefix.begin(), prefix.end());
    return RunCommand(arguments, workingDirectory);
}

std::string RunInChildProcess(const std::function<std::string()>& body) {
    const int answer = UnnamedFile();
    const pid_t child = fork();
    Check(child >= 0, "fork failed");
    if (child == 0) {
        const std::string text = body();
        _exit(write(answer, text.data(), text.size()) == static_cast<ssize_t>(text.size()) ? 0 : 4);
    }
    Check(Wait(child) == 0, "the child process failed");
    return ReadFromStart(answer);
}

std::string RunUnprivileged(const std::function<std::string()>& body) {
    return RunInChildProcess([&body] {
        if (geteuid() == 0 &&
            (setgroups(0, nullptr) != 0 || setgid(kNobody) != 0 || setuid(kNobody) != 0)) {
            _exit(3);
        }
        return body();
    });
}

TerminalProgram::TerminalProgram(const std::vector<std::string>& argv,
                                 const std::string& workingDirectory) {
    const std::vector<char*> arguments = ArgumentPointers(argv);
    const pid_t child = forkpty(&terminal_, nullptr, nullptr, nullptr);
    Check(child >= 0, "forkpty failed");
    if (child == 0)
        Exec(arguments, workingDirectory);
    child_ = child;
}

TerminalProgram::~TerminalProgram() {
    if (child_ > 0) {
        kill(child_, SIGKILL);
        Wait(child_);
    }
    close(terminal_);
}

bool TerminalProgram::ReadSome(int milliseconds) {
    pollfd ready{terminal_, POLLIN, 0};
    if (poll(&ready, 1, milliseconds) <= 0)
        return false;
    char chunk[4096];
    const ssize_t got = read(terminal_, chunk, sizeof chunk);
    // The terminal reports an error once the program has ended and closed it.
    if (got <= 0) {
        closed_ = true;
        return false;
    }
    written_.append(chunk, static_cast<std::size_t>(got));
    return true;
}

bool TerminalProgram::WaitFor(const std::string& text) {
    // Nothing for a minute means the text will not come.
    while (written_.find(text) == std::string::npos) {
        if (!ReadSome(60'000))
            return false;
    }
    return true;
}

void TerminalProgram::Signal(int signal) {
    Check(kill(child_, signal) == 0, "kill failed");
}

CommandResult TerminalProgram::Finish() {
    while (ReadSome(60'000)) {
    }
    // A program silent for a minute is taken to hang: ended, it fails the test.
    if (!closed_)
        kill(child_, SIGKILL);
    CommandResult result;
    result.exitStatus = Wait(child_);
    child_ = -1;
    result.output = written_;
    return result;
}
