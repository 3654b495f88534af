// The console commands --verify and --compare of the built program: arrange a folder and its
// lists, run, compare the whole report (read back as UTF-8, up to its time line) and the status.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <cctype>
#include <cstring>
#include <filesystem>
#include <sstream>
#include <thread>
#include <tuple>

#include "support/code_page.h"
#include "support/processes.h"
#include "support/scratch_folder.h"
#include "support/texts.h"

namespace {

const std::string kA = "0cc175b9c0f1b6a831c399e269772661";  // "a"
const std::string kB = "92eb5ffee6ae2fec3ad71c777531578f";  // "b"
const std::string kEmpty = "d41d8cd98f00b204e9800998ecf8427e";
const std::string k1 = "c4ca4238a0b923820dcc509a6f75849b";  // "1", and so on
const std::string k2 = "c81e728d9d4c2f636f067f89cc14862c";
const std::string k3 = "eccbc87e4b5ce2fe28308fd9f2a7baf3";
const std::string k4 = "a87ff679a2f3e71d9181a67b7542122c";
const std::string k5 = "e4da3b7fbbce2345d7772b0674a318d5";
const std::string k9 = "45c48cce2e2d7fbdea1afc51c7c6ad26";
const std::string k10 = "d3d9446802a44259755d38e6d163e820";

CommandResult Hashwick(const ScratchFolder& workingDirectory, std::vector<std::string> arguments,
                       std::vector<std::string> prefix = {},
                       const std::string& program = HASHWICK_BINARY) {
    arguments.insert(arguments.begin(), program);
    prefix.insert(prefix.begin(), {"env", "-u", "DISPLAY", "-u", "WAYLAND_DISPLAY"});
    arguments.insert(arguments.begin(), prefix.begin(), prefix.end());
    return RunCommand(arguments, workingDirectory.Root());
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

// Whether the line tells the time taken: "# 照合は0.0秒です".
bool IsTimeLine(std::string_view line) {
    for (std::string_view label : {"# 照合は", "# 比較は"}) {
        if (!line.starts_with(label) || !line.ends_with("秒です\r\n"))
            continue;
        line = line.substr(label.size(), line.size() - label.size() - std::strlen("秒です\r\n"));
        const std::size_t point = line.find('.');
        return point != std::string_view::npos && point > 0 && line.size() == point + 2 &&
               line.substr(0, point).find_first_not_of("0123456789") == std::string_view::npos &&
               std::isdigit(static_cast<unsigned char>(line.back()));
    }
    return false;
}

// The report as UTF-8, without its last line, which must tell the time taken.
std::string Report(const ScratchFolder& workingDirectory, const std::string& name) {
    const std::string text = FromCodePage932(workingDirectory.ReadFile(name));
    const std::size_t last = text.rfind("\r\n", text.size() - 3) + 2;
    EXPECT_TRUE(IsTimeLine(std::string_view(text).substr(last))) << text;
    return text.substr(0, last);
}

// A list laid out as the writer lays it out, from UTF-8 lines.
std::string ListFile(const std::string& header, const std::vector<std::string>& lines,
                     const std::vector<std::string>& failures = {},
                     const std::string& summary = {}) {
    std::string text = "# " + header + "\r\n" + kDoubleRule + "\r\n";
    for (const std::string& line : lines)
        text += line + "\r\n";
    if (!failures.empty())
        text += Section("ＭＤ５生成がエラーになったもの") + "\r\n";
    for (const std::string& path : failures)
        text += "# " + path + "\r\n";
    text += kRule + "\r\n# ベクタ生成は0.1秒です\r\n# MD5計算は2.3秒です\r\n";
    if (!summary.empty())
        text += kRule + "\r\n# " + summary + "\r\n";
    return ToCodePage932(text);
}

TEST(Verify, RoundTripShowsEachChangeInItsClassAndCompareAgrees) {
    ScratchFolder folder;
    ScratchFolder work;
    folder.WriteFile("docs/a.txt", "a");
    folder.WriteFile("docs/empty.dat", "");
    folder.WriteFile("docs/sub/deep/b", "b");
    folder.WriteFile("docs/写真/1.jpg", "1");
    folder.WriteFile("docs/写真/2.jpg", "2");
    const std::string root = folder.Path("docs");
    ASSERT_EQ(Hashwick(work, {root}).exitStatus, 0);

    // Unchanged, on a terminal: a summary follows the report.
    const CommandResult onTerminal =
        RunCommand({"script", "-qec", std::string(HASHWICK_BINARY) + " --verify Hashwick_docs.txt",
                    "/dev/null"},
                   work.Root());
    EXPECT_EQ(onTerminal.exitStatus, 0);
    EXPECT_TRUE(onTerminal.output.ends_with("照合結果 Hashwick_docs_照合.txt: 一致 5\r\n"))
        << onTerminal.output;
    const std::string header =
        Lines({"# リスト: Hashwick_docs.txt", "# リストのルート: " + root + "(5)",
               "# 照合したフォルダ: " + root, kDoubleRule});
    EXPECT_EQ(Report(work, "Hashwick_docs_照合.txt"),
              header +
                  Lines({Section("一致"), root + "/a.txt\t" + kA, root + "/empty.dat\t" + kEmpty,
                         root + "/sub/deep/b\t" + kB, root + "/写真/1.jpg\t" + k1,
                         root + "/写真/2.jpg\t" + k2}) +
                  Counts({0, 0, 0, 0, 0, 0, 0, 5}));

    folder.WriteFile("docs/a.txt", "b");
    std::filesystem::remove(folder.Path("docs/empty.dat"));
    folder.WriteFile("docs/new", "a");
    std::filesystem::rename(folder.Path("docs/写真"), folder.Path("docs/画像"));
    CommandResult result = Hashwick(work, {"--verify", "Hashwick_docs.txt"});
    EXPECT_EQ(result.exitStatus, 1);
    EXPECT_EQ(result.errors, "") << "only errors go to a pipe";
    EXPECT_EQ(Report(work, "Hashwick_docs_照合.txt"),
              header +
                  Lines({Section("不一致"), root + "/a.txt\t" + kA + "\t" + kB, Section("欠落"),
                         root + "/empty.dat\t" + kEmpty, root + "/写真/1.jpg\t" + k1,
                         root + "/写真/2.jpg\t" + k2, Section("追加"), root + "/new",
                         root + "/画像/1.jpg", root + "/画像/2.jpg", Section("一致"),
                         root + "/sub/deep/b\t" + kB}) +
                  Counts({1, 3, 3, 0, 0, 0, 0, 1}));

    // The same changes, from the lists before and after; the folder renamed is a move.
    std::filesystem::rename(work.Path("Hashwick_docs.txt"), work.Path("before.txt"));
    ASSERT_EQ(Hashwick(work, {root}).exitStatus, 0);
    result = Hashwick(work, {"--compare", "before.txt", "Hashwick_docs.txt"});
    EXPECT_EQ(result.exitStatus, 1);
    EXPECT_EQ(
        Report(work, "Hashwick_before_比較.txt"),
        Lines({"# 旧リスト: before.txt", "# 旧リストのルート: " + root + "(5)",
               "# 新リスト: Hashwick_docs.txt", "# 新リストのルート: " + root + "(5)", kDoubleRule,
               Section("不一致"), root + "/a.txt\t" + kA + "\t" + kB, Section("欠落"),
               root + "/empty.dat\t" + kEmpty, Section("追加"), root + "/new\t" + kA,
               Section("移動"), root + "/写真/1.jpg\t" + root + "/画像/1.jpg\t" + k1,
               root + "/写真/2.jpg\t" + root + "/画像/2.jpg\t" + k2, Section("一致"),
               root + "/sub/deep/b\t" + kB}) +
            Counts({1, 1, 1, 2, 0, 0, 1}));
    EXPECT_EQ(Hashwick(work, {"--compare", "Hashwick_docs.txt", "Hashwick_docs.txt"}).exitStatus,
              0);
}

// Names the list could only write with "?", that share their bytes ("〜" and "～" on this
// system), or hold a TAB or a line break: each is found again by its bytes. Once two files now
// give the same bytes, neither is guessed.
TEST(Verify, NamesAreMatchedByTheirBytesInTheListAndTwinsAreAmbiguous) {
    ScratchFolder folder;
    ScratchFolder work;
    const std::pair<const char*, const char*> files[] = {
        {"a😀.txt", "1"}, {"한.txt", "2"},    {"b\xff.txt", "3"},   {"〜.txt", "4"},
        {"q?.txt", "5"}, {"tab\there", "6"}, {"line\nbreak", "7"}, {"表ソ.txt", "8"}};
    for (const auto& [name, content] : files)
        folder.WriteFile(std::string("n/") + name, content);
    const std::string root = folder.Path("n");
    ASSERT_EQ(Hashwick(work, {root}).exitStatus, 0);
    CommandResult result = Hashwick(work, {"--verify", "Hashwick_n.txt"});
    EXPECT_EQ(result.exitStatus, 0) << Report(work, "Hashwick_n_照合.txt");

    folder.WriteFile("n/～.txt", "9");
    folder.WriteFile("n/a🎉.txt", "10");
    result = Hashwick(work, {"--verify", "Hashwick_n.txt"});
    EXPECT_EQ(result.exitStatus, 1);
    EXPECT_EQ(
        Report(work, "Hashwick_n_照合.txt"),
        Lines({"# リスト: Hashwick_n.txt", "# リストのルート: " + root + "(8)",
               "# 照合したフォルダ: " + root, kDoubleRule, Section("曖昧"),
               root + "/a?.txt\t" + k1 + "\tリストの3行目",
               root + "/a?.txt\t" + k10 + "\t今回: /a<U+1F389>.txt",
               root + "/a?.txt\t" + k1 + "\t今回: /a<U+1F600>.txt",
               root + "/～.txt\t" + k4 + "\tリストの8行目",
               root + "/～.txt\t" + k4 + "\t今回: /<U+301C>.txt",
               root + "/～.txt\t" + k9 + "\t今回: /<U+FF5E>.txt", Section("一致"),
               root + "/b?.txt\t" + k3, root + "/line?break\t8f14e45fceea167a5a36dedd4bea2543",
               root + "/q?.txt\t" + k5, root + "/tab\there\t1679091c5a880faf6fb5e6087eb1b2dc",
               root + "/表ソ.txt\tc9f0f895fb98ab9159f51fd0297e236d", root + "/?.txt\t" + k2}) +
            Counts({0, 0, 0, 0, 4, 0, 0, 6}));
}

// Groups of 2, 3 and 50 names that the list writes alike (one, two and three Hangul syllables,
// each a "?"), each group in a folder of its own. Checked, every file of a group is ambiguous;
// the list compared with itself is the same, pair by pair. Once a group's digests or size differ
// between two lists, its files are ambiguous, and only its files.
TEST(Verify, NamesWrittenAlikeKeepTheirClassesInGroupsOfAnySize) {
    ScratchFolder folder;
    ScratchFolder work;
    struct Group {
        std::string name;
        int syllables;
        int files;
        std::string digest;
    };
    const Group groups[] = {{"a", 1, 2, k1}, {"b", 2, 3, k2}, {"c", 3, 50, k3}};
    // A name's syllables and its spelling in code points; the first syllable counts up, so that
    // the names come in the list's order.
    const auto name = [](const Group& group, int file) {
        std::string utf8, spelled;
        for (int syllable = 0; syllable < group.syllables; ++syllable) {
            const int point = 0xAC00 + (syllable == 0 ? file : 0);
            utf8 += {static_cast<char>(0xE0 | point >> 12),
                     static_cast<char>(0x80 | (point >> 6 & 0x3F)),
                     static_cast<char>(0x80 | (point & 0x3F))};
            char code[16];
            std::snprintf(code, sizeof code, "<U+%04X>", point);
            spelled += code;
        }
        return std::pair(utf8 + "." + group.name, spelled + "." + group.name);
    };
    for (const Group& group : groups) {
        for (int file = 0; file < group.files; ++file)
            folder.WriteFile("g/" + group.name + "/" + name(group, file).first,
                             group.digest == k1   ? "1"
                             : group.digest == k2 ? "2"
                                                  : "3");
    }
    const std::string root = folder.Path("g");
    ASSERT_EQ(Hashwick(work, {root}).exitStatus, 0);
    std::filesystem::copy_file(work.Path("Hashwick_g.txt"), work.Path("old.txt"));

    const auto listed = [&](const Group& group) {
        return root + "/" + group.name + "/" +
               std::string(static_cast<std::size_t>(group.syllables), '?') + "." + group.name;
    };
    std::string expected;
    int line = 3;
    for (const Group& group : groups) {
        for (int file = 0; file < group.files; ++file)
            expected += listed(group) + "\t" + group.digest + "\tリストの" +
                        std::to_string(line++) + "行目\r\n";
        for (int file = 0; file < group.files; ++file) {
            expected += listed(group) + "\t" + group.digest + "\t今回: /" + group.name + "/" +
                        name(group, file).second + "\r\n";
        }
    }
    EXPECT_EQ(Hashwick(work, {"--verify", "Hashwick_g.txt"}).exitStatus, 1);
    EXPECT_EQ(Report(work, "Hashwick_g_照合.txt"),
              Lines({"# リスト: Hashwick_g.txt", "# リストのルート: " + root + "(55)",
                     "# 照合したフォルダ: " + root, kDoubleRule, Section("曖昧")}) +
                  expected + Counts({0, 0, 0, 0, 55, 0, 0, 0}));

    const std::string lists =
        Lines({"# 旧リスト: old.txt", "# 旧リストのルート: " + root + "(55)"});
    EXPECT_EQ(Hashwick(work, {"--compare", "old.txt", "Hashwick_g.txt"}).exitStatus, 0);
    expected.clear();
    for (const Group& group : groups) {
        for (int file = 0; file < group.files; ++file)
            expected += listed(group) + "\t" + group.digest + "\r\n";
    }
    EXPECT_EQ(Report(work, "Hashwick_old_比較.txt"),
              lists +
                  Lines({"# 新リスト: Hashwick_g.txt", "# 新リストのルート: " + root + "(55)",
                         kDoubleRule, Section("一致")}) +
                  expected + Counts({0, 0, 0, 0, 0, 0, 55}));

    // One file of the three changed, one of the fifty gone.
    folder.WriteFile("g/b/" + name(groups[1], 1).first, "b");
    std::filesystem::remove(folder.Path("g/c/" + name(groups[2], 49).first));
    ASSERT_EQ(Hashwick(work, {root}).exitStatus, 0);
    EXPECT_EQ(Hashwick(work, {"--compare", "old.txt", "Hashwick_g.txt"}).exitStatus, 1);
    expected = Lines({listed(groups[0]) + "\t" + k1, listed(groups[0]) + "\t" + k1});
    std::string ambiguous;
    for (const Group& group : {groups[1], groups[2]}) {
        const int first = group.name == "b" ? 5 : 8;
        for (int file = 0; file < group.files; ++file) {
            ambiguous += listed(group) + "\t" + group.digest + "\t旧リストの" +
                         std::to_string(first + file) + "行目\r\n";
        }
        for (int file = 0; file < group.files - (group.name == "c" ? 1 : 0); ++file) {
            ambiguous += listed(group) + "\t" +
                         (group.name == "b" && file == 1 ? kB : group.digest) + "\t新リストの" +
                         std::to_string(first + file) + "行目\r\n";
        }
    }
    EXPECT_EQ(Report(work, "Hashwick_old_比較.txt"),
              lists +
                  Lines({"# 新リスト: Hashwick_g.txt", "# 新リストのルート: " + root + "(54)",
                         kDoubleRule, Section("曖昧")}) +
                  ambiguous + Section("一致") + "\r\n" + expected + Counts({0, 0, 0, 0, 0, 52, 2}));
}

// The root and the separators of a list made on Windows; "表" and "ソ" end in the backslash's
// byte, which separates nothing there. Compared with a list made here, only the paths below
// the roots count.
TEST(Verify, AListFromWindowsIsCheckedAgainstAFolderGivenHere) {
    ScratchFolder folder;
    ScratchFolder work;
    folder.WriteFile("w/表.jpg", "1");
    folder.WriteFile("w/ソフト/a", "a");
    folder.WriteFile("w/ソフト/b", "b");
    // "ソ", not read then, ends in the backslash's byte too: a file, not a folder.
    work.WriteFile("win.txt", ListFile("C:\\写真(4)",
                                       {"C:\\写真\\ソフト\\a\t" + kA, "C:\\写真\\ソフト\\b\t" + kA,
                                        "C:\\写真\\表.jpg\t" + k1},
                                       {"C:\\写真\\ソ"}));
    CommandResult result = Hashwick(work, {"--verify", "win.txt"});
    EXPECT_EQ(result.exitStatus, 2);
    EXPECT_EQ(result.errors,
              "Hashwick: リストのルートのフォルダが見つかりません。"
              "照合するフォルダを指定してください。\n");

    // A trailing separator changes nothing.
    const std::string root = folder.Path("w");
    result = Hashwick(work, {"--verify", "win.txt", root + "/"});
    EXPECT_EQ(result.exitStatus, 1);
    EXPECT_EQ(Report(work, "Hashwick_win_照合.txt"),
              Lines({"# リスト: win.txt", "# リストのルート: C:\\写真(4)",
                     "# 照合したフォルダ: " + root, kDoubleRule, Section("不一致"),
                     root + "/ソフト/b\t" + kA + "\t" + kB, Section("欠落"), root + "/ソ\t読取不可",
                     Section("一致"), root + "/ソフト/a\t" + kA, root + "/表.jpg\t" + k1}) +
                  Counts({1, 1, 0, 0, 0, 0, 0, 2}));

    ASSERT_EQ(Hashwick(work, {root}).exitStatus, 0);
    result = Hashwick(work, {"--compare", "win.txt", "Hashwick_w.txt"});
    EXPECT_EQ(result.exitStatus, 1);
    const std::string report = Report(work, "Hashwick_win_比較.txt");
    EXPECT_NE(report.find(Lines({Section("不一致"), root + "/ソフト/b\t" + kA + "\t" + kB,
                                 Section("欠落"), "C:\\写真\\ソ\t読取不可", Section("一致"),
                                 root + "/ソフト/a\t" + kA, root + "/表.jpg\t" + k1})),
              std::string::npos)
        << report;
}

// A FIFO where a file was, a file become a folder, a file and folders that may not be read (by a
// user other than root), and the list's own files without a digest, now readable or not.
TEST(Verify, FilesThatCannotBeReadNowAreNotMissing) {
    ScratchFolder folder;
    ScratchFolder work;
    folder.WriteFile("t/ok", "3");
    folder.WriteFile("t/secret", "2");
    folder.WriteFile("t/locked/a", "1");
    folder.WriteFile("t/pipe", "4");
    folder.WriteFile("t/f", "a");
    folder.MakeFifo("t/wasfifo");
    folder.MakeFifo("t/stays");
    const std::string root = folder.Path("t");
    ASSERT_EQ(Hashwick(work, {root}).exitStatus, 0);
    // Only a new folder that cannot be listed: what it holds is not accounted for.
    folder.WriteFile("u/a", "a");
    ASSERT_EQ(Hashwick(work, {folder.Path("u")}).exitStatus, 0);
    folder.MakeFolder("u/closed");
    folder.SetMode("u/closed", 0);

    folder.SetMode("t/locked", 0);
    folder.SetMode("t/secret", 0);
    std::filesystem::remove(folder.Path("t/pipe"));
    folder.MakeFifo("t/pipe");
    std::filesystem::remove(folder.Path("t/wasfifo"));
    folder.WriteFile("t/wasfifo", "5");
    std::filesystem::remove(folder.Path("t/f"));
    folder.WriteFile("t/f/inner", "b");
    work.SetMode("", 0777);
    // The build's folder may be closed to other users (a clone in root's home): they run a copy.
    ScratchFolder programs;
    programs.SetMode("", 0755);
    std::filesystem::copy_file(HASHWICK_BINARY, programs.Path("hashwick"));
    const std::string status = RunUnprivileged([&] {
        std::string statuses;
        for (const char* list : {"Hashwick_t.txt", "Hashwick_u.txt"})
            statuses += std::to_string(
                Hashwick(work, {"--verify", list}, {}, programs.Path("hashwick")).exitStatus);
        return statuses;
    });
    EXPECT_EQ(status, "11");
    EXPECT_EQ(
        Report(work, "Hashwick_t_照合.txt"),
        Lines({"# リスト: Hashwick_t.txt", "# リストのルート: " + root + "(7)",
               "# 照合したフォルダ: " + root,
               "# 一覧できないフォルダ: " + root + "/locked 読み取りが許可されていません。",
               kDoubleRule, Section("欠落"), root + "/f\t" + kA, Section("追加"), root + "/f/inner",
               Section("読取不可"),
               root + "/locked/a\t" + k1 + "\tフォルダ " + root + "/locked を一覧できません。",
               root + "/pipe\t" + k4 + "\t通常のファイルではありません。",
               root + "/secret\t" + k2 + "\t読み取れません。", Section("前回読取不可・今回読取可"),
               root + "/wasfifo\t" + k5, Section("前回も今回も読取不可"),
               root + "/stays\t通常のファイルではありません。", Section("一致"),
               root + "/ok\t" + k3}) +
            Counts({0, 1, 1, 3, 0, 1, 1, 1}));
}

// The list's bytes with the times of its two timing lines as 0.0.
std::string TimesZeroed(std::string list) {
    for (const std::string& label : {kWalk, kHash}) {
        const std::size_t start = list.find("\r\n" + label) + 2 + label.size();
        list.replace(start, list.find(kSeconds, start) - start, "0.0");
    }
    return list;
}

// As an unprivileged user: a folder of another user that cannot be listed and links that lead
// nowhere are in the list's failure section, the folder as its path and the separator, and the
// first line counts the files only. Checks find what the folder holds once it can be listed.
TEST(Verify, WhatARunCouldNotSeeIsListedAndCheckedLater) {
    ScratchFolder folder;
    ScratchFolder work;
    folder.WriteFile("d/a.txt", "a");
    folder.WriteFile("d/closed/hidden", "b");
    folder.SetMode("d/closed", 0700);
    folder.MakeLink("d/links/dangling", "missing");
    folder.MakeLink("d/loops/loop", "loop");
    const std::string root = folder.Path("d");
    work.SetMode("", 0777);
    ScratchFolder programs;
    programs.SetMode("", 0755);
    std::filesystem::copy_file(HASHWICK_BINARY, programs.Path("hashwick"));
    const auto unprivileged = [&](const std::vector<std::string>& arguments) {
        return RunUnprivileged([&] {
            return std::to_string(
                Hashwick(work, arguments, {}, programs.Path("hashwick")).exitStatus);
        });
    };
    ASSERT_EQ(unprivileged({root}), "0");
    EXPECT_EQ(TimesZeroed(work.ReadFile("Hashwick_d.txt")),
              Lines({"# " + root + "(3)", kDoubleRule, root + "/a.txt\t" + kA,
                     kRule + kFailureTitle, "# " + root + "/closed/",
                     "# " + root + "/links/dangling", "# " + root + "/loops/loop", kRule}) +
                  Timing("0.0", "0.0"));

    const std::string header =
        Lines({"# リスト: Hashwick_d.txt", "# リストのルート: " + root + "(3)",
               "# 照合したフォルダ: " + root});
    const std::string links =
        Lines({root + "/links/dangling\t読み取れません。", root + "/loops/loop\t読み取れません。"});
    EXPECT_EQ(unprivileged({"--verify", "Hashwick_d.txt"}), "1");
    EXPECT_EQ(
        Report(work, "Hashwick_d_照合.txt"),
        header +
            Lines({"# 一覧できないフォルダ: " + root + "/closed 読み取りが許可されていません。",
                   kDoubleRule, Section("前回も今回も読取不可"),
                   root + "/closed/\tフォルダ " + root + "/closed を一覧できません。"}) +
            links + Lines({Section("一致"), root + "/a.txt\t" + kA}) +
            Counts({0, 0, 0, 0, 0, 0, 3, 1}));

    // Root lists the folder: its file was there all along, not added.
    EXPECT_EQ(Hashwick(work, {"--verify", "Hashwick_d.txt"}).exitStatus, 1);
    EXPECT_EQ(Report(work, "Hashwick_d_照合.txt"),
              header +
                  Lines({kDoubleRule, Section("前回読取不可・今回読取可"), root + "/closed/",
                         root + "/closed/hidden\t" + kB, Section("前回も今回も読取不可")}) +
                  links + Lines({Section("一致"), root + "/a.txt\t" + kA}) +
                  Counts({0, 0, 0, 0, 0, 2, 2, 1}));

    std::filesystem::remove_all(folder.Path("d/closed"));
    EXPECT_EQ(Hashwick(work, {"--verify", "Hashwick_d.txt"}).exitStatus, 1);
    EXPECT_EQ(Report(work, "Hashwick_d_照合.txt"),
              header +
                  Lines({kDoubleRule, Section("欠落"), root + "/closed/\t読取不可",
                         Section("前回も今回も読取不可")}) +
                  links + Lines({Section("一致"), root + "/a.txt\t" + kA}) +
                  Counts({0, 1, 0, 0, 0, 0, 2, 1}));
}

// A check run inside the folder it checks counts neither the list given nor its own report, also
// where a later list names them.
TEST(Verify, TheListAndTheReportInsideTheFolderAreNotCounted) {
    ScratchFolder folder;
    folder.WriteFile("r/a", "a");
    const std::string root = folder.Path("r");
    // The program with the folder as its working directory.
    const auto inside = [&](const std::vector<std::string>& arguments) {
        std::vector<std::string> command = {
            "env", "-u", "DISPLAY", "-u", "WAYLAND_DISPLAY", HASHWICK_BINARY};
        command.insert(command.end(), arguments.begin(), arguments.end());
        return RunCommand(command, root).exitStatus;
    };
    const auto report = [&] {
        const std::string text = FromCodePage932(folder.ReadFile("r/Hashwick_r_照合.txt"));
        return text.substr(0, text.rfind("# 照合は"));
    };
    const auto expected = [&](int listed) {
        return Lines({"# リスト: Hashwick_r.txt",
                      "# リストのルート: " + root + "(" + std::to_string(listed) + ")",
                      "# 照合したフォルダ: " + root, kDoubleRule, Section("一致"),
                      root + "/a\t" + kA}) +
               Counts({0, 0, 0, 0, 0, 0, 0, 1});
    };
    ASSERT_EQ(inside({root}), 0);
    // The list lies in the folder, and the second time the earlier report too.
    for (int time = 0; time < 2; ++time) {
        EXPECT_EQ(inside({"--verify", "Hashwick_r.txt"}), 0) << time;
        EXPECT_EQ(report(), expected(1)) << time;
    }
    // A new list names the earlier list and the report; the list has changed since.
    ASSERT_EQ(inside({root}), 0);
    EXPECT_EQ(inside({"--verify", "Hashwick_r.txt"}), 0);
    EXPECT_EQ(report(), expected(3));
}

// A list edited where lines end in LF, one from a stopped run, and one that names a path twice
// are checked for what they hold, and the report says what was odd about them.
TEST(Verify, OddListsAreCheckedForWhatTheyHold) {
    ScratchFolder folder;
    ScratchFolder work;
    folder.WriteFile("s/a", "a");
    folder.WriteFile("s/b", "b");
    const std::string root = folder.Path("s");
    ASSERT_EQ(Hashwick(work, {root}).exitStatus, 0);
    std::string list = work.ReadFile("Hashwick_s.txt");
    std::erase(list, '\r');
    work.WriteFile("lf.txt", list);
    EXPECT_EQ(Hashwick(work, {"--verify", "lf.txt"}).exitStatus, 0);
    EXPECT_TRUE(Report(work, "Hashwick_lf_照合.txt")
                    .starts_with(Lines({"# リスト: lf.txt", "# リストのルート: " + root + "(2)",
                                        "# リストの7行は改行がCR LFでなくLFです。"})));

    const std::string header = root + "(2)";
    work.WriteFile("stopped.txt", ListFile(header, {root + "/a\t" + kA}, {},
                                           "(2)ファイル中(1)ファイル処理しました"));
    work.WriteFile("twice.txt", ListFile(header, {root + "/a\t" + kA, root + "/a\t" + kB}));
    for (const char* name : {"stopped", "twice"})
        EXPECT_EQ(Hashwick(work, {"--verify", name + std::string(".txt")}).exitStatus, 1);
    EXPECT_EQ(Report(work, "Hashwick_stopped_照合.txt"),
              Lines({"# リスト: stopped.txt", "# リストのルート: " + header,
                     "# リストは中断された実行のものです: (2)ファイル中(1)ファイル処理しました",
                     "# 照合したフォルダ: " + root, kDoubleRule, Section("追加"), root + "/b",
                     Section("一致"), root + "/a\t" + kA}) +
                  Counts({0, 0, 1, 0, 0, 0, 0, 1}));
    EXPECT_EQ(Report(work, "Hashwick_twice_照合.txt"),
              Lines({"# リスト: twice.txt", "# リストのルート: " + header,
                     "# 照合したフォルダ: " + root, kDoubleRule, Section("追加"), root + "/b",
                     Section("曖昧"), root + "/a\t" + kA + "\tリストの3行目",
                     root + "/a\t" + kB + "\tリストの4行目", root + "/a\t" + kA + "\t今回: /a"}) +
                  Counts({0, 0, 1, 0, 1, 0, 0, 0}));
}

// What is no list of this program is refused, with the line that is wrong.
TEST(Verify, RefusalsSayWhyWithStatusTwo) {
    ScratchFolder folder;
    ScratchFolder work;
    folder.WriteFile("s/a", "a");
    const std::string root = folder.Path("s");
    const std::string good = ListFile("/s(1)", {"/s/a\t" + kA});
    const std::string utf8 = FromCodePage932(good);
    std::string utf16, utf16BigEndian;
    for (char c : std::string("# /s(1)\r\n")) {
        utf16 += std::string{c, '\0'};
        utf16BigEndian += std::string{'\0', c};
    }
    const std::pair<std::string, std::string> lists[] = {
        {"", "の1行目: 空のファイルです。"},
        {"\xFF\xFE" + utf16, "の1行目: UTF-16のテキストです。"},
        {utf16, "の1行目: UTF-16のテキストです。"},
        {utf16BigEndian, "の1行目: UTF-16のテキストです。"},
        {"\xEF\xBB\xBF" + utf8, "の1行目: UTF-8のテキストです。"},
        {utf8, "の5行目: UTF-8のテキストです。"},
        {FromCodePage932(ListFile("/s(1)", {}, {"/s/a"})), "の3行目: UTF-8のテキストです。"},
        {"Hello\n", "の1行目: 見出しの行「# ルート(ファイル数)」ではありません。"},
        {"# " + std::string(70000, 'x'),
         "の1行目: 64 KiBを超えても終わらない行です。見出しの行ではありません。"},
        {ListFile("/s(1)", {"/s/a\t" + kA, "/s/b\t" + kA}, {},
                  "(1)ファイル中(2)ファイル処理しました"),
         "の9行目: 見出しのファイル数がリストの行数と合いません。"},
        {ListFile("/s(1)", {"/s/a\t" + kA}, {}, "(1)ファイル中(1)ファイル処理しました"),
         "の8行目: 見出しのファイル数がリストの行数と合いません。"},
        {good.substr(0, good.find(kA) + 10), "の3行目: 行の途中でファイルが終わっています。"},
        {good.substr(0, good.find("\r\n#-") + 2),
         "の4行目: この行がありません。リストが途中で終わっています。"},
        {ListFile("/s(1)", {"/s/a\t" + kA.substr(1) + "x"}),
         "の3行目: MD5が32桁の16進数ではありません。"},
        {ListFile("/s(1)", {"/t/a\t" + kA}), "の3行目: パスが見出しのルートで始まっていません。"},
        {ListFile("/s(2)", {"/s/a\t" + kA}),
         "の1行目: 見出しのファイル数がリストの行数と合いません。"},
        {good + "\r\n", "の7行目: リストの終わりの後に行があります。"},
    };
    for (const auto& [text, error] : lists) {
        work.WriteFile("bad.txt", text);
        const CommandResult result = Hashwick(work, {"--verify", "bad.txt", root});
        EXPECT_EQ(result.exitStatus, 2) << error;
        EXPECT_EQ(result.errors, "Hashwick: リストファイル bad.txt " + error + "\n");
    }
    const std::vector<std::pair<std::vector<std::string>, std::string>> refusals = {
        {{"--verify", "none.txt"}, "リストファイル none.txt: ファイルを読み込めません。"},
        {{"--verify", "good.txt", root + "/a"}, "存在しないディレクトリが指定されています。"},
        {{"--verify"}, "使い方: hashwick --verify リスト [フォルダ]"},
        {{"--compare", "good.txt"}, "使い方: hashwick --compare 旧リスト 新リスト"},
        {{"--compare", "good.txt", "bad.txt"},
         "リストファイル bad.txt の7行目: リストの終わりの後に行があります。"},
    };
    work.WriteFile("good.txt", good);
    for (const auto& [arguments, error] : refusals) {
        const CommandResult result = Hashwick(work, arguments);
        EXPECT_EQ(result.exitStatus, 2) << error;
        EXPECT_EQ(result.errors, "Hashwick: " + error + "\n");
    }

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

// A file that is no list is refused as soon as that shows, however large it is: a sparse file of
// 100 GB, and one whose second line never ends. A list that needs more memory than the process
// may have is refused for that reason, and leaves no report.
TEST(Verify, HugeFilesAreRefusedAtOnceAndLackOfMemoryIsReported) {
    ScratchFolder work;
    constexpr std::uintmax_t kHundredGigabytes = std::uintmax_t{100} << 30;
    work.MakeSparse("big.txt", kHundredGigabytes);
    work.WriteFile("endless.txt", "# /s(1)\r\n");
    std::filesystem::resize_file(work.Path("endless.txt"), kHundredGigabytes);
    const std::pair<std::vector<std::string>, std::string> refusals[] = {
        {{"--verify", "big.txt", work.Root()},
         "big.txt の1行目: 見出しの行「# ルート(ファイル数)」ではありません。"},
        {{"--compare", "big.txt", "big.txt"},
         "big.txt の1行目: 見出しの行「# ルート(ファイル数)」ではありません。"},
        {{"--compare", "endless.txt", "big.txt"}, "endless.txt の2行目: 長すぎる行です。"},
    };
    for (const auto& [arguments, error] : refusals) {
        const CommandResult result = Hashwick(work, arguments);
        EXPECT_EQ(result.exitStatus, 2) << error;
        EXPECT_EQ(result.errors, "Hashwick: リストファイル " + error + "\n");
    }

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    GTEST_SKIP() << "a sanitizer's shadow memory does not fit below a limit of the address space";
#endif
    // Twelve paths of 10 MB each: more than the 100 MB of address space the program may have.
    std::string huge = "# /s(12)\r\n" + kDoubleRule + "\r\n";
    for (int line = 0; line < 12; ++line)
        huge += "/s/" + std::to_string(line) + std::string(10'000'000, 'x') + "\t" + kA + "\r\n";
    work.WriteFile("huge.txt", huge + kRule + "\r\n" + Timing("0.0", "0.0"));
    // A folder whose walk needs more memory than that.
    ScratchFolder folder;
    const std::string hungry = folder.MakeMemoryHungryWalk(20'000);
    work.WriteFile("hungry.txt", ListFile(hungry + "(0)", {}));
    for (const std::vector<std::string>& arguments :
         {std::vector<std::string>{"--verify", "huge.txt", work.Root()},
          std::vector<std::string>{"--compare", "huge.txt", "huge.txt"},
          std::vector<std::string>{"--verify", "hungry.txt"}}) {
        const CommandResult result =
            Hashwick(work, arguments, {"prlimit", "--as=" + std::to_string(100 << 20)});
        EXPECT_EQ(result.exitStatus, 1) << arguments[0];
        EXPECT_EQ(result.errors, "Hashwick: メモリが足りません。\n");
    }
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(work.Root()), {}), 4);
}

// With no descriptor to spare, the stop signals are watched without one, and each command ends
// with the reason instead of an abort.
TEST(Verify, TooFewDescriptorsEndWithTheReason) {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    GTEST_SKIP() << "a sanitizer's runtime needs descriptors of its own to report anything";
#endif
    ScratchFolder work;
    work.WriteFile("good.txt", ListFile("/s(0)", {}));
    for (const std::vector<std::string>& arguments :
         {std::vector<std::string>{"--verify", "good.txt", work.Root()},
          std::vector<std::string>{"--compare", "good.txt", "good.txt"}}) {
        const CommandResult result = Hashwick(work, arguments, {"prlimit", "--nofile=4:4"});
        EXPECT_EQ(result.exitStatus, 2) << arguments[0];
        EXPECT_EQ(result.errors, "Hashwick: リストファイル good.txt: ファイルを読み込めません。\n");
    }
}

// An interrupt stops a check at once, during a walk as during a file that would take an hour.
TEST(Verify, InterruptStopsWithoutAReport) {
    ScratchFolder folder;
    ScratchFolder work;
    const std::string slow = folder.MakeSlowWalk(500);
    folder.WriteFile("large/file", "");
    ASSERT_EQ(truncate(folder.Path("large/file").c_str(), off_t{1} << 40), 0);
    const std::string large = folder.Path("large");
    work.WriteFile("slow.txt", ListFile(slow + "(0)", {}));
    work.WriteFile("large.txt", ListFile(large + "(1)", {large + "/file\t" + kA}));
    for (const char* list : {"slow.txt", "large.txt"}) {
        const CommandResult result =
            Hashwick(work, {"--verify", list}, {"timeout", "--preserve-status", "-s", "INT", "1"});
        EXPECT_EQ(result.exitStatus, 1) << list;
        EXPECT_EQ(result.errors, "Hashwick: シグナル SIGINT を受けたため中断しました。\n");
    }
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(work.Root()), {}), 2);
}

