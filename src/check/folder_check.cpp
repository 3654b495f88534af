#include "check/folder_check.h"

#include <algorithm>
#include <tuple>

#include "check/listed_folder.h"
#include "list/stop_request.h"
#include "platform/file_attributes.h"
#include "platform/path_text.h"

FolderCheck::FolderCheck(const DigestList& list, std::u16string folder,
                         std::vector<std::u16string> notCounted, const std::atomic<bool>& stop)
    : list_(list),
      stop_(stop),
      index_(list, stop),
      folder_(std::move(folder)),
      notCounted_(std::move(notCounted)),
      present_(list.files.size()) {
    for (std::uint32_t file = 0; file < list.files.size(); ++file) {
        ThrowIfStopped(stop_);
        if (list.files[file].folder)
            listedFolders_.emplace_back(list.Key(list.files[file]), file);
    }
    std::sort(listedFolders_.begin(), listedFolders_.end());
}

void FolderCheck::AppendKey(std::string& key, std::u16string_view text) {
    if (list_.names == ListNames::kCodePage932) {
        encoder_.Append(key, text);
        return;
    }
    // A name that no UTF-8 spells (a lone surrogate on Windows) gets a NUL, which no list's
    // path holds.
    key += WideToNative(text).value_or(std::string(1, '\0'));
}

std::string_view FolderCheck::KeyOf(std::u16string_view path) {
    key_.clear();
    AppendKey(key_, path.substr(folder_.size()));
    return key_;
}

std::pair<std::size_t, std::size_t> FolderCheck::FindAfterLast(std::string_view key) {
    const std::size_t size = index_.Order().size();
    const bool atNext = next_ < size && index_.KeyAt(next_) == key &&
                        (next_ + 1 == size || index_.KeyAt(next_ + 1) != key) &&
                        (next_ == 0 || index_.KeyAt(next_ - 1) != key);
    const auto found = atNext ? std::pair(next_, next_ + 1) : index_.Find(key);
    next_ = found.second;
    return found;
}

void FolderCheck::TakeUnlisted(CollectedTable& collected) {
    // A folder's files follow each other in the table: its key is made once for all of them.
    std::u16string folder;
    std::string folderKey;
    for (auto entry = collected.begin(); entry != collected.end();) {
        ThrowIfStopped(stop_);
        // A folder that cannot be listed now stands in the table in its files' place; the
        // collector's own record of it is what counts.
        if (entry->second.empty()) {
            entry = collected.erase(entry);
            continue;
        }
        if (folderKey.empty() || entry->first != folder) {
            folder = entry->first;
            folderKey = KeyOf(folder);
            folderKey += static_cast<char>(kPathSeparator);
        }
        key_ = folderKey;
        AppendKey(key_, entry->second);
        const auto [first, last] = index_.Find(key_);
        if (IsNotCounted(*entry)) {
            for (std::size_t position = first; position < last; ++position)
                notCountedPositions_.push_back(position);
            entry = collected.erase(entry);
        } else if (first != last) {
            present_[first] = static_cast<std::uint8_t>(std::min(present_[first] + 1, 2));
            ++entry;
        } else if (ListedFolderAbove(key_) != kNone) {
            ++entry;  // hashed: the list could not see it
        } else {
            added_.push_back(entry->first + kPathSeparator + entry->second);
            entry = collected.erase(entry);
        }
    }
    std::sort(added_.begin(), added_.end(), [this](const auto& a, const auto& b) {
        ThrowIfStopped(stop_);
        return a < b;
    });
    counts_[kAdded] = added_.size();
}

bool FolderCheck::IsNotCounted(const CollectedTable::value_type& entry) const {
    for (const std::u16string& path : notCounted_) {
        const std::u16string_view name =
            std::u16string_view(path).substr(path.find_last_of(u"\\/") + 1);
        if (entry.second == name &&
            IsSameFile((entry.first + kPathSeparator + entry.second).c_str(), path.c_str())) {
            return true;
        }
    }
    return false;
}

bool FolderCheck::IsAmbiguous(std::size_t first, std::size_t last) const {
    return present_[first] > 1 || (present_[first] == 1 && last - first > 1);
}

void FolderCheck::Record(const std::u16string& path, Found found, const Digest& now) {
    const std::string_view key = KeyOf(path);
    const auto [first, last] = FindAfterLast(key);
    if (first == last) {
        if (const std::uint32_t folder = ListedFolderAbove(key); folder != kNone)
            belowListedFolders_.push_back({folder, path, found, now, kNowReadable});
        return;
    }
    if (IsAmbiguous(first, last)) {
        ambiguous_.push_back({first, path, found, now});
        return;
    }
    Outcome& outcome = outcomes_[index_.Order()[first]];
    outcome.found = found;
    outcome.now = now;
}

