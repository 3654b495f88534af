#include "collect/file_collector.h"

#include <algorithm>

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

    if (!name.empty()) {
        if (mode != FoldersOnly)
            collected.emplace(std::move(folder), std::move(name));
        return true;
    }

    const bool throughLink = (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    if (throughLink && !followLinks_)
        return false;
    const std::u16string pattern = folder + std::u16string(kEveryEntryPattern);
    WIN32_FIND_DATAW found;
    const HANDLE find = FindFirstFileW(pattern.c_str(), &found);
    if (find == INVALID_HANDLE_VALUE)
        return false;
    const FindScope findScope(find);
    const FolderIdentity identity = GetFindFolderIdentity(find);
    if (std::find(descent_.begin(), descent_.end(), identity) != descent_.end())
        return false;
    if (throughLink && !enteredThroughLink_.insert(identity).second)
        return false;
    const bool followLinksBelow = !IsKernelInterfaceFolder(find);

    descent_.push_back(identity);
    do {
        if (found.cFileName != u"." && found.cFileName != u"..") {
            followLinks_ = followLinksBelow;
            WalkPath(folder + kPathSeparator + found.cFileName);
        }
    } while (FindNextFileW(find, &found));
    descent_.pop_back();

    if (mode != FilesOnly)
        collected.emplace(path, u"");
    return true;
}
