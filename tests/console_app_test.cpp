// The built program on the console backend, as a script would run it.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "support/processes.h"
#include "support/scratch_folder.h"

namespace {

CommandResult Hashwick(const ScratchFolder& workingDirectory, std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), HASHWICK_BINARY);
    return RunCommand(arguments, workingDirectory.Root());
}

std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(ConsoleProgram, WritesTheListAndExitsZero) {
    ScratchFolder folder;
    ScratchFolder workingDirectory;
    folder.WriteFile("docs/a.txt", "abc");
    folder.WriteFile("docs/empty.dat", "");
    const CommandResult result = Hashwick(workingDirectory, {folder.Path("docs")});
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_EQ(result.errors, "") << "nothing but errors goes to a pipe";
    const std::string root = folder.Path("docs");
    const std::string list = ReadBytes(workingDirectory.Path("Hashwick_docs.txt"));
    const std::string expectedStart = "# " + root +
                                      "(2)\r\n#==========================================\r\n" +
                                      root + "/a.txt\t900150983cd24fb0d6963f7d28e17f72\r\n" + root +
                                      "/empty.dat\td41d8cd98f00b204e9800998ecf8427e\r\n" +
                                      "#------------------------------------------\r\n# ";
    EXPECT_TRUE(list.starts_with(expectedStart)) << list;
    EXPECT_EQ(std::count(list.begin(), list.end(), '\n'), 7);
}

TEST(ConsoleProgram, ReportsOnStderrWithAStatusThatTellsWhy) {
    ScratchFolder folder;
    ScratchFolder workingDirectory;
    folder.WriteFile("file", "x");

    CommandResult result = Hashwick(workingDirectory, {});
    EXPECT_EQ(result.exitStatus, 2);
    EXPECT_EQ(result.errors, "hashwick: 使い方: hashwick フォルダ\n");

    result = Hashwick(workingDirectory, {folder.Path("file")});
    EXPECT_EQ(result.exitStatus, 2);
    EXPECT_EQ(result.errors, "hashwick: 存在しないディレクトリが指定されています。\n");

    folder.WriteFile("blocked/x", "x");
    workingDirectory.MakeFolder("Hashwick_blocked.txt");
    result = Hashwick(workingDirectory, {folder.Path("blocked")});
    EXPECT_EQ(result.exitStatus, 1);
    EXPECT_EQ(result.errors,
              "hashwick: リストファイルを書き込めませんでした。\nHashwick_blocked.txt\n"
              "同じ名前のフォルダがあります。\n");
}

// An interrupt is the window's close command: the run stops at once and no list is written.
TEST(ConsoleProgram, InterruptStopsTheRunWithoutAList) {
    ScratchFolder folder;
    ScratchFolder workingDirectory;
    // The interrupt comes while the walk of 2^22 paths goes on.
    const CommandResult result = RunCommand({"timeout", "--preserve-status", "-s", "INT", "1",
                                             HASHWICK_BINARY, folder.MakeSlowWalk(22)},
                                            workingDirectory.Root());
    EXPECT_EQ(result.exitStatus, 1);
    EXPECT_TRUE(std::filesystem::is_empty(workingDirectory.Root()));
}

}  // namespace
