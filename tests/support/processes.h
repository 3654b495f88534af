// Real processes for tests: other programs, and code run as an unprivileged user.
#pragma once

#include <functional>
#include <string>
#include <vector>

struct CommandResult {
    int exitStatus = -1;  // the exit code, or -1 when the program did not exit normally
    std::string output;   // what it wrote to stdout
    std::string errors;   // what it wrote to stderr
};

// Runs the program with the arguments, no shell in between, in the working directory if one is
// given; stdin is empty, stdout and stderr are collected, and on Linux no other descriptor is
// open. On Windows the arguments are UTF-8.
CommandResult RunCommand(const std::vector<std::string>& argv,
                         const std::string& workingDirectory = {});

#ifndef _WIN32
// The program as a script runs it: with no desktop display, whatever the test's environment has,
// after what the prefix adds (settings of the environment, or a command that runs it).
CommandResult RunOnConsole(const std::string& program, std::vector<std::string> arguments,
                           const std::string& workingDirectory,
                           std::vector<std::string> prefix = {});

// A program on a terminal of its own (its standard input, output and error), as a user at a
// console runs it: the test watches what it writes and sends it signals.
class TerminalProgram {
  public:
    TerminalProgram(const std::vector<std::string>& argv, const std::string& workingDirectory);
    // Ends the program if it still runs.
    ~TerminalProgram();
    TerminalProgram(const TerminalProgram&) = delete;
    TerminalProgram& operator=(const TerminalProgram&) = delete;

    // Reads what the program writes until the text has appeared (true) or the program has ended,
    // or written nothing for a minute, without writing it (false).
    bool WaitFor(const std::string& text);
    void Signal(int signal);
    // Waits for the program to end; its exit status and everything it wrote to the terminal.
    CommandResult Finish();

  private:
    // Reads what comes within the time; false when nothing came or nothing more will.
    bool ReadSome(int milliseconds);

    int terminal_ = -1;
    int child_ = -1;
    bool closed_ = false;  // the program has closed the terminal
    std::string written_;
};

// Runs the function in a child process, where it may set limits that the test's own process must
// not have. Returns what the function returned.
std::string RunInChildProcess(const std::function<std::string()>& body);

// Runs the function in a child process that, when started by root, has dropped to the user and
// group "nobody", so that file permissions really apply. Returns what the function returned.
std::string RunUnprivileged(const std::function<std::string()>& body);
#endif
