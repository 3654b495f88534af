#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>

#include "digest/worker.h"
#include "platform/path_text.h"
#include "report/list_file_name.h"
#include "report/list_writer.h"
#include "support/processes.h"
#include "support/scratch_folder.h"

namespace {

// The fixed texts of a list in code page 932.
const std::string kRule = "#------------------------------------------";
const std::string kDoubleRule = "#==========================================";
const std::string kFailureTitle =  // ### ＭＤ５生成がエラーになったもの
    "### \x82\x6c\x82\x63\x82\x54\x90\xb6\x90\xac\x82\xaa\x83\x47\x83\x89\x81\x5b\x82\xc9\x82\xc8"
    "\x82\xc1\x82\xbd\x82\xe0\x82\xcc";
const std::string kWalk = "# \x83\x78\x83\x4e\x83\x5e\x90\xb6\x90\xac\x82\xcd";  // # ベクタ生成は
const std::string kHash = "# MD5\x8c\x76\x8e\x5a\x82\xcd";                       // # MD5計算は
const std::string kSeconds = "\x95\x62\x82\xc5\x82\xb7";                         // 秒です
const std::string kOf = ")\x83\x74\x83\x40\x83\x43\x83\x8b\x92\x86(";  // )ファイル中(
const std::string kProcessed =  // )ファイル処理しました
    ")\x83\x74\x83\x40\x83\x43\x83\x8b\x8f\x88\x97\x9d\x82\xb5\x82\xdc\x82\xb5\x82\xbd";

std::string Lines(std::initializer_list<std::string> lines) {
    std::string text;
    for (const std::string& line : lines)
        text += line + "\r\n";
    return text;
}

std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string ListIn(const ScratchFolder& folder, const ListFileResult& result) {
    EXPECT_TRUE(result.written) << *WideToNative(result.reason);
    return ReadBytes(folder.Path(*WideToNative(result.fileName)));
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
        {u"/", u"Hashwick_.txt"},
        {u"relative", u"Hashwick_relative.txt"},
        {u"", u"Hashwick_.txt"},
    };
    for (const auto& [root, name] : cases)
        EXPECT_EQ(MakeListFileName(root), name) << *WideToNative(root);
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
                     kRule + kFailureTitle, "# C:\\work\\docs\\locked.bin", kRule,
                     kWalk + "0.1" + kSeconds, kHash + "2.3" + kSeconds}));
}

TEST(ListWriter, EmptyStoppedAndFailureOnlyRuns) {
    ScratchFolder folder;
    const std::u16string root = u"/data/set";
    EXPECT_EQ(ListIn(folder, WriteDigestList(root, 0, {}, {}, 5, 5, 5, folder.Wide())),
              Lines({"# /data/set(0)", kDoubleRule, kRule, kWalk + "0.0" + kSeconds,
                     kHash + "0.0" + kSeconds}));

    const DigestTable one = {{u"/data/set/a", u"0cc175b9c0f1b6a831c399e269772661"}};
    EXPECT_EQ(ListIn(folder, WriteDigestList(root, 3, one, {}, 0, 120, 61120, folder.Wide())),
              Lines({"# /data/set(3)", kDoubleRule, "/data/set/a\t0cc175b9c0f1b6a831c399e269772661",
                     kRule, kWalk + "0.1" + kSeconds, kHash + "61.0" + kSeconds, kRule,
                     "# (3" + kOf + "1" + kProcessed}));
    EXPECT_EQ(ListIn(folder, WriteDigestList(root, 1234, {}, {}, 0, 0, 0, folder.Wide())),
              Lines({"# /data/set(1234)", kDoubleRule, kRule, kWalk + "0.0" + kSeconds,
                     kHash + "0.0" + kSeconds, kRule, "# (1234" + kOf + "0" + kProcessed}));

    const FailureList failed = {u"/data/set/z", u"/data/set/b"};
    EXPECT_EQ(ListIn(folder, WriteDigestList(root, 2, {}, failed, 0, 0, 0, folder.Wide())),
              Lines({"# /data/set(2)", kDoubleRule, kRule + kFailureTitle, "# /data/set/z",
                     "# /data/set/b", kRule, kWalk + "0.0" + kSeconds, kHash + "0.0" + kSeconds}));
}

TEST(ListWriter, TickDifferencesAreSignedAndWrap) {
    ScratchFolder folder;
    // A later tick below the earlier one gives a negative time.
    const std::string list =
        ListIn(folder, WriteDigestList(u"t", 0, {}, {}, 1000, 750, 750, folder.Wide()));
    EXPECT_NE(list.find(kWalk + "-0.2" + kSeconds + "\r\n"), std::string::npos) << list;
    // 100 ticks across the point where the count wraps to negative.
    const Tick beforeWrap = 2147483647 - 49;
    const Tick afterWrap = -2147483647 - 1 + 50;
    const std::string wrapped = ListIn(
        folder, WriteDigestList(u"t", 0, {}, {}, beforeWrap, beforeWrap, afterWrap, folder.Wide()));
    EXPECT_NE(wrapped.find(kHash + "0.1" + kSeconds + "\r\n"), std::string::npos) << wrapped;
}

