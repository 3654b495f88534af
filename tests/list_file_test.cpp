#include <gtest/gtest.h>

#include <filesystem>

#include "platform/folder_path.h"
#include "platform/path_text.h"
#include "report/list_file_name.h"
#include "report/list_writer.h"
#include "support/processes.h"
#include "support/scratch_folder.h"
#include "support/texts.h"

namespace {

std::string ListIn(const ScratchFolder& folder, const ListFileResult& result) {
    EXPECT_TRUE(result.written) << *WideToNative(result.reason);
    return folder.ReadFile(*WideToNative(result.fileName));
}

TEST(ListFileName, IsTheLastComponentWithoutExtensionOrTheDrive) {
    const std::pair<std::u16string, std::u16string> cases[] = {
        {u"C:\\work\\docs", u"Hashwick_docs.txt"},
        {u"C:\\", u"Hashwick_C.txt"},
        {u"C:", u"Hashwick_C.txt"},
        {u"D:\\data\\", u"Hashwick_D.txt"},
        {u"D:\\photos\\2024.05", u"Hashwick_2024.txt"},
        {u"D:\\x\\archive.", u"Hashwick_archive.txt"},
        {u"D:\\x\\.cache", u"Hashwick_D.txt"},
        {u"D:\\2023.bak\\set", u"Hashwick_set.txt"},
        {u"D:/data/set", u"Hashwick_set.txt"},
        {u"\\\\server\\share", u"Hashwick_share.txt"},
        {u"\\\\server\\share\\", u"Hashwick_.txt"},
        {u"/home/user/写真", u"Hashwick_写真.txt"},
        {u"/srv/data/", u"Hashwick_.txt"},
        {u"", u"Hashwick_.txt"},
    };
    for (const auto& [root, name] : cases)
        EXPECT_EQ(MakeListFileName(root), name) << *WideToNative(root);
}

// A folder given with trailing separators is the folder; the top of the file system, and on
// Windows a drive's root, keep theirs.
TEST(ListFileName, TrailingSeparatorsGoBeforeTheRun) {
#ifdef _WIN32
    const std::pair<std::u16string, std::u16string> cases[] = {
        {u"C:\\", u"C:\\"},
        {u"C:\\\\", u"C:\\"},
        {u"C:\\data\\", u"C:\\data"},
        {u"C:/data//", u"C:/data"},
        {u"\\", u"\\"},
        {u"\\\\server\\share\\", u"\\\\server\\share"}};
#else
    const std::pair<std::u16string, std::u16string> cases[] = {{u"/", u"/"},
                                                               {u"//", u"/"},
                                                               {u"data/", u"data"},
                                                               {u"/srv/data//", u"/srv/data"},
                                                               {u"data\\", u"data\\"}};
#endif
    for (const auto& [given, root] : cases) {
        EXPECT_EQ(WithoutTrailingSeparators(given), root) << *WideToNative(given);
        if (root.ends_with(u"data")) {
            EXPECT_EQ(MakeListFileName(root), u"Hashwick_data.txt") << *WideToNative(given);
        }
    }
}

TEST(ListWriter, WritesTheDocumentedExampleByteForByte) {
    ScratchFolder folder;
    const DigestTable digests = {
        {u"C:\\work\\docs\\empty.dat", u"d41d8cd98f00b204e9800998ecf8427e"},
        {u"C:\\work\\docs\\a.txt", u"900150983cd24fb0d6963f7d28e17f72"}};
    const FailureList failures = {u"C:\\work\\docs\\locked.bin"};
    const ListFileResult result =
        WriteDigestList(u"C:\\work\\docs", 3, digests, failures, 1000, 1120, 3460, folder.Wide());
    EXPECT_EQ(result.fileName, u"Hashwick_docs.txt");
    EXPECT_EQ(ListIn(folder, result),
              Lines({"# C:\\work\\docs(3)", kDoubleRule,
                     "C:\\work\\docs\\a.txt\t900150983cd24fb0d6963f7d28e17f72",
                     "C:\\work\\docs\\empty.dat\td41d8cd98f00b204e9800998ecf8427e",
                     kRule + kFailureTitle, "# C:\\work\\docs\\locked.bin", kRule}) +
                  Timing("0.1", "2.3"));
}

// Empty, stopped and failure-only runs; tick differences that are negative or cross the point
// where the tick wraps; names with characters outside the code page and with line breaks.
TEST(ListWriter, LayoutsByteForByte) {
    struct Case {
        std::int32_t collected;
        const DigestTable& digests;
        const FailureList& failures;
        Tick start, walkEnd, hashEnd;
        std::string expected;
    };
    const std::string a = "/d/a\t0cc175b9c0f1b6a831c399e269772661";
    const Tick beforeWrap = 2147483647 - 49;
    const Tick afterWrap = -2147483647 - 1 + 50;
    const std::u16string outside = u"/d/m😀한" + std::u16string(1, char16_t{0xDCE9}) + u"ファイル";
    const DigestTable none, justA = {{u"/d/a", u"0cc175b9c0f1b6a831c399e269772661"}};
    const DigestTable oddNames = {
        {u"/d/a", u"0cc175b9c0f1b6a831c399e269772661"},
        {outside, u"d41d8cd98f00b204e9800998ecf8427e"},
        {u"/d/line\nbreak\r\x01tab\t\x7f", u"900150983cd24fb0d6963f7d28e17f72"}};
    const FailureList noFailures, twoFailures = {u"/d/z", u"/d/b"};
    const Case cases[] = {
        {0, none, noFailures, 5, 5, 5,
         Lines({"# /d(0)", kDoubleRule, kRule}) + Timing("0.0", "0.0")},
        {3, justA, noFailures, 0, 120, 61120,
         Lines({"# /d(3)", kDoubleRule, a, kRule}) + Timing("0.1", "61.0") +
             Lines({kRule, "# (3" + kOf + "1" + kProcessed})},
        {1234, none, noFailures, 0, 0, 0,
         Lines({"# /d(1234)", kDoubleRule, kRule}) + Timing("0.0", "0.0") +
             Lines({kRule, "# (1234" + kOf + "0" + kProcessed})},
        {2, none, twoFailures, 1000, 750, 750,
         Lines({"# /d(2)", kDoubleRule, kRule + kFailureTitle, "# /d/z", "# /d/b", kRule}) +
             Timing("-0.2", "0.0")},
        {3, oddNames, noFailures, 0, beforeWrap, afterWrap,
         Lines(
             {"# /d(3)", kDoubleRule, a, "/d/line?break??tab\t?\t900150983cd24fb0d6963f7d28e17f72",
              "/d/m???\x83\x74\x83\x40\x83\x43\x83\x8b\td41d8cd98f00b204e9800998ecf8427e", kRule}) +
             Timing("2147483.6", "0.1")},
    };
    ScratchFolder folder;
    for (const Case& each : cases) {
        EXPECT_EQ(
            ListIn(folder, WriteDigestList(u"/d", each.collected, each.digests, each.failures,
                                           each.start, each.walkEnd, each.hashEnd, folder.Wide())),
            each.expected);
    }
}

#ifndef _WIN32
// The old list stays as it was when a folder of its name is in the way, when a read-only file of
// its name is, and when the folder may not be written.
TEST(ListWriter, AListThatCannotBeWrittenLeavesTheOldOneAndSaysWhy) {
    ScratchFolder folder;
    folder.MakeFolder("Hashwick_blocked.txt");
    ListFileResult result = WriteDigestList(u"/x/blocked", 0, {}, {}, 0, 0, 0, folder.Wide());
    EXPECT_FALSE(result.written);
    EXPECT_EQ(result.fileName, u"Hashwick_blocked.txt");
    EXPECT_EQ(result.reason, u"同じ名前のフォルダがあります。");

    folder.WriteFile("Hashwick_kept.txt", "read-only list");
    folder.SetMode("Hashwick_kept.txt", 0444);
    folder.WriteFile("Hashwick_owned.txt", "root's list");
    folder.SetMode(".", 0777);
    folder.WriteFile("out/Hashwick_set.txt", "old list");
    folder.SetMode("out", 0555);
    const std::string unprivileged = RunUnprivileged([&] {
        std::string reasons;
        for (const char16_t* root : {u"/x/set", u"/x/kept", u"/x/owned"}) {
            const ListFileResult denied = WriteDigestList(
                root, 0, {}, {}, 0, 0, 0,
                root == std::u16string(u"/x/set") ? folder.Wide("out") : folder.Wide());
            reasons +=
                (denied.written ? "written " : "refused ") + *WideToNative(denied.reason) + "\n";
        }
        return reasons;
    });
    EXPECT_EQ(unprivileged,
              "refused 書き込みが許可されていません。\n"
              "refused 同じ名前の読み取り専用ファイルがあります。\n"
              "refused 同じ名前の読み取り専用ファイルがあります。\n");
    result = WriteDigestList(u"/x/kept", 0, {}, {}, 0, 0, 0, folder.Wide());
    EXPECT_EQ(result.reason, u"同じ名前の読み取り専用ファイルがあります。") << "also for root";
    EXPECT_EQ(folder.ReadFile("out/Hashwick_set.txt"), "old list");
    EXPECT_EQ(folder.ReadFile("Hashwick_kept.txt"), "read-only list");
    EXPECT_EQ(folder.ReadFile("Hashwick_owned.txt"), "root's list");

    folder.SetMode("out", 0755);
    result = WriteDigestList(u"/x/set", 0, {}, {}, 0, 0, 0, folder.Wide("out"));
    EXPECT_TRUE(result.written);
    EXPECT_TRUE(folder.ReadFile("out/Hashwick_set.txt").starts_with("# /x/set(0)\r\n"));
    // Nothing but the lists is left behind.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.Path("out")), {}), 1);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.Root()), {}), 4);
}

#endif

// A folder in, a list file out (on Linux a FIFO in it too, which is listed as not read).

}  // namespace
