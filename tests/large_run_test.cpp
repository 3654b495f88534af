// Runs of the program on large trees (many files, and a file past 4 GiB among small ones) and a
// check of a list of a million files. They take seconds, so they run in the plain build only.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <future>

#include "support/code_page.h"
#include "support/processes.h"
#include "support/scratch_folder.h"
#include "support/texts.h"

namespace {

// The lists the program writes for the folder, up to their timing lines: with helpers reading
// ahead, then one file at a time.
std::vector<std::string> ListsOf(const std::string& folder, const std::string& name) {
    std::vector<std::string> lists;
    for (const char* threads : {"HASHWICK_THREADS=4", "HASHWICK_THREADS=1"}) {
        const ScratchFolder workingDirectory;
        const CommandResult result = RunCommand(
            {"env", "-u", "DISPLAY", "-u", "WAYLAND_DISPLAY", threads, HASHWICK_BINARY, folder},
            workingDirectory.Root());
        EXPECT_EQ(result.exitStatus, 0) << result.errors;
        const std::string list = workingDirectory.ReadFile(name);
        lists.push_back(list.substr(0, list.find(kWalk)));
    }
    return lists;
}

TEST(LargeRun, TwoHundredThousandEmptyFiles) {
    ScratchFolder folder;
    const std::string root = folder.Path("empty");
    folder.MakeFolder("empty");
    std::vector<std::string> lines = {"# " + root + "(200000)", kDoubleRule};
    char name[16];
    for (int i = 0; i < 200000; ++i) {
        std::snprintf(name, sizeof name, "e%06d", i);
        const std::string path = root + "/" + name;
        close(open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644));
        lines.push_back(path + "\td41d8cd98f00b204e9800998ecf8427e");
    }
    std::string expected;
    for (const std::string& line : lines)
        expected += line + "\r\n";
    for (const std::string& list : ListsOf(root, "Hashwick_empty.txt"))
        EXPECT_EQ(list, expected + kRule + "\r\n");
}

TEST(LargeRun, AFilePast4GiBAmongSmallOnes) {
    ScratchFolder folder;
    for (const char* name : {"a", "b", "c"})
        folder.WriteFile(std::string("mixed/") + name, name);
    folder.WriteFile("mixed/big", "start");
    const std::string big = folder.Path("mixed/big");
    ASSERT_EQ(truncate(big.c_str(), (off_t{4} << 30) + 17), 0);
    auto md5sum = std::async(std::launch::async, [&] {
        return RunCommand({"md5sum", big}).output.substr(0, 32);
    });
    const std::string root = folder.Path("mixed");
    const std::vector<std::string> lists = ListsOf(root, "Hashwick_mixed.txt");
    EXPECT_EQ(lists[1], lists[0]);
    EXPECT_EQ(
        lists[0],
        Lines({"# " + root + "(4)", kDoubleRule, root + "/a\t0cc175b9c0f1b6a831c399e269772661",
               root + "/b\t92eb5ffee6ae2fec3ad71c777531578f", root + "/big\t" + md5sum.get(),
               root + "/c\t4a8a08f09d37b73795649038408b5f33", kRule}));
}

// A list of a million files checked against a folder that holds none of them any more: each is
// missing, and the report lists them as the list does.
TEST(LargeRun, AMillionLineListCheckedAgainstAnEmptyFolder) {
    ScratchFolder folder;
    ScratchFolder workingDirectory;
    folder.MakeFolder("gone");
    const std::string root = folder.Path("gone");
    std::string lines;
    char name[32];
    for (int i = 0; i < 1000000; ++i) {
        std::snprintf(name, sizeof name, "/d%03d/f%03d\t", i / 1000, i % 1000);
        lines += root + name + "d41d8cd98f00b204e9800998ecf8427e\r\n";
    }
    const std::string counted = root + "(1000000)\r\n";
    workingDirectory.WriteFile("million.txt", "# " + counted + kDoubleRule + "\r\n" + lines +
                                                  kRule + "\r\n" + Timing("1.0", "2.0"));
    const CommandResult result = RunCommand({"env", "-u", "DISPLAY", "-u", "WAYLAND_DISPLAY",
                                             HASHWICK_BINARY, "--verify", "million.txt"},
                                            workingDirectory.Root());
    EXPECT_EQ(result.exitStatus, 1) << result.errors;
    const std::string report = workingDirectory.ReadFile("Hashwick_million_照合.txt");
    const std::string expected =
        ToCodePage932("# リスト: million.txt\r\n# リストのルート: ") + counted +
        ToCodePage932("# 照合したフォルダ: " + root + "\r\n" + kDoubleRule + "\r\n" + kRule +
                      "### 欠落\r\n") +
        lines +
        ToCodePage932(kRule +
                      "\r\n# 不一致 0\r\n# 欠落 1000000\r\n# 追加 0\r\n# 読取不可 0\r\n"
                      "# 曖昧 0\r\n# 前回読取不可・今回読取可 0\r\n# 前回も今回も読取不可 0\r\n"
                      "# 一致 0\r\n");
    EXPECT_EQ(report.substr(0, expected.size()), expected);
}

}  // namespace