// A list of a million files below the root, none of which is there.
std::string MillionLines(const std::string& root) {
    std::string list = "# " + root + "(1000000)\r\n" + kDoubleRule + "\r\n";
    for (int file = 0; file < 1'000'000; ++file)
        list += root + "/f" + std::to_string(file) + "\t" + kA + "\r\n";
    return list + kRule + "\r\n" + Timing("0.0", "0.0");
}

// A signal in any stage after the hashing, or while the lists are read, is seen at once: the
// command leaves no report and no temporary file, says why it stopped and exits 1. Each stage
// shows on a terminal's status line, where the signal is sent.
TEST(Verify, AStopInAnyStageLeavesNoReport) {
    ScratchFolder folder;
    ScratchFolder work;
    folder.WriteFile("r/a", "a");
    work.WriteFile("big.txt", MillionLines(folder.Path("r")));
    const std::tuple<std::vector<std::string>, std::string, int, std::string> stops[] = {
        {{"--verify", "big.txt"}, "照合中 リストを読んでいます", SIGINT, "SIGINT"},
        {{"--verify", "big.txt"}, "照合中 照らし合わせています", SIGTERM, "SIGTERM"},
        {{"--verify", "big.txt"}, "照合中 結果を書いています", SIGHUP, "SIGHUP"},
        {{"--compare", "big.txt", "big.txt"}, "比較中 リストを読んでいます", SIGHUP, "SIGHUP"},
        {{"--compare", "big.txt", "big.txt"}, "比較中 比べています", SIGINT, "SIGINT"},
        {{"--compare", "big.txt", "big.txt"}, "比較中 結果を書いています", SIGTERM, "SIGTERM"},
    };
    for (const auto& [arguments, stage, signal, name] : stops) {
        std::vector<std::string> command = {HASHWICK_BINARY};
        command.insert(command.end(), arguments.begin(), arguments.end());
        TerminalProgram program(command, work.Root());
        ASSERT_TRUE(program.WaitFor(stage)) << stage;
        program.Signal(signal);
        const CommandResult result = program.Finish();
        EXPECT_EQ(result.exitStatus, 1) << stage;
        EXPECT_TRUE(result.output.ends_with("Hashwick: シグナル " + name +
                                            " を受けたため中断しました。\r\n"))
            << stage << ": " << result.output;
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(work.Root()), {}), 1) << stage;
    }
}

