// The built program on the console backend, as a script would run it.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <regex>
#include <thread>

#include "console/reading_speed.h"
#include "support/processes.h"
#include "support/scratch_folder.h"
#include "support/texts.h"

namespace {

// The program with the arguments, after what the prefix adds: settings of the environment, or a
// command that runs it.
CommandResult Hashwick(const ScratchFolder& workingDirectory, std::vector<std::string> arguments,
                       std::vector<std::string> prefix = {}) {
    arguments.insert(arguments.begin(), HASHWICK_BINARY);
    // No desktop display, whatever the test's environment has.
    prefix.insert(prefix.begin(), {"env", "-u", "DISPLAY", "-u", "WAYLAND_DISPLAY"});
    arguments.insert(arguments.begin(), prefix.begin(), prefix.end());
    return RunCommand(arguments, workingDirectory.Root());
}

// Any display text that names no reachable display leaves the program on the console.
TEST(ConsoleProgram, WritesTheListAndExitsZero) {
    ScratchFolder folder;
    ScratchFolder workingDirectory;
    folder.WriteFile("docs/a.txt", "abc");
    folder.WriteFile("docs/empty.dat", "");
    const std::string root = folder.Path("docs");
    for (const char* display : {"DISPLAY=localhost:99999999999", "DISPLAY=:-1", "DISPLAY=nohost:",
                                "WAYLAND_DISPLAY="
                                "../../../../no/such/socket"}) {
        const CommandResult result = Hashwick(workingDirectory, {root}, {display});
        EXPECT_EQ(result.exitStatus, 0) << display;
        EXPECT_EQ(result.errors, "") << "nothing but errors goes to a pipe";
        const std::string list = workingDirectory.ReadFile("Hashwick_docs.txt");
        EXPECT_TRUE(list.starts_with(Lines(
            {"# " + root + "(2)", kDoubleRule, root + "/a.txt\t900150983cd24fb0d6963f7d28e17f72",
             root + "/empty.dat\td41d8cd98f00b204e9800998ecf8427e", kRule})))
            << list;
        EXPECT_EQ(std::count(list.begin(), list.end(), '\n'), 7);
    }
}

// The list holds a path past the 4,096 bytes of one system call as it holds any other.
TEST(ConsoleProgram, ListsPathsOfAnyLengthInFull) {
    ScratchFolder folder;
    ScratchFolder workingDirectory;
    std::string relative = "docs";
    for (int level = 0; level < 50; ++level)
        relative += "/" + std::string(99, 'n');
    folder.WriteFileAtAnyDepth(relative + "/a.txt", "abc");
    const CommandResult result = Hashwick(workingDirectory, {folder.Path("docs")});
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_EQ(result.errors, "");
    const std::string list = workingDirectory.ReadFile("Hashwick_docs.txt");
    EXPECT_TRUE(list.starts_with(
        Lines({"# " + folder.Path("docs") + "(1)", kDoubleRule,
               folder.Path(relative) + "/a.txt\t" + "900150983cd24fb0d6963f7d28e17f72", kRule})))
        << list;
}

// The list without its last two lines, the walk's and the hashing's times.
std::string WithoutTimes(const std::string& list) {
    std::size_t end = list.size();
    for (int line = 0; line < 3 && end > 0; ++line)
        end = list.rfind('\n', end - 1);
    return list.substr(0, end + 1);
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
                RunCommand({"env", "-u", "DISPLAY", "-u", "WAYLAND_DISPLAY", reading,
                            programs.Path("hashwick"), root},
                           workingDirectory.Root());
            return std::to_string(result.exitStatus) + result.errors +
                   workingDirectory.ReadFile("Hashwick_docs.txt");
        });
        EXPECT_TRUE(list.starts_with("0# " + root + "(205)")) << reading << list;
        for (const char* unread : {"/fifo\r\n", "/locked\r\n"})
            EXPECT_NE(list.find("\n# " + root + unread), std::string::npos) << reading << list;
        lists.push_back(WithoutTimes(list));
    }
    EXPECT_EQ(lists[0], lists[1]);
    EXPECT_EQ(lists[0], lists[2]);
}

// Few descriptors are no property of the files: each is read once others are closed, and the
// list is whole; where even the list cannot be written for want of them, that is what is said.
TEST(ConsoleProgram, FewFileDescriptorsLeaveNoFileUnread) {
    ScratchFolder folder;
    ScratchFolder workingDirectory;
    for (int i = 0; i < 300; ++i)
        folder.WriteFile("docs/f" + std::to_string(i), std::to_string(i));
    for (const char* limit : {"--nofile=10:10", "--nofile=16:16", "--nofile=64:64"}) {
        for (const char* reading : {"HASHWICK_IO_URING=1", "HASHWICK_IO_URING=0"}) {
            const CommandResult result =
                Hashwick(workingDirectory, {folder.Path("docs")},
                         {reading, "HASHWICK_THREADS=4", "prlimit", limit});
            EXPECT_EQ(result.exitStatus, 0) << limit << reading << result.errors;
            const std::string list = workingDirectory.ReadFile("Hashwick_docs.txt");
            EXPECT_EQ(std::count(list.begin(), list.end(), '\t'), 300) << limit << reading;
            EXPECT_EQ(list.find(kFailureTitle), std::string::npos) << limit << reading;
        }
    }
    const CommandResult result =
        Hashwick(workingDirectory, {folder.Path("docs")}, {"prlimit", "--nofile=5:5"});
    EXPECT_EQ(result.exitStatus, 1);
    EXPECT_EQ(result.errors,
              "Hashwick: リストファイルを書き込めませんでした。\nHashwick_docs.txt\n"
              "開いているファイルが多すぎるため、コードページ932の変換表を読み込めません。\n");
}

