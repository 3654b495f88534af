// Checking a folder against its list: the class of each file the list names, once the folder has
// been walked and those files hashed again, and the files the list does not name.
//
// A file found now is matched by its key: its path below the folder, converted as the list's
// writer converts it. Names that give the same bytes (a "?" in the list for each, "〜" and "～")
// are matched only where that is certain; otherwise their files are ambiguous, never guessed.
//
// A folder that the list's run could not list (a line of the list's failure section that ends in
// the separator) is taken as a folder that cannot be listed now is: the list knows nothing below
// it, so the files found below it now are not added but hashed, and each is
// 前回読取不可・今回読取可 (or 前回も今回も読取不可 when it cannot be read now). The folder's own
// line is 前回も今回も読取不可 when it cannot be listed now either, 前回読取不可・今回読取可 when
// it can, and 欠落 when it is gone.
#pragma once

#include <atomic>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "check/file_class.h"
#include "digest/hash_job.h"
#include "list/list_index.h"
#include "list/list_reader.h"
#include "list/list_text.h"

class FolderCheck {
  public:
    // What was found of a file now.
    enum Found : std::uint8_t { kNotFound, kDigested, kFailed, kNotRegular };

    struct Outcome {
        Digest now{};  // when digested
        Found found = kNotFound;
        FileClass fileClass = kMissing;
        std::uint32_t unlisted = 0;  // 1 + the index of the unlisted folder that holds the file
    };

    // A file found now among names of the same bytes.
    struct AmbiguousFile {
        std::size_t group;  // the position in the index of the first listed file of that name
        std::u16string path;
        Found found;
        Digest now;
    };

    // A file found now below a folder that the list's run could not list.
    struct BelowListedFolder {
        std::uint32_t folder;  // the folder's line among the list's files
        std::u16string path;
        Found found;
        Digest now;
        FileClass fileClass;
    };

    // The files not counted are the command's own (the list given, its report): where they lie
    // in the folder they are neither added nor checked, and their lines in the list have no
    // class. Each step throws StopRequested once the stop is set.
    FolderCheck(const DigestList& list, std::u16string folder,
                std::vector<std::u16string> notCounted, const std::atomic<bool>& stop);

    // After the walk: takes the files the list does not name out of the table. They are the
    // added files, and need no digest.
    void TakeUnlisted(CollectedTable& collected);
    // After the hashing pass over the files the table kept.
    void Settle(const FileCollector& collector, const DigestTable& digests,
                const FailureList& failures);

    const DigestList& List() const { return list_; }
    const ListIndex& Index() const { return index_; }
    const std::u16string& Folder() const { return folder_; }
    // A file of the list that is not counted has the class kClassCount.
    const Outcome& OutcomeOf(std::size_t file) const { return outcomes_[file]; }
    // Sorted by path as a list is.
    const std::vector<std::u16string>& Added() const { return added_; }
    // Sorted by group, then by path.
    const std::vector<AmbiguousFile>& Ambiguous() const { return ambiguous_; }
    // Sorted by folder, then by path.
    const std::vector<BelowListedFolder>& BelowListedFolders() const { return belowListedFolders_; }
    const std::vector<std::pair<std::u16string, DWORD>>& Unlisted() const { return unlisted_; }
    const ClassCounts& Counts() const { return counts_; }

  private:
    // Appends the text as the list writes names.
    void AppendKey(std::string& key, std::u16string_view text);
    // The key of a path below the folder, valid until the next call.
    std::string_view KeyOf(std::u16string_view path);
    // The positions in the index of the files with the key; the position after the last one
    // found is tried first, since the pass's files come in the list's order when little changed.
    std::pair<std::size_t, std::size_t> FindAfterLast(std::string_view key);
    bool IsNotCounted(const CollectedTable::value_type& entry) const;
    bool IsAmbiguous(std::size_t first, std::size_t last) const;
    void Record(const std::u16string& path, Found found, const Digest& now);
    std::uint32_t UnlistedAbove(std::string_view key) const;
    // The list's line of the folder that the list could not list and that holds the key's
    // file, or kNone.
    std::uint32_t ListedFolderAbove(std::string_view key) const;
    FileClass FolderClass(const ListedFile& folder, const Outcome& outcome) const;
    FileClass ClassOf(const ListedFile& file, const Outcome& outcome) const;

    static constexpr std::uint32_t kNone = ~std::uint32_t{0};

    const DigestList& list_;
    const std::atomic<bool>& stop_;
    const ListIndex index_;
    const std::u16string folder_;
    const std::vector<std::u16string> notCounted_;
    // The positions in the index of the list's lines that name a file not counted: few.
    std::vector<std::size_t> notCountedPositions_;
    ListTextEncoder encoder_;
    std::string key_;
    std::size_t next_ = 0;
    // The number of files found with each key, two meaning two or more, at the position in the
    // index where the key's listed files begin.
    std::vector<std::uint8_t> present_;
    std::vector<Outcome> outcomes_;
    std::vector<std::u16string> added_;
    std::vector<AmbiguousFile> ambiguous_;
    std::vector<std::pair<std::u16string, DWORD>> unlisted_;
    std::vector<std::pair<std::string, std::uint32_t>> unlistedKeys_;  // sorted
    // The keys of the list's folders that its run could not list, with their lines, sorted.
    std::vector<std::pair<std::string_view, std::uint32_t>> listedFolders_;
    std::vector<BelowListedFolder> belowListedFolders_;
    ClassCounts counts_{};
};
