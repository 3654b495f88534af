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
// given; stdin is empty, stdout and stderr are collected. On Windows the arguments are UTF-8.
CommandResult RunCommand(const std::vector<std::string>& argv,
                         const std::string& workingDirectory = {});

#ifndef _WIN32
// Runs the function in a child process that, when started by root, has dropped to the user and
// group "nobody", so that file permissions really apply. Returns what the function returned.
std::string RunUnprivileged(const std::function<std::string()>& body);
#endif