// Threads that cannot be had change nothing in the list: the run makes do with those it has, or,
// without a worker, says so. A user of its own, limited in its number of threads, runs a copy of
// the program: the limit counts every thread that user has, so each test process has its own.
TEST(ConsoleProgram, ThreadsThatCannotBeHadLeaveTheListWhole) {
    ScratchFolder folder;
    ScratchFolder workingDirectory;
    for (int i = 0; i < 300; ++i)
        folder.WriteFile("docs/d" + std::to_string(i % 3) + "/f" + std::to_string(i),
                         std::string(static_cast<std::size_t>(i * 11), 'x'));
    ScratchFolder programs;
    std::filesystem::copy_file(HASHWICK_BINARY, programs.Path("hashwick"));
    workingDirectory.SetMode("", 0777);
    // With a single thread the leak checker of the sanitizer builds, which needs one of its own
    // at the exit, cannot run either.
    const std::string user = std::to_string(50'000 + getpid() % 10'000);
    const auto run = [&](const std::string& threads, const std::string& reading) {
        return RunCommand(
            {"setpriv", "--reuid=" + user, "--regid=" + user, "--clear-groups", "prlimit",
             "--nproc=" + threads, "env", "-u", "DISPLAY", "-u", "WAYLAND_DISPLAY",
             threads == "1" ? "ASAN_OPTIONS=detect_leaks=0" : "HASHWICK_UI=console",
             "HASHWICK_THREADS=4", reading, programs.Path("hashwick"), folder.Path("docs")},
            workingDirectory.Root());
    };
    ASSERT_EQ(Hashwick(workingDirectory, {folder.Path("docs")}, {"HASHWICK_THREADS=1"}).exitStatus,
              0);
    const std::string oneAtATime = WithoutTimes(workingDirectory.ReadFile("Hashwick_docs.txt"));
    std::filesystem::remove(workingDirectory.Path("Hashwick_docs.txt"));
    for (const char* reading : {"HASHWICK_IO_URING=1", "HASHWICK_IO_URING=0"}) {
        for (const char* threads : {"3", "5", "8"}) {
            const CommandResult result = run(threads, reading);
            EXPECT_EQ(result.exitStatus, 0) << threads << reading << result.errors;
            EXPECT_EQ(WithoutTimes(workingDirectory.ReadFile("Hashwick_docs.txt")), oneAtATime)
                << threads << reading;
        }
        const CommandResult result = run("1", reading);
        EXPECT_EQ(result.exitStatus, 1) << reading;
        EXPECT_EQ(result.errors, "Hashwick: 作業スレッドを開始できませんでした。\n") << reading;
    }
}

// A thread count that is none, or out of range, is said on stderr with the count used.
TEST(ConsoleProgram, AThreadCountThatIsNoneIsSaid) {
    ScratchFolder folder;
    ScratchFolder workingDirectory;
    folder.WriteFile("docs/a.txt", "abc");
    const std::string processors =
        std::to_string(std::clamp(static_cast<int>(std::thread::hardware_concurrency()), 1, 16));
    for (const auto& [asked, used] :
         std::vector<std::pair<std::string, std::string>>{{"0", processors},
                                                          {"-1", processors},
                                                          {"abc", processors},
                                                          {"4x", processors},
                                                          {"", processors},
                                                          {"17", "16"},
                                                          {"99999999999", "16"}}) {
        const CommandResult result =
            Hashwick(workingDirectory, {folder.Path("docs")}, {"HASHWICK_THREADS=" + asked});
        EXPECT_EQ(result.exitStatus, 0) << asked;
        EXPECT_EQ(result.errors, "Hashwick: HASHWICK_THREADS=" + asked +
                                     " は1から16までの数ではありません。" + used +
                                     "スレッドで動きます。\n");
    }
    const CommandResult result =
        Hashwick(workingDirectory, {folder.Path("docs")}, {"HASHWICK_THREADS=16"});
    EXPECT_EQ(result.errors, "");
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
        Lines({"# " + root + "(2)", kDoubleRule, root + "/a.txt\t900150983cd24fb0d6963f7d28e17f72",
               root + "/sub/b\t0cc175b9c0f1b6a831c399e269772661", kRule});
    for (const std::string& given : {root, root + "/", root + "//"}) {
        EXPECT_EQ(Hashwick(workingDirectory, {given}).exitStatus, 0) << given;
        EXPECT_TRUE(workingDirectory.ReadFile("Hashwick_data.txt").starts_with(list)) << given;
        std::filesystem::remove(workingDirectory.Path("Hashwick_data.txt"));
    }
    for (const auto& [given, in] : {std::pair<std::string, std::string>{".", root},
                                    {"..", folder.Path("data/sub")},
                                    {"sub/..", root}}) {
        const std::vector<std::string> command = {
            "env", "-u", "DISPLAY", "-u", "WAYLAND_DISPLAY", HASHWICK_BINARY, given};
        EXPECT_EQ(RunCommand(command, in).exitStatus, 0) << given;
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
