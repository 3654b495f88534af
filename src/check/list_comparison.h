// Comparing two lists, without hashing: the class of each file of either list. Files are the
// same when their keys (paths below each list's root) are; a file is moved when its digest is at
// a new path and exactly one old path with that digest has gone. Empty files and digests that
// more than one added or missing file share are never moves: which went where is not known.
//
// Names that a list writes alike (a "?" for each emoji) share a key. Where both lists hold as many
// files of a key, with the same digests in the same order (the lists' own order, by name), they
// are the same files, taken pair by pair: a list compared with itself is the same. Otherwise
// which is which is not guessed, and all of them are ambiguous.
#pragma once

#include <atomic>
#include <cstdint>
#include <limits>
#include <vector>

#include "check/file_class.h"
#include "list/list_index.h"
#include "list/list_reader.h"

class ListComparison {
  public:
    static constexpr std::uint32_t kNoPartner = std::numeric_limits<std::uint32_t>::max();

    // Throws StopRequested once the stop is set.
    ListComparison(const DigestList& oldList, const DigestList& newList,
                   const std::atomic<bool>& stop);

    const DigestList& Old() const { return old_; }
    const DigestList& New() const { return new_; }
    const ListIndex& OldIndex() const { return oldIndex_; }
    const ListIndex& NewIndex() const { return newIndex_; }
    FileClass OldClass(std::size_t file) const { return oldClasses_[file]; }
    FileClass NewClass(std::size_t file) const { return newClasses_[file]; }
    // The old file that a new one continues (the same key, or a move), or kNoPartner.
    std::uint32_t PartnerOf(std::size_t newFile) const { return partners_[newFile]; }
    // Pairs count once, files in neither pair nor group once on their side, ambiguous files once
    // on the new side.
    const ClassCounts& Counts() const { return counts_; }

  private:
    // Whether the files of a key, at those positions of the indexes, are alike pair by pair.
    bool AlikeInOrder(std::size_t oldFirst, std::size_t oldEnd, std::size_t newFirst,
                      std::size_t newEnd) const;
    void Pair(std::uint32_t oldFile, std::uint32_t newFile);
    void FindMoves();

    const DigestList& old_;
    const DigestList& new_;
    const std::atomic<bool>& stop_;
    const ListIndex oldIndex_;
    const ListIndex newIndex_;
    std::vector<FileClass> oldClasses_;
    std::vector<FileClass> newClasses_;
    std::vector<std::uint32_t> partners_;
    ClassCounts counts_{};
};
