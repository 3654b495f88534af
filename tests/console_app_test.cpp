// The built program on the console backend, as a script would run it.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <regex>
#include <thread>

#include "console/reading_speed.h"
#include "support/processes.h"
#include "support/scratch_folder.h"
#include "support/texts.h"

namespace {

CommandResult Hashwick(const ScratchFolder& workingDirectory, std::vector<std::string> arguments,
                       std::vector<std::string> prefix = {}) {
    return RunOnConsole(HASHWICK_BINARY, std::move(arguments), workingDirectory.Root(),
                        std::move(prefix));
}

// The list without its last two lines, the walk's and the hashing's times.
std::string WithoutTimes(const std::string& list) {
    std::size_t end = list.size();
    for (int line = 0; line < 3 && end > 0; ++line)
        end = list.rfind('\n', end - 1);
    return list.substr(0, end + 1);
}

// Any display text that names no reachable display leaves the program on the console. The list
// holds a path past the 4,096 bytes of one system call as it holds any other.
TEST(ConsoleProgram, WritesTheListAndExitsZero) {
    ScratchFolder folder;
    ScratchFolder workingDirectory;
    folder.WriteFile("docs/a.txt", "abc");
    folder.WriteFile("docs/empty.dat", "");
    std::string deep = "docs";
    for (int level = 0; level < 50; ++level)
        deep += "/" + std::string(99, 'n');
    folder.WriteFileAtAnyDepth(deep + "/a.txt", "abc");
    const std::string root = folder.Path("docs");
    const std::string head =
        ListHead(root + "(3)", {root + "/a.txt\t" + kAbc, root + "/empty.dat\t" + kEmpty,
                                folder.Path(deep) + "/a.txt\t" + kAbc});
    for (const char* display : {"DISPLAY=localhost:99999999999", "DISPLAY=:-1", "DISPLAY=nohost:",
                                "WAYLAND_DISPLAY="
                                "../../../../no/such/socket"}) {
        const CommandResult result = Hashwick(workingDirectory, {root}, {display});
        EXPECT_EQ(result.exitStatus, 0) << display;
        EXPECT_EQ(result.errors, "") << "nothing but errors goes to a pipe";
        EXPECT_EQ(WithoutTimes(workingDirectory.ReadFile("Hashwick_docs.txt")), head) << display;
    }
}

// Reading through the system's ring, on reading threads, and one file at a time: the same list,
// byte for byte, for files of every size, one that cannot be opened, and a FIFO.
TEST(ConsoleProgram, EveryWayOfReadingGivesTheSameList) {
    ScratchFolder folder;
    ScratchFolder workingDirectory;
    for (int i = 0; i < 200; ++i)
        folder.WriteFile("docs/d" + std::to_string(i % 7) + "/f" + std::to_string(i),
                         std::string(static_cast<std::size_t>(i * 97), static_cast<char>(i)));
    folder.WriteFile("docs/empty", "");
    folder.WriteFile("docs/large", std::string((std::size_t{5} << 20) + 3, 'x'));
    folder.MakeSparse("docs/sparse", std::uint64_t{3} << 20);
    folder.WriteFile("docs/locked", "x");
    folder.SetMode("docs/locked", 0);
    folder.MakeFifo("docs/fifo");
    // The locked file is locked to an unprivileged user, who runs a copy of the program: the
    // build's folder may be closed to them.
    ScratchFolder programs;
    std::filesystem::copy_file(HASHWICK_BINARY, programs.Path("hashwick"));
    workingDirectory.SetMode("", 0777);
    const std::string root = folder.Path("docs");
    std::vector<std::string> lists;
    for (const char* reading :
         {"HASHWICK_THREADS=4", "HASHWICK_IO_URING=0", "HASHWICK_THREADS=1"}) {
        const std::string list = RunUnprivileged([&] {
            const CommandResult result =
                RunOnConsole(programs.Path("hashwick"), {root}, workingDirectory.Root(), {reading});
            return std::to_string(result.exitStatus) + result.errors +
                   WithoutTimes(workingDirectory.ReadFile("Hashwick_docs.txt"));
        });
        EXPECT_TRUE(list.starts_with("0# " + root + "(205)")) << reading << list;
        for (const char* unread : {"/fifo\r\n", "/locked\r\n"})
            EXPECT_NE(list.find("\n# " + root + unread), std::string::npos) << reading << list;
        lists.push_back(list);
    }
    EXPECT_EQ(lists[0], lists[1]);
    EXPECT_EQ(lists[0], lists[2]);
}

// Threads, descriptors and the kernel's own reading workers that cannot be had are no property of
// the files: the run makes do with those it has, reading each file once others are closed, and the
// list is the same byte for byte. Without a worker, or where even the list cannot be written for
// want of descriptors, that is what is said. A user of its own, limited in its number of threads,
// runs a copy of the program: the limit counts every thread that user has, so each test process
// has its own.
TEST(ConsoleProgram, ThreadsAndDescriptorsThatCannotBeHadLeaveTheListWhole) {
    ScratchFolder folder;
    ScratchFolder workingDirectory;
    for (int i = 0; i < 300; ++i)
        folder.WriteFile("docs/d" + std::to_string(i % 3) + "/f" + std::to_string(i),
                         std::string(static_cast<std::size_t>(i * 11), 'x'));
    folder.WriteFile("docs/large", std::string((std::size_t{5} << 20) + 3, 'x'));
    folder.MakeSparse("docs/sparse", std::uint64_t{3} << 20);
    ScratchFolder programs;
    std::filesystem::copy_file(HASHWICK_BINARY, programs.Path("hashwick"));
    workingDirectory.SetMode("", 0777);
    const std::string user = std::to_string(50'000 + getpid() % 10'000);
    // The exit status, stderr and the list without its times. With a single thread the leak
    // checker of the sanitizer builds, which needs one of its own at the exit, cannot run either.
    const auto run = [&](const std::string& limit, const char* threads, const char* reading) {
        // Names the kernel has forgotten make each open wait for one of its workers, which the
        // limit of threads may not allow.
        EXPECT_TRUE(std::ofstream("/proc/sys/vm/drop_caches") << "2\n");
        const CommandResult result = RunOnConsole(
            programs.Path("hashwick"), {folder.Path("docs")}, workingDirectory.Root(),
            {"setpriv", "--reuid=" + user, "--regid=" + user, "--clear-groups", "prlimit", limit,
             "env", limit == "--nproc=1" ? "ASAN_OPTIONS=detect_leaks=0" : "HASHWICK_UI=console",
             threads, reading});
        const std::string list = WithoutTimes(workingDirectory.ReadFile("Hashwick_docs.txt"));
        std::filesystem::remove(workingDirectory.Path("Hashwick_docs.txt"));
        return std::to_string(result.exitStatus) + result.errors + list;
    };
    const std::string oneAtATime = run("--nproc=1000", "HASHWICK_THREADS=1", "HASHWICK_IO_URING=1");
    EXPECT_TRUE(oneAtATime.starts_with("0# " + folder.Path("docs") + "(302)")) << oneAtATime;
    EXPECT_EQ(oneAtATime.find(kFailureTitle), std::string::npos) << oneAtATime;
    for (const char* reading : {"HASHWICK_IO_URING=1", "HASHWICK_IO_URING=0"}) {
        for (const char* limit : {"--nproc=3", "--nproc=5", "--nproc=8", "--nofile=10:10",
                                  "--nofile=16:16", "--nofile=64:64"}) {
            EXPECT_EQ(run(limit, "HASHWICK_THREADS=4", reading), oneAtATime) << limit << reading;
        }
        EXPECT_EQ(run("--nproc=1", "HASHWICK_THREADS=4", reading),
                  "1Hashwick: 作業スレッドを開始できませんでした。\n")
            << reading;
    }
    EXPECT_EQ(run("--nofile=5:5", "HASHWICK_THREADS=4", "HASHWICK_IO_URING=1"),
              "1Hashwick: リストファイルを書き込めませんでした。\nHashwick_docs.txt\n"
              "開いているファイルが多すぎるため、コードページ932の変換表を読み込めません。\n");
}

// A thread count that is none, or out of range, is said on stderr with the count used.
TEST(ConsoleProgram, AThreadCountThatIsNoneIsSaid) {
    ScratchFolder folder;
    ScratchFolder workingDirectory;
    folder.WriteFile("docs/a.txt", "abc");
    const auto said = [&](const std::string& asked) {
        const CommandResult result =
            Hashwick(workingDirectory, {folder.Path("docs")}, {"HASHWICK_THREADS=" + asked});
        EXPECT_EQ(result.exitStatus, 0) << asked;
        return result.errors;
    };
    const auto refusal = [](const std::string& asked, const std::string& used) {
        return "Hashwick: HASHWICK_THREADS=" + asked + " は1から16までの数ではありません。" + used +
               "スレッドで動きます。\n";
    };
    const std::string processors =
        std::to_string(std::clamp(static_cast<int>(std::thread::hardware_concurrency()), 1, 16));
    for (const char* asked : {"0", "-1", "abc", "4x", ""})
        EXPECT_EQ(said(asked), refusal(asked, processors));
    for (const char* asked : {"17", "99999999999"})
        EXPECT_EQ(said(asked), refusal(asked, "16"));
    EXPECT_EQ(said("16"), "");
}

TEST(ConsoleProgram, ReportsOnStderrWithAStatusThatTellsWhy) {
    ScratchFolder folder;
    ScratchFolder workingDirectory;
    folder.WriteFile("file", "x");

    CommandResult result = Hashwick(workingDirectory, {});
    EXPECT_EQ(result.exitStatus, 2);
    EXPECT_EQ(result.errors, "Hashwick: 使い方: hashwick フォルダ\n");

    result = Hashwick(workingDirectory, {folder.Path("file")});
    EXPECT_EQ(result.exitStatus, 2);
    EXPECT_EQ(result.errors, "Hashwick: 存在しないディレクトリが指定されています。\n");

    folder.WriteFile("blocked/x", "x");
    workingDirectory.MakeFolder("Hashwick_blocked.txt");
    result = Hashwick(workingDirectory, {folder.Path("blocked")});
    EXPECT_EQ(result.exitStatus, 1);
    EXPECT_EQ(result.errors,
              "Hashwick: リストファイルを書き込めませんでした。\nHashwick_blocked.txt\n"
              "同じ名前のフォルダがあります。\n");

    // The C library's converter for the code page cannot be loaded.
    folder.WriteFile("gconv/gconv-modules", "module UTF-16LE// CP932// MISSING 1\n");
    result =
        Hashwick(workingDirectory, {folder.Path("gconv")}, {"GCONV_PATH=" + folder.Path("gconv")});
    EXPECT_EQ(result.exitStatus, 1);
    EXPECT_NE(result.errors.find("コードページ932に変換できません。"), std::string::npos)
        << result.errors;
}

// --help and --version answer on stdout; a mistyped option is refused with the usage, while a
// folder whose name begins with "-" is still a folder.
TEST(ConsoleProgram, HelpVersionAndMistypedOptions) {
    ScratchFolder workingDirectory;
    CommandResult result = Hashwick(workingDirectory, {"--version"});
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_EQ(result.output, "hashwick " HASHWICK_VERSION "\n");
    result = Hashwick(workingDirectory, {"--help"});
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_EQ(result.errors, "");
    for (const char* part : {"hashwick [フォルダ]", "hashwick --verify リスト [フォルダ]",
                             "hashwick --compare 旧リスト 新リスト", "HASHWICK_UI",
                             "HASHWICK_THREADS", "終了ステータス:\n  0  ", "\n  1  ", "\n  2  "}) {
        EXPECT_NE(result.output.find(part), std::string::npos) << part;
    }
    const std::string help = result.output;

    result = Hashwick(workingDirectory, {"--hlep"});
    EXPECT_EQ(result.exitStatus, 2);
    EXPECT_EQ(result.errors, "Hashwick: そのようなオプションはありません: --hlep\n" + help);
    EXPECT_TRUE(std::filesystem::is_empty(workingDirectory.Root()));

    for (const char* folder : {"--data", "-x"}) {
        workingDirectory.WriteFile(std::string(folder) + "/a", "a");
        EXPECT_EQ(Hashwick(workingDirectory, {std::string("./") + folder}).exitStatus, 0);
        EXPECT_TRUE(workingDirectory.ReadFile("Hashwick_" + std::string(folder) + ".txt")
                        .starts_with("# ./" + std::string(folder) + "(1)\r\n"));
    }
    EXPECT_EQ(Hashwick(workingDirectory, {"--data"}).exitStatus, 0);
}

// A folder given with trailing separators is the folder itself; one given as "." or ".." names
// its list after the folder's own name.
TEST(ConsoleProgram, TrailingSeparatorsAndDotsNameTheFolderItself) {
    ScratchFolder folder;
    ScratchFolder workingDirectory;
    folder.WriteFile("data/a.txt", "abc");
    folder.WriteFile("data/sub/b", "a");
    const std::string root = folder.Path("data");
    const std::string list =
        ListHead(root + "(2)", {root + "/a.txt\t" + kAbc, root + "/sub/b\t" + kA});
    for (const std::string& given : {root, root + "/", root + "//"}) {
        EXPECT_EQ(Hashwick(workingDirectory, {given}).exitStatus, 0) << given;
        EXPECT_EQ(WithoutTimes(workingDirectory.ReadFile("Hashwick_data.txt")), list) << given;
        std::filesystem::remove(workingDirectory.Path("Hashwick_data.txt"));
    }
    for (const auto& [given, in] : {std::pair<std::string, std::string>{".", root},
                                    {"..", folder.Path("data/sub")},
                                    {"sub/..", root}}) {
        EXPECT_EQ(RunOnConsole(HASHWICK_BINARY, {given}, in).exitStatus, 0) << given;
        EXPECT_TRUE(
            folder.ReadFile("data/" + std::string(in == root ? "" : "sub/") + "Hashwick_data.txt")
                .starts_with("# " + given + "(2)\r\n"))
            << given;
        std::filesystem::remove(in + "/Hashwick_data.txt");
    }
}

// An interrupt is the window's close command: the run stops at once, during the walk as during
// a file that would take an hour, no list is written, and the program says why.
TEST(ConsoleProgram, InterruptStopsTheRunWithoutAList) {
    ScratchFolder folder;
    ScratchFolder workingDirectory;
    folder.WriteFile("large/file", "");
    ASSERT_EQ(truncate(folder.Path("large/file").c_str(), off_t{1} << 40), 0);
    for (const std::string& root : {folder.MakeSlowWalk(500), folder.Path("large")}) {
        const CommandResult result =
            Hashwick(workingDirectory, {root}, {"timeout", "--preserve-status", "-s", "INT", "1"});
        EXPECT_EQ(result.exitStatus, 1) << root;
        EXPECT_EQ(result.errors, "Hashwick: シグナル SIGINT を受けたため中断しました。\n");
        EXPECT_TRUE(std::filesystem::is_empty(workingDirectory.Root()));
    }
}

// The speed of what was read so far and the time the files still to come take at the pace of
// those done, from the first second of reading; at the end, the speed of the whole pass.
TEST(ConsoleStatus, SpeedAndTimeLeft) {
    using std::chrono::milliseconds;
    const auto text = [](std::uint64_t bytes, std::uint64_t done, std::uint64_t total,
                         milliseconds elapsed, bool ended) {
        return ReadingSpeedText({.bytes = bytes,
                                 .filesDone = done,
                                 .filesTotal = total,
                                 .elapsed = elapsed,
                                 .ended = ended});
    };
    EXPECT_EQ(text(5'000'000, 1, 9, milliseconds(999), false), u"");
    EXPECT_EQ(text(0, 0, 9, milliseconds(1000), false), u"  0.0 MB/s");
    EXPECT_EQ(text(10'000'000, 1, 4, milliseconds(2000), false), u"  5.0 MB/s  残り 0:06");
    EXPECT_EQ(text(123'456'789'000, 3'600, 7'201, milliseconds(3'600'000), false),
              u"  34.3 MB/s  残り 1:00:01");
    EXPECT_EQ(text(10'000'000, 4, 4, milliseconds(2000), false), u"  5.0 MB/s");
    EXPECT_EQ(text(10'000'000, 1, 4, milliseconds(2000), true), u"  5.0 MB/s");
}

// On a terminal the status line tells how fast the files are read and, once one is done, how
// long the rest takes.
TEST(ConsoleProgram, OnATerminalTheLineShowsSpeedAndTimeLeft) {
    ScratchFolder folder;
    ScratchFolder workingDirectory;
    for (int i = 0; i < 10; ++i)
        folder.WriteFile("docs/a" + std::to_string(i), "abc");
    folder.WriteFile("docs/z", "");
    ASSERT_EQ(truncate(folder.Path("docs/z").c_str(), off_t{1} << 40), 0);
    TerminalProgram program(
        {"env", "-u", "DISPLAY", "-u", "WAYLAND_DISPLAY", HASHWICK_BINARY, folder.Path("docs")},
        workingDirectory.Root());
    ASSERT_TRUE(program.WaitFor(" MB/s"));
    program.Signal(SIGINT);
    const CommandResult result = program.Finish();
    EXPECT_EQ(result.exitStatus, 1);
    // The folder's order decides how many small files come before the large one.
    std::smatch line;
    ASSERT_TRUE(std::regex_search(
        result.output, line,
        std::regex(" ([0-9]+) / 11  [0-9]+\\.[0-9] MB/s(  残り [0-9]+:[0-9]{2})?\x1b\\[K")))
        << result.output;
    EXPECT_EQ(line[1] != "0", line[2].matched) << result.output;
}

// A run that runs out of memory says so and writes no list: the earlier list stays.
TEST(ConsoleProgram, LackOfMemoryKeepsTheEarlierList) {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    GTEST_SKIP() << "a sanitizer's shadow memory does not fit below a limit of the address space";
#endif
    ScratchFolder folder;
    ScratchFolder workingDirectory;
    const std::string hungry = folder.MakeMemoryHungryWalk(20'000);
    workingDirectory.WriteFile("Hashwick_hungry.txt", "earlier list");
    const CommandResult result =
        Hashwick(workingDirectory, {hungry}, {"prlimit", "--as=" + std::to_string(100 << 20)});
    EXPECT_EQ(result.exitStatus, 1);
    EXPECT_EQ(result.errors,
              "Hashwick: リストファイルを書き込めませんでした。\nメモリが足りません。\n");
    EXPECT_EQ(workingDirectory.ReadFile("Hashwick_hungry.txt"), "earlier list");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(workingDirectory.Root()), {}), 1);
}

}  // namespace
