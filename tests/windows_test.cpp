// What only Windows has: its console program, files locked by another handle, paths past
// MAX_PATH, the read-only attribute, and names that code page 932 cannot write.
#include <gtest/gtest.h>

#include <cstdlib>
#include <thread>

#include "digest/worker.h"
#include "platform/path_text.h"
#include "platform/windows_file_queries.h"
#include "report/list_writer.h"
#include "support/code_page.h"
#include "support/processes.h"
#include "support/scratch_folder.h"
#include "support/texts.h"
#include "support/windows_files.h"

namespace {

// The list of a run over the folder, written into output.
std::string ListOf(const std::u16string& root, const ScratchFolder& output) {
    FileCollector collector;
    DigestTable digests;
    HashJob job{.collector = &collector, .digests = &digests, .failures = {}};
    ResetStopRequests(job);
    WorkerStartBlock start{root, &job, nullptr};
    std::thread([&] { WorkerThreadProc(&start); }).join();
    const ListFileResult result = WriteDigestList(
        collector.roots.front(), static_cast<std::int32_t>(collector.collectedCount), digests,
        job.failures, 0, 0, 0, output.Wide());
    EXPECT_TRUE(result.written) << *WideToNative(result.reason);
    return output.ReadFile(*WideToNative(result.fileName));
}

// A file that another handle holds without sharing is listed as not read. A path past MAX_PATH
// is walked and hashed, handed to the system in the "\\?\" form, and listed without it.
TEST(WindowsRun, ListsALockedFileAsNotReadAndWalksPastMaxPath) {
    ScratchFolder folder;
    ScratchFolder output;
    folder.WriteFile("docs/a.txt", "abc");
    folder.WriteFile("docs/locked.bin", "x");
    std::string deep = "docs";
    while (folder.Path(deep).size() < 300)
        deep += "\\long folder name";
    WriteLongPathFile(Utf16(folder.Path(deep + "\\b")), "a");
    const FileHeldOpen held(folder.Wide("docs\\locked.bin"));
    const std::string root = folder.Path("docs");
    EXPECT_EQ(ListOf(folder.Wide("docs"), output),
              ListHead(root + "(3)", {root + "\\a.txt\t" + kAbc, folder.Path(deep) + "\\b\t" + kA},
                       {root + "\\locked.bin"}) +
                  Timing("0.0", "0.0"));
}

// The read-only attribute keeps a list of the name as it is, and so does a folder of the name.
TEST(WindowsList, AReadOnlyListOrAFolderInTheWayIsLeftAlone) {
    ScratchFolder folder;
    folder.WriteFile("Hashwick_kept.txt", "read-only list");
    SetReadOnly(folder.Wide("Hashwick_kept.txt"), true);
    folder.MakeFolder("Hashwick_blocked.txt");
    ListFileResult result = WriteDigestList(u"C:\\kept", 0, {}, {}, 0, 0, 0, folder.Wide());
    EXPECT_FALSE(result.written);
    EXPECT_EQ(result.reason, u"同じ名前の読み取り専用ファイルがあります。");
    EXPECT_EQ(folder.ReadFile("Hashwick_kept.txt"), "read-only list");
    result = WriteDigestList(u"C:\\blocked", 0, {}, {}, 0, 0, 0, folder.Wide());
    EXPECT_EQ(result.reason, u"同じ名前のフォルダがあります。");

    SetReadOnly(folder.Wide("Hashwick_kept.txt"), false);
    result = WriteDigestList(u"C:\\kept", 0, {}, {}, 0, 0, 0, folder.Wide());
    EXPECT_TRUE(result.written);
    EXPECT_EQ(folder.ReadFile("Hashwick_kept.txt"),
              ListHead("C:\\kept(0)", {}) + Timing("0.0", "0.0"));
}

// The list's own name is a Windows name and keeps every character; in the list, each code point
// that code page 932 cannot write is one "?". The characters named are those whose bytes Windows'
// table and Wine's agree on; 〜, − and ‖ are "?" on both, where the C library's table of Linux
// writes the bytes of ～, － and ∥.
TEST(WindowsList, NamesOutsideCodePage932) {
    ScratchFolder folder;
    ScratchFolder output;
    const std::string agreed = "写真ファイル～－∥￠￢―①ｱ";
    folder.WriteFile("写真😀한\\" + agreed, "");
    folder.WriteFile("写真😀한\\〜−‖", "");
    const std::string written = folder.Root() + "\\写真??";
    EXPECT_EQ(ListOf(Utf16(folder.Path("写真😀한")), output),
              ListHead(written + "(2)",
                       {written + "\\???\t" + kEmpty, written + "\\" + agreed + "\t" + kEmpty}) +
                  Timing("0.0", "0.0"));
    EXPECT_TRUE(output.ReadFile("Hashwick_写真😀한.txt").starts_with("# "));
}

// The program run from a console, as cmd.exe runs it: statuses and messages as on Linux, the
// lines of stderr ended the Windows way.
TEST(WindowsProgram, WritesTheListOrSaysWhyWithTheStatusesOfLinux) {
    ScratchFolder folder;
    ScratchFolder workingDirectory;
    folder.WriteFile("docs\\a.txt", "abc");
    const std::string root = folder.Path("docs");
    _putenv("HASHWICK_UI=console");
    CommandResult result = RunCommand({HASHWICK_BINARY, root}, workingDirectory.Root());
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_EQ(result.errors, "");
    // Trailing separators of either kind change nothing.
    const std::string head = ListHead(root + "(1)", {root + "\\a.txt\t" + kAbc});
    EXPECT_TRUE(workingDirectory.ReadFile("Hashwick_docs.txt").starts_with(head + kWalk));
    for (const std::string& given : {root + "\\", root + "/"}) {
        result = RunCommand({HASHWICK_BINARY, given}, workingDirectory.Root());
        EXPECT_EQ(result.exitStatus, 0) << given;
        EXPECT_TRUE(workingDirectory.ReadFile("Hashwick_docs.txt").starts_with(head + kWalk))
            << given;
    }

    result = RunCommand({HASHWICK_BINARY, "--version"}, workingDirectory.Root());
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_EQ(result.output, "hashwick " HASHWICK_VERSION "\r\n");
    result = RunCommand({HASHWICK_BINARY}, workingDirectory.Root());
    EXPECT_EQ(result.exitStatus, 2);
    EXPECT_EQ(result.errors, "Hashwick: 使い方: hashwick フォルダ\r\n");
    result = RunCommand({HASHWICK_BINARY, root + "\\a.txt"}, workingDirectory.Root());
    EXPECT_EQ(result.exitStatus, 2);
    EXPECT_EQ(result.errors, "Hashwick: 存在しないディレクトリが指定されています。\r\n");
}

// What the system is given for a path: a short one as it stands, a long one absolute, normalised
// and in the "\\?\" form, on a drive as on a share.
TEST(WindowsPaths, ALongPathGoesToTheSystemInItsLongForm) {
    const std::u16string name(300, u'n');
    EXPECT_EQ(windows::SystemPath(u"C:\\short\\x.txt"), u"C:\\short\\x.txt");
    EXPECT_EQ(windows::SystemPath((u"C:\\a\\..\\b/" + name).c_str()), u"\\\\?\\C:\\b\\" + name);
    EXPECT_EQ(windows::SystemPath((u"\\\\host\\share\\" + name).c_str()),
              u"\\\\?\\UNC\\host\\share\\" + name);
}

}  // namespace
