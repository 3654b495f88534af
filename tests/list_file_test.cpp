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

// The documented example; empty, stopped and failure-only runs; tick differences that are
// negative or cross the point where the tick wraps; names with characters outside the code page
// and with line breaks.
TEST(ListWriter, LayoutsByteForByte) {
    struct Case {
        std::u16string root;
        std::int32_t collected;
        const DigestTable& digests;
        const FailureList& failures;
        Tick start, walkEnd, hashEnd;
        std::string expected;
    };
    const std::string a = "/d/a\t" + kA;
    const Tick beforeWrap = 2147483647 - 49;
    const Tick afterWrap = -2147483647 - 1 + 50;
    const std::u16string outside = u"/d/m😀한" + std::u16string(1, char16_t{0xDCE9}) + u"ファイル";
    const std::u16string docs = u"C:\\work\\docs\\";
    const DigestTable none, justA = {{u"/d/a", Utf16(kA)}};
    const DigestTable example = {{docs + u"empty.dat", Utf16(kEmpty)},
                                 {docs + u"a.txt", Utf16(kAbc)}};
    const DigestTable oddNames = {{u"/d/a", Utf16(kA)},
                                  {outside, Utf16(kEmpty)},
                                  {u"/d/line\nbreak\r\x01tab\t\x7f", Utf16(kAbc)}};
    const FailureList noFailures, locked = {docs + u"locked.bin"}, twoFailures = {u"/d/z", u"/d/b"};
    const Case cases[] = {
        {u"C:\\work\\docs", 3, example, locked, 1000, 1120, 3460,
         ListHead("C:\\work\\docs(3)",
                  {"C:\\work\\docs\\a.txt\t" + kAbc, "C:\\work\\docs\\empty.dat\t" + kEmpty},
                  {"C:\\work\\docs\\locked.bin"}) +
             Timing("0.1", "2.3")},
        {u"/d", 0, none, noFailures, 5, 5, 5, ListHead("/d(0)", {}) + Timing("0.0", "0.0")},
        {u"/d", 3, justA, noFailures, 0, 120, 61120,
         ListHead("/d(3)", {a}) + Timing("0.1", "61.0") +
             Lines({kRule, "# (3" + kOf + "1" + kProcessed})},
        {u"/d", 1234, none, noFailures, 0, 0, 0,
         ListHead("/d(1234)", {}) + Timing("0.0", "0.0") +
             Lines({kRule, "# (1234" + kOf + "0" + kProcessed})},
        {u"/d", 2, none, twoFailures, 1000, 750, 750,
         ListHead("/d(2)", {}, {"/d/z", "/d/b"}) + Timing("-0.2", "0.0")},
        {u"/d", 3, oddNames, noFailures, 0, beforeWrap, afterWrap,
         Lines({"# /d(3)", kDoubleRule, a, "/d/line?break??tab\t?\t" + kAbc,
                "/d/m???\x83\x74\x83\x40\x83\x43\x83\x8b\t" + kEmpty, kRule}) +
             Timing("2147483.6", "0.1")},
    };
    ScratchFolder folder;
    for (const Case& each : cases) {
        EXPECT_EQ(
            ListIn(folder, WriteDigestList(each.root, each.collected, each.digests, each.failures,
                                           each.start, each.walkEnd, each.hashEnd, folder.Wide())),
            each.expected);
    }
}

#ifndef _WIN32
// The old list stays as it was when a read-only file of its name is in the way, and when the
// folder may not be written.
TEST(ListWriter, AListThatCannotBeWrittenLeavesTheOldOneAndSaysWhy) {
    ScratchFolder folder;
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
    ListFileResult result = WriteDigestList(u"/x/kept", 0, {}, {}, 0, 0, 0, folder.Wide());
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
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.Root()), {}), 3);
}

#endif

}  // namespace
