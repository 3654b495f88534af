// The folder walk: from root paths to the ordered table of the files (and folders) below them.
#pragma once

#include <atomic>
#include <map>
#include <set>
#include <string>
#include <unordered_set>
#include <utility>
#include <vector>

#include "platform/folder_enumeration.h"

// Folder path to name, ascending by folder path in UTF-16 code units, a proper prefix first;
// equal folders keep their insertion order. A file's folder, the separator and its name give back
// the path the walk built. A folder entry, in the modes that record one, has an empty name.
//
// Nothing the walk finds is left out of a FilesOnly walk, so that a list never claims more than
// it holds:
// - An entry of a folder whose kind the walk cannot tell (a dangling or looping link, an entry
//   whose attributes may not be read or that went before they were asked) is recorded as a file.
//   The hashing pass fails to open it and lists it as not read, as it does where the system's
//   attribute query reports such an entry as a file.
// - A folder whose entries cannot be listed (the root included) is recorded as (its path, empty
//   name), which a FilesOnly walk records for nothing else, and its path followed by the
//   separator is among the unopenable: the pass lists that text, the folder's path and the
//   separator, as not read. It is in `unlisted` too, with the reason. Such folders are no files:
//   collectedCount leaves them out.
using CollectedTable = std::multimap<std::u16string, std::u16string>;

// What a walk records. Any value other than FilesOnly and FoldersOnly acts as FilesAndFolders.
enum CollectMode : int {
    FilesOnly = 0,
    FoldersOnly = 1,
    FilesAndFolders = 2,
};

// (folder, empty) for a folder, the path unchanged; (text before the last separator, text after
// it) for anything else; (empty, empty) when the path's attributes cannot be read. The attributes
// themselves are stored where asked for.
std::pair<std::u16string, std::u16string> ClassifyPath(const char16_t* path,
                                                       DWORD* attributes = nullptr);

struct FileCollector {
    std::vector<std::u16string> roots;
    CollectedTable collected;
    // The number of files the last Collect recorded, without the folders that could not be
    // listed. It stays when the hashing pass releases the entries as it takes them.
    std::size_t collectedCount = 0;
    // The paths of recorded files that must never be opened: FIFOs, sockets and devices, the
    // files of the kernel's interface file systems, and the folders that could not be listed.
    // Few as they are, the hashing pass need not ask of every other file what it is before
    // opening it.
    std::unordered_set<std::u16string> unopenable;
    // The folders whose entries could not be listed, with the reason GetLastError gave, in the
    // order the walk met them: nothing below them is recorded, and a FilesOnly walk records each
    // in their place (see CollectedTable).
    std::vector<std::pair<std::u16string, DWORD>> unlisted;
    int mode = FilesOnly;
    // Threads that ask together for the attributes that a large folder's entries do not tell
    // (links). The walk's order and its table are those of one thread.
    int threads = 1;
    // Set from another thread to stop the walk. The walk never clears it: whoever starts a walk
    // clears it beforehand, so a request made at any moment after that stops the walk.
    std::atomic<bool> stopWalk = false;

    // Empties the table and walks every root, first to last. Throws std::bad_alloc where memory
    // runs out, on the walk's thread or a helper's.
    void Collect(int collectMode);

    // Records the entries for the path and everything below it. False when the path cannot be
    // classified or, being a folder, cannot be enumerated, lies on the current descent already,
    // or is reached through a link a second time.
    bool WalkPath(const std::u16string& path);

  private:
    // The entries of the folder the path names, once classified (a folder, then its entries).
    bool WalkFolder(const std::u16string& path, DWORD attributes);
    // Asks for the attributes of each path whose folder did not tell them (those still
    // INVALID_FILE_ATTRIBUTES), on several threads when there are many.
    void AskUnknownAttributes(const std::vector<std::u16string>& paths,
                              std::vector<DWORD>& attributes);

    // The folders that hold the root, then those whose enumerations are open, outermost first. A
    // folder reached again through a link while it is open is not descended into: its walk would
    // repeat without end.
    std::vector<FolderIdentity> descent_;
    // The folders this walk entered through a link. Each is entered that way once only: links
    // that fan out (one folder linking to many that link back) would otherwise multiply the paths
    // beyond any bound. A folder reached by its real path is always walked.
    std::set<FolderIdentity> enteredThroughLink_;
    // Cleared while the entries of a folder of the kernel's interface file systems (/proc, /sys)
    // are walked: their links lead to live kernel objects (a process's working folder, a device)
    // rather than to folders of the tree.
    bool followLinks_ = true;
};
