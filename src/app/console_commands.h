// The commands beside a run on a folder: a folder checked against its list, and two lists
// compared. They run on the console whatever display there is, and write a report like a list.
#pragma once

#include <optional>
#include <string>
#include <vector>

enum CheckExitStatus : int {
    kExitOnlyMatches = 0,
    kExitDifferences = 1,  // or stopped, or no report could be written
    kExitBadInput = 2,     // a list that cannot be read, or a folder refused
};

// The exit status of the command that the arguments (after the program's name) name, once it has
// run; nothing when they name none.
std::optional<int> RunConsoleCommand(const std::vector<std::u16string>& arguments);