// The time line tells the whole command's time, the writing of the report included.
TEST(Verify, TheTimeLineTellsTheWholeCommand) {
    ScratchFolder folder;
    ScratchFolder work;
    folder.WriteFile("r/a", "a");
    work.WriteFile("big.txt", MillionLines(folder.Path("r")));
    for (const auto& [arguments, stage, name] :
         {std::tuple<std::vector<std::string>, std::string, std::string>{
              {"--verify", "big.txt"}, "照合中 結果を書いています", "Hashwick_big_照合.txt"},
          {{"--compare", "big.txt", "big.txt"},
           "比較中 結果を書いています",
           "Hashwick_big_比較.txt"}}) {
        std::vector<std::string> command = {HASHWICK_BINARY};
        command.insert(command.end(), arguments.begin(), arguments.end());
        TerminalProgram program(command, work.Root());
        ASSERT_TRUE(program.WaitFor(stage)) << stage;
        program.Signal(SIGSTOP);
        std::this_thread::sleep_for(std::chrono::milliseconds(1500));
        program.Signal(SIGCONT);
        EXPECT_NE(program.Finish().exitStatus, -1);
        const std::string report = FromCodePage932(work.ReadFile(name));
        const std::size_t seconds = report.rfind("は") + std::strlen("は");
        EXPECT_GE(std::stod(report.substr(seconds)), 1.5) << report.substr(seconds);
    }
}

