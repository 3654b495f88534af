// The MD5 lists of other programs, read into the list that a check takes.
//
// Each line is one of md5sum's: "DIGEST  path" (text) or "DIGEST *path" (binary), or the tagged
// "MD5 (path) = DIGEST" of md5sum --tag and BSD md5, in any mix. A line that begins with a
// backslash is md5sum's escaped form, where "\\", "\n" and "\r" stand for a backslash, a line
// break and a carriage return of the name. Lines end in LF or CR LF, the last may have no end;
// empty lines and comments (";" as Windows programs write them, "#") are passed over, and a
// byte-order mark may begin the file. The digest may be in either case.
//
// The paths are relative, each the key of a file below the folder checked: this system's separator
// before each component, "." components and doubled separators left out. Outside an escaped line
// a backslash separates folders, as Windows writes them (md5sum escapes a name's backslash).
// Refused with their line: an absolute path, a ".." component, a NUL, a digest of another length
// (SHA-1's 40 hexadecimal digits, SHA-256's 64, ...) or another algorithm's tag, and any other
// line.
//
// A list with a byte-order mark, or whose paths are all UTF-8, names files by their UTF-8 names;
// one whose paths are code page 932 and not UTF-8 (a Windows program's) as our lists write them;
// any other by the names' own bytes.
#pragma once

#include <atomic>

#include "list/list_lines.h"
#include "list/list_reader.h"

// Reads the lines from the first on. Throws StopRequested once the stop is set.
ListReading ReadOtherList(ListLines& lines, const std::atomic<bool>& stop);
