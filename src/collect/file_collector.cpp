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

std::pair<std::u16string, std::u16string> ClassifyPath(const char16_t* path) {
    const DWORD attributes = GetFileAttributesW(path);
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return {};
    const std::u16string text(path);
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
        return {text, u""};
    const std::size_t last = text.rfind(kPathSeparator);
    return {text.substr(0, last), text.substr(last + 1)};
}

void FileCollector::Collect(int collectMode) {
    collected.clear();
    descent_.clear();
    mode = collectMode;
    for (const std::u16string& root : roots)
        WalkPath(root);
}

bool FileCollector::WalkPath(const std::u16string& path) {
    if (stopWalk)
        return true;
    auto [folder, name] = ClassifyPath(path.c_str());
    if (folder.empty() && name.empty())
        return false;

    if (!name.empty()) {
        if (mode != FoldersOnly)
            collected.emplace(std::move(folder), std::move(name));
        return true;
    }

    const std::u16string pattern = folder + std::u16string(kEveryEntryPattern);
    WIN32_FIND_DATAW found;
    const HANDLE find = FindFirstFileW(pattern.c_str(), &found);
    if (find == INVALID_HANDLE_VALUE)
        return false;
    const FindScope findScope(find);
    const FolderIdentity identity = GetFindFolderIdentity(find);
    if (std::find(descent_.begin(), descent_.end(), identity) != descent_.end())
        return false;

    descent_.push_back(identity);
    do {
        if (found.cFileName != u"." && found.cFileName != u"..") {
            WalkPath(folder + kPathSeparator + found.cFileName);
        }
    } while (FindNextFileW(find, &found));
    descent_.pop_back();

    if (mode != FilesOnly)
        collected.emplace(path, u"");
    return true;
}
