// The commands beside a run on a folder: a folder checked against its list, two lists compared,
// the usage (--help) and the version (--version). They run on the console whatever display there
// is; the checks write a report like a list. Any other argument that begins with "--" and names
// no folder is refused with the usage.
#pragma once

#include <optional>
#include <string>
#include <vector>

enum CheckExitStatus : int {
    kExitShown = 0,  // --help and --version
    kExitOnlyMatches = 0,
    kExitDifferences = 1,  // or stopped, or no report could be written
    kExitBadInput = 2,     // a list that cannot be read, or a folder refused
};

// The exit status of the command that the arguments (after the program's name) name, once it has
// run; nothing when they name none.
std::optional<int> RunConsoleCommand(const std::vector<std::u16string>& arguments);