// Moves need a digest that exactly one file left and one file got; empty files and shared digests
// are added and missing instead. The roots differ, and only the paths below them count.
TEST(Compare, MovesNeedADigestOnlyOneFileLeftAndOneGot) {
    ScratchFolder work;
    work.WriteFile("old.txt",
                   ListFile("C:\\old(8)",
                            {"C:\\old\\a\\big\t" + k9, "C:\\old\\changed\t" + k1,
                             "C:\\old\\d1\t" + kA, "C:\\old\\d2\t" + kA, "C:\\old\\e\t" + kEmpty,
                             "C:\\old\\gone\t" + k2, "C:\\old\\same\t" + k3},
                            {"C:\\old\\locked"}));
    work.WriteFile("new.txt", ListFile("/new(8)", {"/new/b/big\t" + k9, "/new/changed\t" + k4,
                                                   "/new/d3\t" + kA, "/new/d4\t" + kA,
                                                   "/new/e2\t" + kEmpty, "/new/fresh\t" + k10,
                                                   "/new/locked\t" + k5, "/new/same\t" + k3}));
    const std::string expected =
        Lines({"# 旧リスト: old.txt", "# 旧リストのルート: C:\\old(8)", "# 新リスト: new.txt",
               "# 新リストのルート: /new(8)", kDoubleRule, Section("不一致"),
               "/new/changed\t" + k1 + "\t" + k4, Section("欠落"), "C:\\old\\d1\t" + kA,
               "C:\\old\\d2\t" + kA, "C:\\old\\e\t" + kEmpty, "C:\\old\\gone\t" + k2}) +
        Lines({Section("追加"), "/new/d3\t" + kA, "/new/d4\t" + kA, "/new/e2\t" + kEmpty,
               "/new/fresh\t" + k10, Section("移動"), "C:\\old\\a\\big\t/new/b/big\t" + k9,
               Section("読取不可"), "/new/locked\t読取不可\t" + k5, Section("一致"),
               "/new/same\t" + k3});
    const CommandResult result = Hashwick(work, {"--compare", "old.txt", "new.txt"});
    EXPECT_EQ(result.exitStatus, 1);
    EXPECT_EQ(Report(work, "Hashwick_old_比較.txt"), expected + Counts({1, 4, 4, 1, 1, 0, 1}));
}

}  // namespace
