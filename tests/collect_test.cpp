#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <iterator>

#include "collect/file_collector.h"
#include "platform/path_text.h"
#include "support/processes.h"
#include "support/scratch_folder.h"

namespace {

// The table as "folder|name" lines, the scratch folder's path written as R and the separator as
// "/".
std::vector<std::string> Entries(const CollectedTable& table, const ScratchFolder& folder) {
    std::vector<std::string> lines;
    for (const auto& [key, name] : table) {
        std::string line = *WideToNative(key) + "|" + *WideToNative(name);
        if (line.starts_with(folder.Root()))
            line.replace(0, folder.Root().size(), "R");
        std::replace(line.begin(), line.end(), static_cast<char>(kPathSeparator), '/');
        lines.push_back(line);
    }
    return lines;
}

std::vector<std::string> Collected(const ScratchFolder& folder, std::vector<std::u16string> roots,
                                   int mode) {
    FileCollector collector;
    collector.roots = std::move(roots);
    collector.Collect(mode);
    return Entries(collector.collected, folder);
}

#ifndef _WIN32
// Folder keys order by UTF-16 code unit: the space before the separator, upper case before lower
// case, a prefix before what extends it, U+1F600 (a surrogate pair, D83D DE00) before U+FF01, and
// bytes that are not UTF-8 (escaped as U+DC80 to U+DCFF) before both. Each folder's own entry
// follows its files.
TEST(FileCollector, ModesRecordTheirEntriesInTableOrder) {
    ScratchFolder folder;
    for (const char* file : {"z.txt", ".dot/.hidden", "Z/h", "a/e", "a b/g", "a/c/f", "ab/i",
                             "\xEF\xBC\x81/x", "\xF0\x9F\x98\x80/y", "caf\xE9/\xFF\xFE"}) {
        folder.WriteFile(file, "");
    }
    folder.MakeFolder("empty");
    const std::vector<std::u16string> root = {folder.Wide()};
    EXPECT_EQ(Collected(folder, root, FilesOnly),
              (std::vector<std::string>{"R|z.txt", "R/.dot|.hidden", "R/Z|h", "R/a|e", "R/a b|g",
                                        "R/a/c|f", "R/ab|i", "R/caf\xE9|\xFF\xFE",
                                        "R/\xF0\x9F\x98\x80|y", "R/\xEF\xBC\x81|x"}));
    std::filesystem::remove_all(folder.Path("\xEF\xBC\x81"));
    std::filesystem::remove_all(folder.Path("\xF0\x9F\x98\x80"));
    std::filesystem::remove_all(folder.Path("caf\xE9"));
    EXPECT_EQ(Collected(folder, root, FoldersOnly),
              (std::vector<std::string>{"R|", "R/.dot|", "R/Z|", "R/a|", "R/a b|", "R/a/c|",
                                        "R/ab|", "R/empty|"}));
    const std::vector<std::string> both = {
        "R|z.txt", "R|",     "R/.dot|.hidden", "R/.dot|", "R/Z|h",  "R/Z|",  "R/a|e",   "R/a|",
        "R/a b|g", "R/a b|", "R/a/c|f",        "R/a/c|",  "R/ab|i", "R/ab|", "R/empty|"};
    EXPECT_EQ(Collected(folder, root, FilesAndFolders), both);
    EXPECT_EQ(Collected(folder, root, 7), both);
}

#endif

// Permission denial, FIFOs and the links of a Linux folder: no such cases on Windows.
#ifndef _WIN32
// A walk of files records the folder that cannot be listed in its files' place, never to be
// opened, and counts it as no file.
TEST(FileCollector, UnreadableSubfolderIsSkippedAndItsSiblingsWalked) {
    ScratchFolder folder;
    folder.WriteFile("open/f", "");
    folder.WriteFile("locked/g", "");
    folder.WriteFile("locked/deeper/h", "");
    folder.WriteFile("zz/k", "");
    folder.SetMode("locked", 0);
    const std::string walked = RunUnprivileged([&] {
        std::string lines;
        for (const std::string& line : Collected(folder, {folder.Wide()}, FilesAndFolders))
            lines += line + " ";
        FileCollector collector;
        collector.roots = {folder.Wide()};
        collector.Collect(FilesOnly);
        for (const std::string& line : Entries(collector.collected, folder))
            lines += line + " ";
        lines += std::to_string(collector.collectedCount) + " ";
        for (const std::u16string& path : collector.unopenable)
            lines += *WideToNative(path) == folder.Path("locked") + "/" ? "unopenable" : "?";
        return lines;
    });
    EXPECT_EQ(walked, "R| R/open|f R/open| R/zz|k R/zz| R/locked| R/open|f R/zz|k 2 unopenable");
}

std::vector<std::string> Sorted(std::vector<std::string> lines) {
    std::sort(lines.begin(), lines.end());
    return lines;
}

// A link back to a folder on the current descent, or to one holding the root, is not followed:
// its walk would repeat without end. A folder entered through a link is entered that way once.
TEST(FileCollector, LinksAndSpecialFilesNeitherLoopNorHang) {
    ScratchFolder folder;
    ScratchFolder elsewhere;
    elsewhere.WriteFile("x", "");
    folder.WriteFile("f", "");
    folder.MakeLink("l1", ".");
    folder.MakeLink("l2", ".");
    folder.WriteFile("sub/g", "");
    folder.MakeLink("sub/up", "..");
    folder.MakeLink("sub/self", "../sub");
    folder.MakeLink("sub/top", "../..");
    folder.MakeLink("out", elsewhere.Root());
    folder.MakeLink("dangling", "missing");
    folder.MakeLink("loop", "loop");
    folder.MakeFifo("fifo");
    folder.WriteFile("a/x", "");
    folder.MakeLink("b/sibling", "../a");
    folder.WriteFile("m1/p", "");
    folder.WriteFile("m2/q", "");
    folder.MakeLink("m1/to2", "../m2");
    folder.MakeLink("m2/to1", "../m1");
    // A dangling link and one that loops are of no kind the walk can tell: files it found.
    EXPECT_EQ(Sorted(Collected(folder, {folder.Wide()}, FilesOnly)),
              (std::vector<std::string>{"R/a|x", "R/b/sibling|x", "R/m1/to2|q", "R/m1|p",
                                        "R/m2/to1|p", "R/m2|q", "R/out|x", "R/sub|g", "R|dangling",
                                        "R|f", "R|fifo", "R|loop"}));

    // Twelve folders that each link to all the others: every folder is entered once through a
    // link, where every path through the links would be some 10^9 paths.
    ScratchFolder graph;
    for (int from = 0; from < 12; ++from) {
        graph.WriteFile("g" + std::to_string(from) + "/f", "");
        for (int to = 0; to < 12; ++to) {
            if (to != from) {
                graph.MakeLink("g" + std::to_string(from) + "/to" + std::to_string(to),
                               graph.Path("g" + std::to_string(to)));
            }
        }
    }
    EXPECT_EQ(Collected(graph, {graph.Wide()}, FilesOnly).size(), 24u);
}

#endif

TEST(FileCollector, RootsAreWalkedInOrderAndStopRequestsHonoured) {
    ScratchFolder folder;
    folder.WriteFile("a/f", "");
    folder.WriteFile("b", "");
    EXPECT_EQ(
        Collected(folder, {folder.Wide("a"), folder.Wide(), folder.Wide("missing")}, FilesOnly),
        (std::vector<std::string>{"R|b", "R/a|f", "R/a|f"}));
    EXPECT_TRUE(Collected(folder, {folder.Wide("missing")}, FilesOnly).empty());

    // A request made before the walk stops it; clearing the flag is the starter's business.
    FileCollector collector;
    collector.roots = {folder.Wide()};
    collector.stopWalk = true;
    collector.Collect(FilesOnly);
    EXPECT_TRUE(collector.collected.empty());
    collector.stopWalk = false;
    collector.Collect(FilesOnly);
    EXPECT_EQ(collector.collected.size(), 2u);
}

}  // namespace
