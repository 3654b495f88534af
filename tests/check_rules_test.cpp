// The rules that put each file of a check or a comparison in its class, run in this process on
// lists read from their bytes and, for a check, on real folders hashed by the real pass.
#include <gtest/gtest.h>

#include <filesystem>

#include "check/folder_check.h"
#include "check/list_comparison.h"
#include "platform/path_text.h"
#include "support/processes.h"
#include "support/scratch_folder.h"
#include "support/texts.h"

namespace {

const std::atomic<bool> never = false;

std::string Utf8(std::u16string_view text) {
    return WideToNative(text).value_or("?");
}

// A file's class and the list's key of it, as UTF-8.
std::string Line(FileClass fileClass, const DigestList& list, const ListedFile& file) {
    const std::string_view key = list.Key(file);
    return Utf8(kClassNames[fileClass]) + " " +
           (list.names == ListNames::kCodePage932 ? FromCodePage932(key) : std::string(key)) + "\n";
}

// Checks the folder against the list as --verify does, the files not counted left out. Each
// listed file's class and key, then the added files and the files found now below a folder the
// list could not see or among names written alike (with their digests' start), one a line.
std::string Check(const std::string& bytes, const ScratchFolder& folder,
                  std::vector<std::u16string> notCounted = {}) {
    const DigestList list = ParseListToCheck(bytes, never).list.value();
    FileCollector collector;
    collector.roots = {folder.Wide()};
    collector.Collect(FilesOnly);
    FolderCheck check(list, folder.Wide(), std::move(notCounted), never);
    check.TakeUnlisted(collector.collected);
    DigestTable digests;
    HashJob job{.collector = &collector, .digests = &digests, .failures = {}};
    job.RunHashingPass();
    check.Settle(collector, digests, job.failures);
    std::string found;
    for (std::size_t file = 0; file < list.files.size(); ++file) {
        if (check.OutcomeOf(file).fileClass != kClassCount)
            found += Line(check.OutcomeOf(file).fileClass, list, list.files[file]);
    }
    const auto below = [&folder](const std::u16string& path) {
        return Utf8(path).substr(folder.Root().size());
    };
    for (const std::u16string& path : check.Added())
        found += "追加 " + below(path) + "\n";
    for (const auto& file : check.BelowListedFolders())
        found += Utf8(kClassNames[file.fileClass]) + " " + below(file.path) + "\n";
    for (const auto& file : check.Ambiguous())
        found += "今回 " + below(file.path) + " " + DigestHex<char>(file.now).substr(0, 4) + "\n";
    return found;
}

// Compares the lists as --compare does: each new file's class and key, then each old file that
// is missing, moved or ambiguous.
std::string Compare(const std::string& oldBytes, const std::string& newBytes) {
    const DigestList old = ParseListToCheck(oldBytes, never).list.value();
    const DigestList now = ParseListToCheck(newBytes, never).list.value();
    const ListComparison comparison(old, now, never);
    std::string found;
    for (std::size_t file = 0; file < now.files.size(); ++file)
        found += Line(comparison.NewClass(file), now, now.files[file]);
    for (std::size_t file = 0; file < old.files.size(); ++file) {
        const FileClass fileClass = comparison.OldClass(file);
        if (fileClass == kMissing || fileClass == kMoved || fileClass == kAmbiguous)
            found += "旧 " + Line(fileClass, old, old.files[file]);
    }
    return found;
}

// Names our list could only write with "?", that share their bytes ("〜" and "～" on this
// system), or hold a TAB or a line break are found again by their bytes, also in a Windows
// program's list in code page 932, and twins are never guessed. md5sum's lists (text and tagged)
// name each file by its own bytes.
TEST(CheckRules, NamesAreMatchedByTheirBytesInTheList) {
    ScratchFolder folder;
    const std::string root = folder.Root();
    // Each name, and as our list writes it.
    const std::pair<std::string, std::string> names[] = {
        {"a😀", "a?"},         {"b\xff", "b?"},
        {"q?", "q?"},         {"tab\there", "tab\there"},
        {"sp ace", "sp ace"}, {"line\nbreak", "line?break"},
        {"〜", "～"},         {"写真/表ソ", "写真/表ソ"}};
    folder.WriteFile("back\\slash", "a");
    std::vector<std::string> lines, md5sum = {"md5sum", "--", "back\\slash"};
    std::string windows, exact = "一致 /back\\slash\n";
    for (const auto& [name, listed] : names) {
        folder.WriteFile(name, "a");
        lines.push_back(root + "/" + listed + "\t" + kA);
        windows += kA + " *" + (name == "写真/表ソ" ? "写真\\表ソ" : listed) + "\r\n";
        md5sum.push_back(name);
        exact += "一致 /" + name + "\n";
    }
    const std::string list = ListFile(root + "(8)", lines);
    const std::string others =
        "一致 /b?\n一致 /q?\n一致 /tab\there\n一致 /sp ace\n一致 /line?break\n";
    const std::string checked =
        "一致 /a?\n" + others + "一致 /～\n一致 /写真/表ソ\n追加 /back\\slash\n";
    EXPECT_EQ(Check(list, folder), checked);
    EXPECT_EQ(Check(ToCodePage932(windows), folder), checked);
    const std::string text = RunCommand(md5sum, root).output;
    md5sum.insert(md5sum.begin() + 1, "--tag");
    const std::string tagged = RunCommand(md5sum, root).output;
    EXPECT_EQ(Check(text, folder), exact);
    EXPECT_EQ(Check(tagged, folder), exact);
    folder.WriteFile("a🎉", "b");
    folder.WriteFile("～", "b");
    EXPECT_EQ(Check(list, folder),
              "曖昧 /a?\n" + others +
                  "曖昧 /～\n一致 /写真/表ソ\n追加 /back\\slash\n今回 /a🎉 92eb\n"
                  "今回 /a😀 0cc1\n今回 /〜 0cc1\n今回 /～ 92eb\n");
}

// Groups of 2, 3 and 50 names that our list writes alike (Hangul syllables, each a "?").
// Checked, every file of a group is ambiguous. Compared, lists with as many files of the same
// digests in the same order are the same pair by pair; a group whose digests or size differ is
// ambiguous, and only that group.
TEST(CheckRules, NamesWrittenAlikeAreMatchedAsAGroupOfAnySize) {
    ScratchFolder folder;
    const std::string root = folder.Root();
    std::vector<std::string> lines, changed;
    std::string checked, found, same, compared, oldAmbiguous;
    for (int size : {2, 3, 50}) {
        const std::string group = "/g" + std::to_string(size) + "/";
        for (int file = 0; file < size; ++file) {
            const std::string name = group + Utf8(std::u16string(1, char16_t(0xAC00 + file)));
            folder.WriteFile(name.substr(1), "a");
            lines.push_back(root + group + "?\t" + kA);
            checked += "曖昧 " + group + "?\n";
            found += "今回 " + name + " 0cc1\n";
            same += "一致 " + group + "?\n";
            // One file of the three changed, one of the fifty gone.
            if (file < 49)
                changed.push_back(root + group + "?\t" + (size == 3 && file == 1 ? kB : kA));
            if (size == 2) {
                compared += "一致 " + group + "?\n";
                continue;
            }
            compared += file < 49 ? "曖昧 " + group + "?\n" : "";
            oldAmbiguous += "旧 曖昧 " + group + "?\n";
        }
    }
    const std::string list = ListFile(root + "(55)", lines);
    EXPECT_EQ(Check(list, folder), checked + found);
    EXPECT_EQ(Compare(list, list), same);
    EXPECT_EQ(Compare(list, ListFile(root + "(54)", changed)), compared + oldAmbiguous);
}

// What the list's run could not see is checked now: the files found below a folder it could not
// list are not added but hashed, and the folder's line is gone once the folder is. The check's own
// files (the list and the report) are not counted, also where the list names them. A file become
// a folder is missing and what it holds added; a path listed twice is no guess.
TEST(CheckRules, WhatTheListCouldNotSeeIsCheckedNowAndTheCheckSOwnFilesNotAtAll) {
    ScratchFolder folder;
    for (const char* file : {"a", "closed/hidden", "f/inner", "t"})
        folder.WriteFile(file, "a");
    folder.WriteFile("list.txt", "");
    const std::string root = folder.Root();
    const std::string list =
        ListFile(root + "(5)",
                 {root + "/a\t" + kA, root + "/f\t" + kA, root + "/list.txt\t" + kB,
                  root + "/t\t" + kA, root + "/t\t" + kB},
                 {root + "/closed/"});
    const std::string same = "一致 /a\n欠落 /f\n曖昧 /t\n曖昧 /t\n";
    EXPECT_EQ(Check(list, folder, {folder.Wide("list.txt"), folder.Wide("report.txt")}),
              same +
                  "前回読取不可・今回読取可 /closed/\n追加 /f/inner\n"
                  "前回読取不可・今回読取可 /closed/hidden\n今回 /t 0cc1\n");
    std::filesystem::remove_all(folder.Path("closed"));
    folder.WriteFile("report.txt", "");
    EXPECT_EQ(Check(list, folder, {folder.Wide("list.txt"), folder.Wide("report.txt")}),
              same + "欠落 /closed/\n追加 /f/inner\n今回 /t 0cc1\n");
}

// Moves need a digest that exactly one file left and one file got; empty files and shared digests
// are added and missing instead. The roots differ, and only the paths below them count.
TEST(CompareRules, MovesNeedADigestOnlyOneFileLeftAndOneGot) {
    const std::string old =
        ListFile("C:\\old(8)",
                 {"C:\\old\\a\\big\t" + k1, "C:\\old\\changed\t" + k2, "C:\\old\\d1\t" + kA,
                  "C:\\old\\d2\t" + kA, "C:\\old\\e\t" + kEmpty, "C:\\old\\gone\t" + kB,
                  "C:\\old\\same\t" + k3},
                 {"C:\\old\\locked"});
    const std::string now =
        ListFile("/new(8)", {"/new/b/big\t" + k1, "/new/changed\t" + k4, "/new/d3\t" + kA,
                             "/new/e2\t" + kEmpty, "/new/fresh1\t" + kB, "/new/fresh2\t" + kB,
                             "/new/locked\t" + k5, "/new/same\t" + k3});
    EXPECT_EQ(Compare(old, now),
              "移動 /b/big\n不一致 /changed\n追加 /d3\n追加 /e2\n追加 /fresh1\n追加 /fresh2\n"
              "読取不可 /locked\n一致 /same\n旧 移動 /a/big\n旧 欠落 /d1\n旧 欠落 /d2\n旧 欠落 /e\n"
              "旧 欠落 /gone\n");
}

}  // namespace