std::uint32_t FolderCheck::UnlistedAbove(std::string_view key) const {
    const auto separator = static_cast<char>(kPathSeparator);
    for (std::size_t end = 0; end < key.size(); end = key.find(separator, end + 1)) {
        const std::string_view folder = key.substr(0, end);
        const auto found = std::lower_bound(
            unlistedKeys_.begin(), unlistedKeys_.end(), folder,
            [](const auto& unlisted, std::string_view wanted) { return unlisted.first < wanted; });
        if (found != unlistedKeys_.end() && found->first == folder)
            return found->second;
    }
    return 0;
}

std::uint32_t FolderCheck::ListedFolderAbove(std::string_view key) const {
    const auto separator = static_cast<char>(kPathSeparator);
    if (listedFolders_.empty())
        return kNone;
    for (std::size_t end = key.find(separator); end != std::string_view::npos;
         end = key.find(separator, end + 1)) {
        const std::string_view folder = key.substr(0, end + 1);
        const auto found = std::lower_bound(
            listedFolders_.begin(), listedFolders_.end(), folder,
            [](const auto& listed, std::string_view wanted) { return listed.first < wanted; });
        if (found != listedFolders_.end() && found->first == folder)
            return found->second;
    }
    return kNone;
}

FileClass FolderCheck::FolderClass(const ListedFile& folder, const Outcome& outcome) const {
    if (outcome.unlisted != 0)
        return kStillUnreadable;
    const auto file = static_cast<std::uint32_t>(&folder - list_.files.data());
    const auto below = std::lower_bound(
        belowListedFolders_.begin(), belowListedFolders_.end(), file,
        [](const BelowListedFolder& found, std::uint32_t wanted) { return found.folder < wanted; });
    const bool filesFound = below != belowListedFolders_.end() && below->folder == file;
    if (filesFound || FindListedFolderBelow(folder_, list_.Key(folder)))
        return kNowReadable;
    return kMissing;
}

FileClass FolderCheck::ClassOf(const ListedFile& file, const Outcome& outcome) const {
    if (file.folder)
        return FolderClass(file, outcome);
    switch (outcome.found) {
        case kDigested:
            if (!file.digested)
                return kNowReadable;
            return outcome.now == file.digest ? kMatch : kMismatch;
        case kFailed:
        case kNotRegular:
            return file.digested ? kUnreadable : kStillUnreadable;
        case kNotFound:
            break;
    }
    if (outcome.unlisted == 0)
        return kMissing;
    return file.digested ? kUnreadable : kStillUnreadable;
}

void FolderCheck::Settle(const FileCollector& collector, const DigestTable& digests,
                         const FailureList& failures) {
    outcomes_.assign(list_.files.size(), Outcome{});
    for (const auto& [path, text] : digests) {
        ThrowIfStopped(stop_);
        Record(path, kDigested, ParseDigestHex(std::u16string_view(text)).value_or(Digest{}));
    }
    for (const std::u16string& path : failures) {
        ThrowIfStopped(stop_);
        Record(path, collector.unopenable.contains(path) ? kNotRegular : kFailed, Digest{});
    }
    std::sort(ambiguous_.begin(), ambiguous_.end(), [this](const auto& a, const auto& b) {
        ThrowIfStopped(stop_);
        return std::tie(a.group, a.path) < std::tie(b.group, b.path);
    });
    counts_[kAmbiguous] = ambiguous_.size();
    std::sort(belowListedFolders_.begin(), belowListedFolders_.end(),
              [this](const auto& a, const auto& b) {
                  ThrowIfStopped(stop_);
                  return std::tie(a.folder, a.path) < std::tie(b.folder, b.path);
              });
    for (BelowListedFolder& file : belowListedFolders_) {
        file.fileClass = file.found == kDigested ? kNowReadable : kStillUnreadable;
        ++counts_[file.fileClass];
    }

    unlisted_ = collector.unlisted;
    for (std::size_t i = 0; i < unlisted_.size(); ++i)
        unlistedKeys_.emplace_back(KeyOf(unlisted_[i].first), static_cast<std::uint32_t>(i + 1));
    std::sort(unlistedKeys_.begin(), unlistedKeys_.end());

    const std::vector<std::uint32_t>& order = index_.Order();
    for (std::size_t first = 0; first < order.size();) {
        ThrowIfStopped(stop_);
        std::size_t last = first + 1;
        while (last < order.size() && index_.KeyAt(last) == index_.KeyAt(first))
            ++last;
        const bool ambiguous = IsAmbiguous(first, last);
        for (std::size_t position = first; position < last; ++position) {
            ThrowIfStopped(stop_);
            const ListedFile& file = list_.files[order[position]];
            Outcome& outcome = outcomes_[order[position]];
            if (std::find(notCountedPositions_.begin(), notCountedPositions_.end(), position) !=
                notCountedPositions_.end()) {
                outcome.fileClass = kClassCount;
                continue;
            }
            if (outcome.found == kNotFound)
                outcome.unlisted = UnlistedAbove(list_.Key(file));
            outcome.fileClass = ambiguous ? kAmbiguous : ClassOf(file, outcome);
            if (!ambiguous)
                ++counts_[outcome.fileClass];
        }
        first = last;
    }
}
