#include "collect/file_collector.h"

#include <algorithm>
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

}  // namespace

std::pair<std::u16string, std::u16string> ClassifyPath(const char16_t* path, DWORD* attributes) {
    const DWORD found = GetFileAttributesW(path);
    if (attributes != nullptr)
        *attributes = found;
    if (found == INVALID_FILE_ATTRIBUTES)
        return {};
    const std::u16string text(path);
    if ((found & FILE_ATTRIBUTE_DIRECTORY) != 0)
        return {text, u""};
    const std::size_t last = text.rfind(kPathSeparator);
    return {text.substr(0, last), text.substr(last + 1)};
}

void FileCollector::Collect(int collectMode) {
    collected.clear();
    unopenable.clear();
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
    collectedCount = collected.size();
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
    if (find == INVALID_HANDLE_VALUE)
        return false;
    std::vector<std::u16string> children;
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
        // the entries' attributes can be asked for together.
        do {
            if (found.cFileName != u"." && found.cFileName != u"..")
                children.push_back(path + kPathSeparator + found.cFileName);
        } while (FindNextFileW(find, &found));
    }

    std::vector<DWORD> childAttributes;
    auto classified = ClassifyAll(children, childAttributes);
    // This folder's files are recorded one after the other: each goes right behind the last.
    auto lastHere = collected.end();
    for (std::size_t i = 0; i < children.size() && !stopWalk; ++i) {
        auto& [folder, name] = classified[i];
        if (folder.empty() && name.empty())
            continue;
        if (name.empty()) {
            followLinks_ = followLinksBelow;
            WalkFolder(children[i], childAttributes[i]);
        } else if (mode != FoldersOnly) {
            if ((childAttributes[i] & FILE_ATTRIBUTE_DEVICE) != 0 || !followLinksBelow)
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

std::vector<std::pair<std::u16string, std::u16string>> FileCollector::ClassifyAll(
    const std::vector<std::u16string>& paths, std::vector<DWORD>& attributes) {
    std::vector<std::pair<std::u16string, std::u16string>> classified(paths.size());
    attributes.assign(paths.size(), INVALID_FILE_ATTRIBUTES);
    // Each thread takes a stretch of the paths; a stop leaves the rest unasked.
    const auto classify = [&](std::size_t begin, std::size_t end) {
        for (std::size_t i = begin; i < end && !stopWalk; ++i)
            classified[i] = ClassifyPath(paths[i].c_str(), &attributes[i]);
    };
    // Starting a thread pays for itself only over a good number of queries.
    constexpr std::size_t kPathsWorthAThread = 64;
    const std::size_t parts =
        paths.size() >= kPathsWorthAThread ? static_cast<std::size_t>(std::max(threads, 1)) : 1;
    const auto bound = [&](std::size_t part) { return paths.size() * part / parts; };
    std::vector<std::jthread> helpers;
    for (std::size_t part = 1; part < parts; ++part) {
        try {
            helpers.emplace_back(classify, bound(part), bound(part + 1));
        } catch (const std::system_error&) {
            // No thread to be had: this thread asks for the paths that helper would have.
            classify(bound(part), bound(part + 1));
        }
    }
    classify(0, bound(1));
    helpers.clear();
    return classified;
}
