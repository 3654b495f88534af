// The name of a run's list file, from its root folder.
#pragma once

#include <string>

// "Hashwick_" + the root's last name component without its extension + ".txt". The root is split
// as Windows paths are: a drive ("C:") when the second character is a colon, then components
// separated by backslashes or slashes. When the base is empty (the root ends in a separator, is a
// bare drive, or starts its last component with a full stop) the drive letter takes its place,
// or nothing when there is no drive.
std::u16string MakeListFileName(const std::u16string& root);
