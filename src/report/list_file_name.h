// The names of a run's list file, from its root folder, and of the reports on a list.
#pragma once

#include <string>
#include <string_view>

// "Hashwick_" + the root's last name component without its extension + ".txt". The root is split
// as Windows paths are: a drive ("C:") when the second character is a colon, then components
// separated by backslashes or slashes. A last component "." or ".." names no folder: the name is
// then that of the folder's full path. When the base is empty (the root ends in a separator, is a
// bare drive, or starts its last component with a full stop) the drive letter takes its place,
// or nothing when there is no drive.
std::u16string MakeListFileName(const std::u16string& root);

// The name of the report on a list: "Hashwick_" + the list file's name without its folder, its
// extension and a leading "Hashwick_" + "_" + the kind of report + ".txt", so that the report on
// Hashwick_docs.txt of a check is Hashwick_docs_照合.txt.
std::u16string MakeCheckReportName(std::u16string_view listPath, std::u16string_view kind);
