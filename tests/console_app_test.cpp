// The built program on the console backend, as a script would run it.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

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

}  // namespace
