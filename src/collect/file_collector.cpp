#include "collect/file_collector.h"

#include <algorithm>
#include <new>
#include <system_error>
#include <thread>

#include "platform/file_attributes.h"
#include "platform/path_text.h"

namespace {

constexpr std::u16string_view kEveryEntryPattern = u"/*.*";

// Closes an enumeration however the walk below it ends.
class FindScope {
  public:
    explicit FindScope(HANDLE find) : find_(find) {}
    ~FindScope() { FindClose(find_); }
    FindScope(const FindScope&) = delete;
    FindScope& operator=(const FindScope&) = delete;

  private:
    HANDLE find_;
};

// ClassifyPath's answer for a path whose attributes are known.
std::pair<std::u16string, std::u16string> Split(std::u16string_view path, DWORD attributes) {
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return {};
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
        return {std::u16string(path), u""};
    const std::size_t last = path.rfind(kPathSeparator);
    // Room for the rest of the path: the hashing pass makes the file's full path in it.
    std::u16string folder;
    folder.reserve(path.size());
    folder.assign(path.substr(0, last));
    return {std::move(folder), std::u16string(path.substr(last + 1))};
}

}  // namespace

std::pair<std::u16string, std::u16string> ClassifyPath(const char16_t* path, DWORD* attributes) {
    const DWORD found = GetFileAttributesW(path);
    if (attributes != nullptr)
        *attributes = found;
    return Split(path, found);
}

void FileCollector::Collect(int collectMode) {
    collected.clear();
    unopenable.clear();
    unlisted.clear();
    enteredThroughLink_.clear();
    mode = collectMode;
    for (const std::u16string& root : roots) {
        // A link below the root that leads to a folder holding the root would walk the root
        // again, so the root's own enclosing folders count as part of every descent.
        descent_ = GetEnclosingFolderIdentities(root.c_str());
        std::reverse(descent_.begin(), descent_.end());
        followLinks_ = true;
        WalkPath(root);
    }
    descent_.clear();
    collectedCount = collected.size() - (mode == FilesOnly ? unlisted.size() : 0);
}

bool FileCollector::WalkPath(const std::u16string& path) {
    if (stopWalk)
        return true;
    DWORD attributes = 0;
    auto [folder, name] = ClassifyPath(path.c_str(), &attributes);
    if (folder.empty() && name.empty())
        return false;
    if (name.empty())
        return WalkFolder(path, attributes);
    if (mode != FoldersOnly) {
        if ((attributes & FILE_ATTRIBUTE_DEVICE) != 0)
            unopenable.insert(path);
        collected.emplace(std::move(folder), std::move(name));
    }
    return true;
}

bool FileCollector::WalkFolder(const std::u16string& path, DWORD attributes) {
    const bool throughLink = (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    if (throughLink && !followLinks_)
        return false;
    const std::u16string pattern = path + std::u16string(kEveryEntryPattern);
    WIN32_FIND_DATAW found;
    const HANDLE find = FindFirstFileW(pattern.c_str(), &found);
    if (find == INVALID_HANDLE_VALUE) {
        unlisted.emplace_back(path, GetLastError());
        // The folder stands where its files would: the pass lists it as not read, never opened.
        if (mode == FilesOnly) {
            unopenable.insert(path + kPathSeparator);
            collected.emplace(path, u"");
        }
        return false;
    }
    std::vector<std::u16string> children;
    std::vector<DWORD> childAttributes;
    bool followLinksBelow = true;
    {
        const FindScope findScope(find);
        const FolderIdentity identity = GetFindFolderIdentity(find);
        if (std::find(descent_.begin(), descent_.end(), identity) != descent_.end())
            return false;
        if (throughLink && !enteredThroughLink_.insert(identity).second)
            return false;
        followLinksBelow = !IsKernelInterfaceFolder(find);
        descent_.push_back(identity);
        // All names first: the folder's enumeration is closed before the walk goes deeper, and
        // the attributes the folder does not tell can be asked for together.
        do {
            if (found.cFileName != u"." && found.cFileName != u"..") {
                children.push_back(path + kPathSeparator + found.cFileName);
                childAttributes.push_back(found.dwFileAttributes);
            }
        } while (FindNextFileW(find, &found));
    }

    AskUnknownAttributes(children, childAttributes);
    // This folder's files are recorded one after the other: each goes right behind the last.
    auto lastHere = collected.end();
    for (std::size_t i = 0; i < children.size() && !stopWalk; ++i) {
        // An entry of no kind the walk can tell (a dangling link, one whose attributes may not
        // be read) is a file to the pass, which fails to open it and lists it as not read.
        const DWORD childKind = childAttributes[i] == INVALID_FILE_ATTRIBUTES
                                    ? FILE_ATTRIBUTE_NORMAL
                                    : childAttributes[i];
        auto [folder, name] = Split(children[i], childKind);
        if (name.empty()) {
            followLinks_ = followLinksBelow;
            WalkFolder(children[i], childKind);
        } else if (mode != FoldersOnly) {
            if ((childKind & FILE_ATTRIBUTE_DEVICE) != 0 || !followLinksBelow)
                unopenable.insert(children[i]);
            lastHere = lastHere == collected.end()
                           ? collected.emplace(std::move(folder), std::move(name))
                           : collected.emplace_hint(std::next(lastHere), std::move(folder),
                                                    std::move(name));
        }
    }
    descent_.pop_back();

    if (mode != FilesOnly)
        collected.emplace(path, u"");
    return true;
}

void FileCollector::AskUnknownAttributes(const std::vector<std::u16string>& paths,
                                         std::vector<DWORD>& attributes) {
    std::vector<std::size_t> unknown;
    for (std::size_t i = 0; i < paths.size(); ++i) {
        if (attributes[i] == INVALID_FILE_ATTRIBUTES)
            unknown.push_back(i);
    }
    // Each thread takes a stretch of the unknown; a stop leaves the rest unasked. The threads only
    // ask: what the walk keeps is made by its own thread, whose memory it stays in.
    // A helper's lack of memory ends its stretch; the walk's thread throws it on once the
    // helpers are done, as if it had met it itself.
    std::atomic<bool> helperOutOfMemory = false;
    const auto ask = [&](std::size_t begin, std::size_t end) {
        for (std::size_t i = begin; i < end && !stopWalk; ++i)
            attributes[unknown[i]] = GetFileAttributesW(paths[unknown[i]].c_str());
    };
    const auto help = [&](std::size_t begin, std::size_t end) {
        try {
            ask(begin, end);
        } catch (const std::bad_alloc&) {
            helperOutOfMemory = true;
        }
    };
    // Starting a thread pays for itself only over a good number of queries.
    constexpr std::size_t kPathsWorthAThread = 64;
    const std::size_t parts =
        unknown.size() >= kPathsWorthAThread ? static_cast<std::size_t>(std::max(threads, 1)) : 1;
    const auto bound = [&](std::size_t part) { return unknown.size() * part / parts; };
    std::vector<std::jthread> helpers;
    for (std::size_t part = 1; part < parts; ++part) {
        try {
            helpers.emplace_back(help, bound(part), bound(part + 1));
        } catch (const std::system_error&) {
            // No thread to be had: this thread asks for the paths that helper would have.
            ask(bound(part), bound(part + 1));
        }
    }
    ask(0, bound(1));
    helpers.clear();
    if (helperOutOfMemory)
        throw std::bad_alloc();
}
