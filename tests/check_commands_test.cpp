// The console commands --verify and --compare of the built program: arrange a folder and its
// lists, run, compare the whole report (read back as UTF-8, up to its time line) and the status.
// What puts each file in its class is tested in this process (check_rules_test.cpp).
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <regex>
#include <sstream>
#include <thread>
#include <tuple>

#include "support/code_page.h"
#include "support/processes.h"
#include "support/scratch_folder.h"
#include "support/texts.h"

namespace {

using Arguments = std::vector<std::string>;

CommandResult Hashwick(const ScratchFolder& workingDirectory, Arguments arguments,
                       Arguments prefix = {}) {
    return RunOnConsole(HASHWICK_BINARY, std::move(arguments), workingDirectory.Root(),
                        std::move(prefix));
}

std::string Section(const std::string& name) {
    return kRule + "### " + name;
}

// The counts that close a report, in its order of classes.
std::string Counts(const std::vector<int>& counts) {
    std::istringstream names(counts.size() == 8
                                 ? "不一致 欠落 追加 読取不可 曖昧 "
                                   "前回読取不可・今回読取可 前回も今回も読取不可 一致"
                                 : "不一致 欠落 追加 移動 読取不可 曖昧 一致");
    std::string text = kRule + "\r\n";
    for (std::string name; int count : counts) {
        names >> name;
        text += "# " + name + " " + std::to_string(count) + "\r\n";
    }
    return text;
}

// The report as UTF-8, without its last line, which must tell the time taken.
std::string Report(const ScratchFolder& workingDirectory, const std::string& name) {
    const std::string text = FromCodePage932(workingDirectory.ReadFile(name));
    const std::size_t last = text.rfind("\r\n", text.size() - 3) + 2;
    EXPECT_TRUE(
        std::regex_match(text.substr(last), std::regex("# (照合|比較)は[0-9]+\\.[0-9]秒です\r\n")))
        << text;
    return text.substr(0, last);
}

// A list made, checked changed, and compared with the list made after the changes. md5sum's list
// is checked in the folder it lies in, on a terminal, where a summary follows; it and the report
// are not counted there.
TEST(Verify, RoundTripShowsEachChangeInItsClassAndCompareAgrees) {
    ScratchFolder folder;
    ScratchFolder work;
    const std::pair<const char*, const char*> files[] = {{"a.txt", "a"},      {"empty.dat", ""},
                                                         {"sub/deep/b", "b"}, {"写真/1.jpg", "1"},
                                                         {"〜.txt", "3"},     {"～.txt", "4"}};
    Arguments md5sum = {"md5sum"};
    for (const auto& [name, content] : files) {
        folder.WriteFile(std::string("docs/") + name, content);
        md5sum.emplace_back(name);
    }
    folder.MakeFifo("docs/pipe");
    const std::string root = folder.Path("docs");
    ASSERT_EQ(Hashwick(work, {root}).exitStatus, 0);
    folder.WriteFile("docs/sums.md5", RunCommand(md5sum, root).output);
    for (int time = 0; time < 2; ++time) {
        const CommandResult onTerminal = RunCommand(
            {"script", "-qec", std::string(HASHWICK_BINARY) + " --verify sums.md5", "/dev/null"},
            root);
        EXPECT_EQ(onTerminal.exitStatus, 1);
        EXPECT_TRUE(
            onTerminal.output.ends_with("照合結果 Hashwick_sums_照合.txt: 追加 1 一致 6\r\n"))
            << onTerminal.output;
    }
    EXPECT_TRUE(Report(folder, "docs/Hashwick_sums_照合.txt")
                    .starts_with(Lines({"# リスト: sums.md5", "# リストの形式: md5sum、UTF-8(6)",
                                        "# 照合したフォルダ: .", kDoubleRule})));
    std::filesystem::remove(folder.Path("docs/sums.md5"));
    std::filesystem::remove(folder.Path("docs/Hashwick_sums_照合.txt"));

    folder.WriteFile("docs/a.txt", "b");
    std::filesystem::remove(folder.Path("docs/empty.dat"));
    folder.WriteFile("docs/new", "a");
    std::filesystem::rename(folder.Path("docs/写真"), folder.Path("docs/画像"));
    folder.WriteFile("docs/〜.txt", "5");
    std::filesystem::remove(folder.Path("docs/pipe"));
    folder.WriteFile("docs/pipe", "");
    CommandResult result = Hashwick(work, {"--verify", "Hashwick_docs.txt"});
    EXPECT_EQ(result.exitStatus, 1);
    EXPECT_EQ(result.errors, "") << "only errors go to a pipe";
    const std::string twins = root + "/～.txt\t";
    EXPECT_EQ(
        Report(work, "Hashwick_docs_照合.txt"),
        Lines({"# リスト: Hashwick_docs.txt", "# リストのルート: " + root + "(7)",
               "# 照合したフォルダ: " + root, kDoubleRule, Section("不一致"),
               root + "/a.txt\t" + kA + "\t" + kB, Section("欠落"), root + "/empty.dat\t" + kEmpty,
               root + "/写真/1.jpg\t" + k1, Section("追加"), root + "/new", root + "/画像/1.jpg"}) +
            Lines({Section("曖昧"), twins + k3 + "\tリストの6行目", twins + k4 + "\tリストの8行目",
                   twins + k5 + "\t今回: /<U+301C>.txt", twins + k4 + "\t今回: /<U+FF5E>.txt",
                   Section("前回読取不可・今回読取可"), root + "/pipe\t" + kEmpty, Section("一致"),
                   root + "/sub/deep/b\t" + kB}) +
            Counts({1, 2, 2, 0, 2, 1, 0, 1}));

    // The same changes, from the lists before (its lines edited to end in LF) and after; the
    // folder renamed is a move.
    std::string before = work.ReadFile("Hashwick_docs.txt");
    std::erase(before, '\r');
    work.WriteFile("before.txt", before);
    ASSERT_EQ(Hashwick(work, {root}).exitStatus, 0);
    result = Hashwick(work, {"--compare", "before.txt", "Hashwick_docs.txt"});
    EXPECT_EQ(result.exitStatus, 1);
    EXPECT_EQ(Report(work, "Hashwick_before_比較.txt"),
              Lines({"# 旧リスト: before.txt", "# 旧リストのルート: " + root + "(7)",
                     "# 旧リストの13行は改行がCR LFでなくLFです。", "# 新リスト: Hashwick_docs.txt",
                     "# 新リストのルート: " + root + "(7)", kDoubleRule, Section("不一致"),
                     root + "/a.txt\t" + kA + "\t" + kB, Section("欠落"),
                     root + "/empty.dat\t" + kEmpty, Section("追加"), root + "/new\t" + kA,
                     Section("移動"), root + "/写真/1.jpg\t" + root + "/画像/1.jpg\t" + k1}) +
                  Lines({Section("読取不可"), root + "/pipe\t読取不可\t" + kEmpty, Section("曖昧"),
                         twins + k3 + "\t旧リストの6行目", twins + k4 + "\t旧リストの8行目",
                         twins + k5 + "\t新リストの7行目", twins + k4 + "\t新リストの9行目",
                         Section("一致"), root + "/sub/deep/b\t" + kB}) +
                  Counts({1, 1, 1, 1, 1, 2, 1}));
    EXPECT_EQ(Hashwick(work, {"--compare", "Hashwick_docs.txt", "Hashwick_docs.txt"}).exitStatus,
              0);
}

// As an unprivileged user: what a run could not see is in its list's failure section (a folder as
// its path and the separator), the first line counting files only. A check says why each file
// cannot be read now; a folder that cannot be listed now is a difference whatever it holds.
TEST(Verify, WhatCannotBeReadIsListedAndCheckedWithTheReason) {
    ScratchFolder folder;
    ScratchFolder work;
    for (const char* file : {"t/ok", "t/secret", "t/locked/a", "t/pipe", "u/a"})
        folder.WriteFile(file, "a");
    folder.WriteFile("t/locked/closed/hidden", "b");
    folder.SetMode("t/locked/closed", 0700);
    folder.MakeFifo("t/p/stays");
    folder.MakeFifo("t/w/was");
    folder.MakeLink("t/links/dangling", "missing");
    const std::string root = folder.Path("t");
    work.SetMode("", 0777);
    // The build's folder may be closed to other users (a clone in root's home): they run a copy.
    ScratchFolder programs;
    programs.SetMode("", 0755);
    std::filesystem::copy_file(HASHWICK_BINARY, programs.Path("hashwick"));
    const auto unprivileged = [&](const Arguments& arguments) {
        return RunUnprivileged([&] {
            return std::to_string(
                RunOnConsole(programs.Path("hashwick"), arguments, work.Root()).exitStatus);
        });
    };
    ASSERT_EQ(unprivileged({root}) + unprivileged({folder.Path("u")}), "00");
    const std::string written = work.ReadFile("Hashwick_t.txt");
    EXPECT_EQ(
        written.substr(0, written.find(kWalk)),
        Lines({"# " + root + "(7)", kDoubleRule, root + "/locked/a\t" + kA, root + "/ok\t" + kA,
               root + "/pipe\t" + kA, root + "/secret\t" + kA, kRule + kFailureTitle,
               "# " + root + "/links/dangling", "# " + root + "/locked/closed/",
               "# " + root + "/p/stays", "# " + root + "/w/was", kRule}));

    folder.SetMode("t/locked", 0);
    folder.SetMode("t/secret", 0);
    std::filesystem::remove(folder.Path("t/pipe"));
    folder.MakeFifo("t/pipe");
    std::filesystem::remove(folder.Path("t/w/was"));
    folder.WriteFile("t/w/was", "b");
    // Only a new folder that cannot be listed: what it holds is not accounted for.
    folder.MakeFolder("u/closed");
    folder.SetMode("u/closed", 0);
    EXPECT_EQ(
        unprivileged({"--verify", "Hashwick_t.txt"}) + unprivileged({"--verify", "Hashwick_u.txt"}),
        "11");
    const std::string locked = "\tフォルダ " + root + "/locked を一覧できません。";
    EXPECT_EQ(
        Report(work, "Hashwick_t_照合.txt"),
        Lines({"# リスト: Hashwick_t.txt", "# リストのルート: " + root + "(7)",
               "# 照合したフォルダ: " + root,
               "# 一覧できないフォルダ: " + root + "/locked 読み取りが許可されていません。",
               kDoubleRule, Section("読取不可"), root + "/locked/a\t" + kA + locked,
               root + "/pipe\t" + kA + "\t通常のファイルではありません。",
               root + "/secret\t" + kA + "\t読み取れません。", Section("前回読取不可・今回読取可"),
               root + "/w/was\t" + kB, Section("前回も今回も読取不可")}) +
            Lines({root + "/links/dangling\t読み取れません。", root + "/locked/closed/" + locked,
                   root + "/p/stays\t通常のファイルではありません。", Section("一致"),
                   root + "/ok\t" + kA}) +
            Counts({0, 0, 0, 3, 0, 1, 3, 1}));
}

// What cannot be checked or compared is refused with the reason and status 2, a file that is no
// list at once however large it is (a sparse file of 100 GB, one whose second line never ends).
TEST(Verify, RefusalsSayWhyWithStatusTwo) {
    ScratchFolder folder;
    ScratchFolder work;
    folder.WriteFile("s/表/a", "a");
    const std::string root = folder.Path("s");
    const std::string good = ListFile("/s(1)", {"/s/a\t" + kA});
    work.WriteFile("good.txt", good);
    work.WriteFile("bad.txt", good + "\r\n");
    // From Windows: "表" ends in the backslash's byte, which separates nothing there.
    work.WriteFile("win.txt", ListFile("C:\\写真(1)", {"C:\\写真\\表\\a\t" + kA}));
    work.MakeSparse("big.txt", std::uintmax_t{100} << 30);
    work.WriteFile("endless.txt", "# /s(1)\r\n");
    std::filesystem::resize_file(work.Path("endless.txt"), std::uintmax_t{100} << 30);
    const std::string bad = "リストファイル bad.txt の7行目: リストの終わりの後に行があります。";
    const std::string big = "リストファイル big.txt の1行目: ";
    const std::pair<Arguments, std::string> refusals[] = {
        {{"--verify", "bad.txt", root}, bad},
        {{"--verify", "none.txt"}, "リストファイル none.txt: ファイルを読み込めません。"},
        {{"--verify", "good.txt", root + "/a"}, "存在しないディレクトリが指定されています。"},
        {{"--verify", "win.txt"},
         "リストのルートのフォルダが見つかりません。照合するフォルダを指定してください。"},
        {{"--verify"}, "使い方: hashwick --verify リスト [フォルダ]"},
        {{"--compare", "good.txt"}, "使い方: hashwick --compare 旧リスト 新リスト"},
        {{"--compare", "good.txt", "bad.txt"}, bad},
        {{"--verify", "big.txt", root},
         big + "64 KiBを超えても終わらない行です。見出しの行でもMD5の行でもありません。"},
        {{"--compare", "big.txt", "big.txt"},
         big + "見出しの行「# ルート(ファイル数)」ではありません。"},
        {{"--compare", "endless.txt", "big.txt"},
         "リストファイル endless.txt の2行目: 長すぎる行です。"},
    };
    for (const auto& [arguments, error] : refusals) {
        const CommandResult result = Hashwick(work, arguments);
        EXPECT_EQ(result.exitStatus, 2) << error;
        EXPECT_EQ(result.errors, "Hashwick: " + error + "\n");
    }
    // A list from a stopped run is checked for what it holds, and the report says so.
    work.WriteFile("stopped.txt", ListFile(root + "(2)", {root + "/表/a\t" + kA}, {},
                                           "(2)ファイル中(1)ファイル処理しました"));
    EXPECT_EQ(Hashwick(work, {"--verify", "stopped.txt"}).exitStatus, 0);
    EXPECT_TRUE(
        Report(work, "Hashwick_stopped_照合.txt")
            .starts_with(Lines({"# リスト: stopped.txt", "# リストのルート: " + root + "(2)",
                                "# リストは中断された実行のものです: "
                                "(2)ファイル中(1)ファイル処理しました"})));
    // A trailing separator changes nothing.
    EXPECT_EQ(Hashwick(work, {"--verify", "win.txt", root + "/"}).exitStatus, 0);
    EXPECT_TRUE(Report(work, "Hashwick_win_照合.txt")
                    .starts_with(Lines({"# リスト: win.txt", "# リストのルート: C:\\写真(1)",
                                        "# 照合したフォルダ: " + root})));

    // A read-only report in the way is left as it is.
    work.WriteFile("Hashwick_good_照合.txt", "kept");
    work.SetMode("Hashwick_good_照合.txt", 0444);
    const CommandResult result = Hashwick(work, {"--verify", "good.txt", root});
    EXPECT_EQ(result.exitStatus, 1);
    EXPECT_EQ(result.errors,
              "Hashwick: 照合結果を書き込めませんでした。\nHashwick_good_照合.txt\n"
              "同じ名前の読み取り専用ファイルがあります。\n");
    EXPECT_EQ(work.ReadFile("Hashwick_good_照合.txt"), "kept");
}

// A list that needs more memory than the process may have, and a folder whose walk does, are
// refused for that reason and leave no report. With no descriptor to spare, the stop signals are
// watched without one, and each command ends with the reason instead of an abort.
TEST(Verify, LackOfMemoryOrDescriptorsEndsWithTheReason) {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    GTEST_SKIP() << "a sanitizer's shadow memory does not fit below a limit of the address space, "
                    "and its runtime needs descriptors of its own to report anything";
#endif
    ScratchFolder work;
    // Twelve paths of 10 MB each: more than the 100 MB of address space the program may have.
    std::string huge = "# /s(12)\r\n" + kDoubleRule + "\r\n";
    for (int line = 0; line < 12; ++line)
        huge += "/s/" + std::to_string(line) + std::string(10'000'000, 'x') + "\t" + kA + "\r\n";
    work.WriteFile("huge.txt", huge + kRule + "\r\n" + Timing("0.0", "0.0"));
    ScratchFolder folder;
    work.WriteFile("hungry.txt", ListFile(folder.MakeMemoryHungryWalk(20'000) + "(0)", {}));
    const std::string memory = "Hashwick: メモリが足りません。\n";
    const std::string descriptors =
        "Hashwick: リストファイル hungry.txt: ファイルを読み込めません。\n";
    const std::tuple<Arguments, std::string, int, std::string> runs[] = {
        {{"--verify", "huge.txt", work.Root()}, "--as=" + std::to_string(100 << 20), 1, memory},
        {{"--compare", "huge.txt", "huge.txt"}, "--as=" + std::to_string(100 << 20), 1, memory},
        {{"--verify", "hungry.txt"}, "--as=" + std::to_string(100 << 20), 1, memory},
        {{"--verify", "hungry.txt", work.Root()}, "--nofile=4:4", 2, descriptors},
        {{"--compare", "hungry.txt", "hungry.txt"}, "--nofile=4:4", 2, descriptors},
    };
    for (const auto& [arguments, limit, status, error] : runs) {
        const CommandResult result = Hashwick(work, arguments, {"prlimit", limit});
        EXPECT_EQ(result.exitStatus, status) << arguments[0] << " " << limit;
        EXPECT_EQ(result.errors, error);
    }
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(work.Root()), {}), 2);
}

// A signal in any stage (on a file that would take an hour to read too) is seen at once: the
// command leaves no report and no temporary file, says why it stopped and exits 1. Each stage
// shows on a terminal's status line, where the signal is sent. A command held while it writes
// its report tells that time too. One command at a time, for a time limit on each.
class Stops : public testing::TestWithParam<std::string> {};

TEST_P(Stops, AStopInAnyStageLeavesNoReport) {
    // The stages are the same whichever way the files are read: the copies of this test for the
    // other ways would only add minutes, under the sanitizers most of all.
    const char* threads = std::getenv("HASHWICK_THREADS");
    if (std::getenv("HASHWICK_IO_URING") != nullptr ||
        (threads != nullptr && std::string_view(threads) == "1")) {
        GTEST_SKIP() << "run with the default reading only";
    }
    ScratchFolder folder;
    ScratchFolder work;
    const std::string slow = folder.MakeSlowWalk(500);
    folder.WriteFile("large/file", "");
    ASSERT_EQ(truncate(folder.Path("large/file").c_str(), off_t{1} << 40), 0);
    work.WriteFile("slow.txt", ListFile(slow + "(0)", {}));
    work.WriteFile("large.txt",
                   ListFile(folder.Path("large") + "(1)", {folder.Path("large") + "/file\t" + kA}));
    // A million files below a root, none of which is there.
    std::string list = "# /r(1000000)\r\n" + kDoubleRule + "\r\n";
    for (int file = 0; file < 1'000'000; ++file)
        list += "/r/f" + std::to_string(file) + "\t" + kA + "\r\n";
    work.WriteFile("big.txt", list + kRule + "\r\n" + Timing("0.0", "0.0"));
    // The folder checked is the working one, which has only the lists: a quick walk.
    const Arguments verify = {"--verify", "big.txt", work.Root()};
    const Arguments compare = {"--compare", "big.txt", "big.txt"};
    const std::string walking = "照合中 フォルダを走査しています";
    const std::tuple<Arguments, std::string, int, int, std::string> stops[] = {
        {{"--verify", "slow.txt"}, walking, 0, SIGINT, "SIGINT"},
        // Long after the walk of its one file, while the file is read.
        {{"--verify", "large.txt"}, walking, 1000, SIGTERM, "SIGTERM"},
        {verify, "照合中 リストを読んでいます", 0, SIGINT, "SIGINT"},
        {verify, "照合中 照らし合わせています", 0, SIGTERM, "SIGTERM"},
        {verify, "照合中 結果を書いています", 0, SIGHUP, "SIGHUP"},
        {compare, "比較中 リストを読んでいます", 0, SIGHUP, "SIGHUP"},
        {compare, "比較中 比べています", 0, SIGINT, "SIGINT"},
        {compare, "比較中 結果を書いています", 0, SIGTERM, "SIGTERM"},
        {verify, "照合中 結果を書いています", 0, SIGSTOP, "Hashwick_big_照合.txt"},
        {compare, "比較中 結果を書いています", 0, SIGSTOP, "Hashwick_big_比較.txt"},
    };
    for (const auto& [arguments, stage, wait, signal, name] : stops) {
        if (arguments[0] != GetParam())
            continue;
        Arguments command = {HASHWICK_BINARY};
        command.insert(command.end(), arguments.begin(), arguments.end());
        TerminalProgram program(command, work.Root());
        ASSERT_TRUE(program.WaitFor(stage)) << stage;
        std::this_thread::sleep_for(std::chrono::milliseconds(wait));
        program.Signal(signal);
        if (signal == SIGSTOP) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1500));
            program.Signal(SIGCONT);
            EXPECT_NE(program.Finish().exitStatus, -1);
            const std::string report = FromCodePage932(work.ReadFile(name));
            const std::size_t seconds = report.rfind("は") + std::strlen("は");
            EXPECT_GE(std::stod(report.substr(seconds)), 1.5) << report.substr(seconds);
            continue;
        }
        const CommandResult result = program.Finish();
        EXPECT_EQ(result.exitStatus, 1) << stage;
        EXPECT_TRUE(result.output.ends_with("Hashwick: シグナル " + name +
                                            " を受けたため中断しました。\r\n"))
            << stage << ": " << result.output;
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(work.Root()), {}), 3) << stage;
    }
}

INSTANTIATE_TEST_SUITE_P(Commands, Stops, testing::Values("--verify", "--compare"));

}  // namespace