TEST(ListWriter, CharactersOutsideTheCodePageBecomeQuestionMarks) {
    ScratchFolder folder;
    const std::u16string odd = u"/d/m😀한" + std::u16string(1, char16_t{0xDCE9}) + u"ファイル";
    const DigestTable digests = {{u"/d/a", u"0cc175b9c0f1b6a831c399e269772661"},
                                 {odd, u"d41d8cd98f00b204e9800998ecf8427e"},
                                 {u"/d/z", u"900150983cd24fb0d6963f7d28e17f72"}};
    EXPECT_EQ(ListIn(folder, WriteDigestList(u"/d", 3, digests, {}, 0, 0, 0, folder.Wide())),
              Lines({"# /d(3)", kDoubleRule, "/d/a\t0cc175b9c0f1b6a831c399e269772661",
                     "/d/m???\x83\x74\x83\x40\x83\x43\x83\x8b\td41d8cd98f00b204e9800998ecf8427e",
                     "/d/z\t900150983cd24fb0d6963f7d28e17f72", kRule, kWalk + "0.0" + kSeconds,
                     kHash + "0.0" + kSeconds}));
}

TEST(ListWriter, AFailedWriteReportsWhyAndKeepsTheOldList) {
    ScratchFolder folder;
    folder.MakeFolder("Hashwick_blocked.txt");
    ListFileResult result = WriteDigestList(u"/x/blocked", 0, {}, {}, 0, 0, 0, folder.Wide());
    EXPECT_FALSE(result.written);
    EXPECT_EQ(result.fileName, u"Hashwick_blocked.txt");
    EXPECT_EQ(result.reason, u"同じ名前のフォルダがあります。");
    EXPECT_TRUE(std::filesystem::is_directory(folder.Path("Hashwick_blocked.txt")));

    folder.WriteFile("out/Hashwick_set.txt", "old list");
    folder.SetMode("out", 0555);
    const std::string unprivileged = RunUnprivileged([&] {
        const ListFileResult denied =
            WriteDigestList(u"/x/set", 0, {}, {}, 0, 0, 0, folder.Wide("out"));
        return (denied.written ? "written " : "refused ") + *WideToNative(denied.reason);
    });
    EXPECT_EQ(unprivileged, "refused 書き込みが許可されていません。");
    EXPECT_EQ(ReadBytes(folder.Path("out/Hashwick_set.txt")), "old list");

    folder.SetMode("out", 0755);
    result = WriteDigestList(u"/x/set", 0, {}, {}, 0, 0, 0, folder.Wide("out"));
    EXPECT_TRUE(result.written);
    EXPECT_TRUE(ReadBytes(folder.Path("out/Hashwick_set.txt")).starts_with("# /x/set(0)\r\n"));
    // Nothing but the lists is left behind.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.Path("out")), {}), 1);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.Root()), {}), 2);
}

// A folder in, a list file out.
TEST(ListWriter, ListsARealRunByteForByte) {
    ScratchFolder folder;
    ScratchFolder output;
    folder.WriteFile("docs/a.txt", "abc");
    folder.WriteFile("docs/empty.dat", "");
    folder.WriteFile("docs/sub/b", "a");
    folder.MakeFifo("docs/pipe");
    FileCollector collector;
    DigestTable digests;
    HashJob job{.collector = &collector, .digests = &digests, .failures = {}};
    ResetStopRequests(job);
    WorkerStartBlock start{folder.Wide("docs"), &job, nullptr};
    std::thread([&] { WorkerThreadProc(&start); }).join();

    const ListFileResult result = WriteDigestList(
        collector.roots.front(), static_cast<std::int32_t>(collector.collected.size()), digests,
        job.failures, 0, 0, 0, output.Wide());
    EXPECT_EQ(result.fileName, u"Hashwick_docs.txt");
    const std::string root = folder.Path("docs");
    EXPECT_EQ(
        ListIn(output, result),
        Lines({"# " + root + "(4)", kDoubleRule, root + "/a.txt\t900150983cd24fb0d6963f7d28e17f72",
               root + "/empty.dat\td41d8cd98f00b204e9800998ecf8427e",
               root + "/sub/b\t0cc175b9c0f1b6a831c399e269772661", kRule + kFailureTitle,
               "# " + root + "/pipe", kRule, kWalk + "0.0" + kSeconds, kHash + "0.0" + kSeconds}));
}

}  // namespace
