#include "check/list_comparison.h"

#include <algorithm>

#include "list/stop_request.h"

namespace {

constexpr Digest kEmptyFileDigest = {0xd4, 0x1d, 0x8c, 0xd9, 0x8f, 0x00, 0xb2, 0x04,
                                     0xe9, 0x80, 0x09, 0x98, 0xec, 0xf8, 0x42, 0x7e};

// The end of the run of equal keys that begins at the position.
std::size_t GroupEnd(const ListIndex& index, std::size_t first) {
    std::size_t last = first + 1;
    while (last < index.Order().size() && index.KeyAt(last) == index.KeyAt(first))
        ++last;
    return last;
}

}  // namespace

ListComparison::ListComparison(const DigestList& oldList, const DigestList& newList,
                               const std::atomic<bool>& stop)
    : old_(oldList),
      new_(newList),
      stop_(stop),
      oldIndex_(oldList, stop),
      newIndex_(newList, stop),
      oldClasses_(oldList.files.size(), kMissing),
      newClasses_(newList.files.size(), kAdded),
      partners_(newList.files.size(), kNoPartner) {
    const std::vector<std::uint32_t>& oldOrder = oldIndex_.Order();
    const std::vector<std::uint32_t>& newOrder = newIndex_.Order();
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < oldOrder.size() && j < newOrder.size()) {
        ThrowIfStopped(stop_);
        const int order = oldIndex_.KeyAt(i).compare(newIndex_.KeyAt(j));
        if (order < 0) {
            ++i;
        } else if (order > 0) {
            ++j;
        } else {
            const std::size_t oldEnd = GroupEnd(oldIndex_, i);
            const std::size_t newEnd = GroupEnd(newIndex_, j);
            if ((oldEnd - i == 1 && newEnd - j == 1) || AlikeInOrder(i, oldEnd, j, newEnd)) {
                for (std::size_t k = 0; k < oldEnd - i; ++k) {
                    ThrowIfStopped(stop_);
                    Pair(oldOrder[i + k], newOrder[j + k]);
                }
            } else {
                for (std::size_t k = i; k < oldEnd; ++k)
                    oldClasses_[oldOrder[k]] = kAmbiguous;
                for (std::size_t k = j; k < newEnd; ++k)
                    newClasses_[newOrder[k]] = kAmbiguous;
                counts_[kAmbiguous] += newEnd - j;
            }
            i = oldEnd;
            j = newEnd;
        }
    }
    FindMoves();
    counts_[kMissing] =
        static_cast<std::size_t>(std::count(oldClasses_.begin(), oldClasses_.end(), kMissing));
    counts_[kAdded] =
        static_cast<std::size_t>(std::count(newClasses_.begin(), newClasses_.end(), kAdded));
}

bool ListComparison::AlikeInOrder(std::size_t oldFirst, std::size_t oldEnd, std::size_t newFirst,
                                  std::size_t newEnd) const {
    if (oldEnd - oldFirst != newEnd - newFirst)
        return false;
    for (std::size_t k = 0; k < oldEnd - oldFirst; ++k) {
        ThrowIfStopped(stop_);
        const ListedFile& was = old_.files[oldIndex_.Order()[oldFirst + k]];
        const ListedFile& is = new_.files[newIndex_.Order()[newFirst + k]];
        if (was.digested != is.digested || (was.digested && was.digest != is.digest))
            return false;
    }
    return true;
}

void ListComparison::Pair(std::uint32_t oldFile, std::uint32_t newFile) {
    const ListedFile& was = old_.files[oldFile];
    const ListedFile& is = new_.files[newFile];
    const FileClass pairClass = !was.digested || !is.digested ? kUnreadable
                                : was.digest == is.digest     ? kMatch
                                                              : kMismatch;
    oldClasses_[oldFile] = pairClass;
    newClasses_[newFile] = pairClass;
    partners_[newFile] = oldFile;
    ++counts_[pairClass];
}

void ListComparison::FindMoves() {
    // The digests of the missing and of the added files that could be moves, each sorted.
    using Candidates = std::vector<std::pair<Digest, std::uint32_t>>;
    const auto candidates = [this](const DigestList& list, const std::vector<FileClass>& classes,
                                   FileClass wanted) {
        Candidates found;
        for (std::uint32_t file = 0; file < list.files.size(); ++file) {
            ThrowIfStopped(stop_);
            const ListedFile& listed = list.files[file];
            if (classes[file] == wanted && listed.digested && listed.digest != kEmptyFileDigest)
                found.emplace_back(listed.digest, file);
        }
        std::sort(found.begin(), found.end(), [this](const auto& a, const auto& b) {
            ThrowIfStopped(stop_);
            return a < b;
        });
        return found;
    };
    const Candidates missing = candidates(old_, oldClasses_, kMissing);
    const Candidates added = candidates(new_, newClasses_, kAdded);
    const auto byDigest = [](const auto& a, const auto& b) { return a.first < b.first; };
    for (auto first = missing.begin(); first != missing.end();) {
        ThrowIfStopped(stop_);
        const auto last = std::upper_bound(first, missing.end(), *first, byDigest);
        const auto [from, to] = std::equal_range(added.begin(), added.end(), *first, byDigest);
        if (last - first == 1 && to - from == 1) {
            oldClasses_[first->second] = kMoved;
            newClasses_[from->second] = kMoved;
            partners_[from->second] = first->second;
            ++counts_[kMoved];
        }
        first = last;
    }
}
