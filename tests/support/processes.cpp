#include "support/processes.h"

#include <fcntl.h>
#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>

namespace {

constexpr uid_t kNobody = 65534;

std::string ReadAll(int descriptor) {
    std::string text;
    char chunk[4096];
    for (;;) {
        const ssize_t got = read(descriptor, chunk, sizeof chunk);
        if (got > 0) {
            text.append(chunk, static_cast<std::size_t>(got));
        } else if (got == 0 || errno != EINTR) {
            return text;
        }
    }
}

int Wait(pid_t child) {
    int status = 0;
    while (waitpid(child, &status, 0) < 0) {
        if (errno != EINTR)
            throw std::runtime_error("waitpid failed");
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

void WriteAll(int descriptor, const std::string& text) {
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t wrote = write(descriptor, text.data() + done, text.size() - done);
        if (wrote < 0 && errno != EINTR)
            return;
        if (wrote > 0)
            done += static_cast<std::size_t>(wrote);
    }
}

}  // namespace

CommandResult RunCommand(const std::vector<std::string>& argv,
                         const std::string& workingDirectory) {
    // The child's output goes to unnamed files, read once it has ended: nothing can stall.
    const int output = open("/tmp", O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    const int errors = open("/tmp", O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    if (output < 0 || errors < 0)
        throw std::runtime_error("no temporary file");
    std::vector<char*> arguments;
    for (const std::string& argument : argv)
        arguments.push_back(const_cast<char*>(argument.c_str()));
    arguments.push_back(nullptr);

    const pid_t child = fork();
    if (child < 0)
        throw std::runtime_error("fork failed");
    if (child == 0) {
        dup2(open("/dev/null", O_RDONLY), STDIN_FILENO);
        dup2(output, STDOUT_FILENO);
        dup2(errors, STDERR_FILENO);
        if (!workingDirectory.empty() && chdir(workingDirectory.c_str()) != 0)
            _exit(126);
        execvp(arguments[0], arguments.data());
        _exit(127);
    }
    CommandResult result;
    result.exitStatus = Wait(child);
    for (const auto& [descriptor, text] :
         {std::pair{output, &result.output}, {errors, &result.errors}}) {
        lseek(descriptor, 0, SEEK_SET);
        *text = ReadAll(descriptor);
        close(descriptor);
    }
    return result;
}

std::string RunUnprivileged(const std::function<std::string()>& body) {
    int pipeEnds[2];
    if (pipe2(pipeEnds, O_CLOEXEC) != 0)
        throw std::runtime_error("pipe failed");
    const pid_t child = fork();
    if (child < 0)
        throw std::runtime_error("fork failed");
    if (child == 0) {
        close(pipeEnds[0]);
        if (geteuid() == 0 &&
            (setgroups(0, nullptr) != 0 || setgid(kNobody) != 0 || setuid(kNobody) != 0)) {
            _exit(3);
        }
        WriteAll(pipeEnds[1], body());
        _exit(0);
    }
    close(pipeEnds[1]);
    std::string result = ReadAll(pipeEnds[0]);
    close(pipeEnds[0]);
    if (Wait(child) != 0)
        throw std::runtime_error("the unprivileged child failed");
    return result;
}
