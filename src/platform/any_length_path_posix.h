// Opening and querying paths of any length on Linux. The kernel takes at most PATH_MAX bytes of a
// path in one call; a longer path is reached a stretch at a time, each stretch opened relative to
// the folder the one before it reached, so that nothing below a folder is out of reach however
// deep it lies.
#pragma once

#include <sys/stat.h>

#include <string>

// open(2) of the path with the flags; -1 with errno set on failure.
int OpenAnyLength(const std::string& path, int flags);

// stat(2) (following links) or, with followLinks false, lstat(2) of the path; 0 on success, -1
// with errno set.
int StatAnyLength(const std::string& path, struct stat& status, bool followLinks);
