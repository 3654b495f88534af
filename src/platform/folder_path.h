// A folder's path as given by a user, made into the path a run takes.
#pragma once

#include <string>
#include <string_view>

// The path without the separators that end it ("data/" is "data"), as the walk joins a separator
// and a name to it: the top of the file system ("/") and, on Windows, a drive's root ("C:\")
// keep theirs. On Windows "/" separates too.
std::u16string WithoutTrailingSeparators(std::u16string_view path);

// The folder that holds the file at the path: the path up to its last separator, as
// WithoutTrailingSeparators leaves it; "." for a bare name (on Windows "C:." for "C:name").
std::u16string FolderOfFile(std::u16string_view path);

// The folder's full path, "." and ".." resolved (on Linux links too), where a path ending in one
// of them says nothing of the folder's name; the path unchanged when the system cannot tell.
std::u16string ResolvedFolderPath(const std::u16string& path);
