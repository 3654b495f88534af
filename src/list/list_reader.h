// Reading a list file back: the format its writer writes, taken as the code page 932 bytes it
// holds, and for a check also the lists of other programs (see other_list_reader.h). Paths are
// never decoded: a path found now is matched by converting it as the list's writer does and
// comparing the bytes.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "digest/digest_hex.h"

// One file of a list: a digest line, or a line of the section of files without a digest.
struct ListedFile {
    std::size_t pathStart = 0;  // in DigestList::text
    std::uint32_t pathSize = 0;
    std::uint32_t line = 0;  // counted from 1
    Digest digest{};
    bool digested = false;
    // A line of that section that names a folder whose entries could not be listed: its path
    // ends in the separator.
    bool folder = false;
};

// How a list writes the names of its paths, and so how the name of a file found now is turned
// into the list's bytes to be matched.
enum class ListNames : std::uint8_t {
    kCodePage932,  // as our lists: code page 932, "?" for what it lacks and for control characters
    kUtf8,         // the names themselves, in UTF-8
    kNameBytes,    // the names' own bytes, which are not UTF-8 (Linux names are bytes)
};

struct DigestList {
    // A list of another program: its paths are relative, taken below the folder checked, and it
    // has no root, no failure section and no timing lines.
    bool relative = false;
    ListNames names = ListNames::kCodePage932;
    // "# ", the root and the paths of the list's files, one after the other: the bytes of the
    // file that are kept as it is read.
    std::string text;
    std::size_t rootSize = 0;
    std::int64_t collected = 0;  // the count of the first line
    std::int64_t processed = 0;  // fewer than collected when the run was stopped
    // The digest lines in their order, then the files without a digest (and the folders that
    // could not be listed) in theirs.
    std::vector<ListedFile> files;
    // Lines that end in LF alone: the list was edited where lines end that way.
    std::size_t lineFeedOnly = 0;

    // The root as the first line names it; empty for a relative list.
    std::string_view Root() const { return std::string_view(text).substr(2, rootSize); }
    std::string_view Path(const ListedFile& file) const {
        return std::string_view(text).substr(file.pathStart, file.pathSize);
    }
    // The path below the root, from its leading separator on, with this system's separator
    // wherever the list has another (a list from Windows has backslashes). Files of two lists,
    // or of a list and a folder, are the same file when their keys are equal.
    std::string_view Key(const ListedFile& file) const {
        return std::string_view(mappedText_.empty() ? text : mappedText_)
            .substr(file.pathStart + rootSize, file.pathSize - rootSize);
    }

  private:
    friend class ListParser;
    // The text with the separators of the paths below the root replaced, when they differ.
    std::string mappedText_;
};

struct ListReading {
    std::optional<DigestList> list;
    // Otherwise: the line that is wrong (0 when the fault is the whole file's, or it could not be
    // read) and why.
    std::uint32_t line = 0;
    std::u16string reason;
};

// Reads one of our lists as a stream: a file that is no list is refused as soon as that shows (a
// first line that is no header, or that passes 64 KiB without ending, at once), and what is kept
// grows with the lines accepted. Throws StopRequested once the stop is set.
ListReading ReadDigestList(const std::u16string& path, const std::atomic<bool>& stop);
// The same for the bytes of a list held in memory.
ListReading ParseDigestList(std::string_view bytes, const std::atomic<bool>& stop);

// The same for a list to check a folder against: ours when it starts as ours do ("# "), otherwise
// a list of another program, read as other_list_reader.h tells.
ListReading ReadListToCheck(const std::u16string& path, const std::atomic<bool>& stop);
ListReading ParseListToCheck(std::string_view bytes, const std::atomic<bool>& stop);
