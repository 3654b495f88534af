// Reading lists back, ours and other programs': every refusal with its line and reason, and what
// an accepted list holds however odd it is.
#include "list/list_reader.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "platform/path_text.h"
#include "support/texts.h"

namespace {

// The line and the reason a list is refused for; or its root (for another program's list, how it
// writes names), counts and lines ending in LF alone, and each file's line, key (with "/" between
// components) and the start of its digest.
std::string Read(std::string_view bytes, bool othersToo = true) {
    const std::atomic<bool> never = false;
    const ListReading read =
        othersToo ? ParseListToCheck(bytes, never) : ParseDigestList(bytes, never);
    if (!read.list)
        return std::to_string(read.line) + ": " + *WideToNative(read.reason);
    const DigestList& list = *read.list;
    const char* names[] = {"cp932", "utf8", "bytes"};
    std::string held =
        list.relative ? names[static_cast<int>(list.names)] : FromCodePage932(list.Root());
    held += " " + std::to_string(list.collected) + "/" + std::to_string(list.processed) + " lf " +
            std::to_string(list.lineFeedOnly);
    for (const ListedFile& file : list.files) {
        std::string key(list.Key(file));
        key = list.names == ListNames::kCodePage932 ? FromCodePage932(key) : key;
        std::replace(key.begin(), key.end(), static_cast<char>(kPathSeparator), '/');
        held += "\n" + std::to_string(file.line) + " " + key + " " +
                (file.digested ? DigestHex<char>(file.digest).substr(0, 4) : "-");
    }
    return held;
}

TEST(ListReader, RefusesWhatIsNoListWithTheLineAndWhy) {
    const std::string good = ListFile("/s(1)", {"/s/a\t" + kA});
    std::string utf16, utf16BigEndian, noFailureLine = ListFile("/s(1)", {}, {"/s/a"});
    for (char c : std::string("# /s(1)\r\n")) {
        utf16 += std::string{c, '\0'};
        utf16BigEndian += std::string{'\0', c};
    }
    noFailureLine.erase(noFailureLine.rfind("# /s/a"), 2);
    const std::string md5 = kA + "  a\n", utf8 = "UTF-8のテキストです。";
    const std::string outside = "パスが見出しのルートで始まっていません。";
    const std::string counts = "見出しのファイル数がリストの行数と合いません。";
    const std::string noLine =
        "「MD5  パス」「MD5 *パス」「MD5 (パス) = MD5」のどの行でもありません。";
    const std::string absolute =
        "絶対パスです。照合するフォルダからの相対パスでなければなりません。";
    const std::pair<std::string, std::string> lists[] = {
        {"", "1: 空のファイルです。"},
        {"\xFF\xFE" + utf16, "1: UTF-16のテキストです。"},
        {utf16, "1: UTF-16のテキストです。"},
        {utf16BigEndian, "1: UTF-16のテキストです。"},
        {"\xEF\xBB\xBF" + FromCodePage932(good), "1: " + utf8},
        {FromCodePage932(good), "5: " + utf8},
        {FromCodePage932(ListFile("/s(1)", {}, {"/s/a"})), "3: " + utf8},
        {"# " + std::string(70000, 'x'),
         "1: 64 KiBを超えても終わらない行です。見出しの行ではありません。"},
        {"# /s\r\n", "1: 見出しの行「# ルート(ファイル数)」ではありません。"},
        {"# /s(1)\r\n#=\r\n", "2: 「#===…」の行ではありません。"},
        {ListFile("/s(1)", {"/s/a " + kA}), "3: パスとMD5の間のTABがありません。"},
        {ListFile("/s(1)", {"/s/a\t" + kA.substr(1) + "x"}),
         "3: MD5が32桁の16進数ではありません。"},
        {ListFile("/s(1)", {"/t/a\t" + kA}), "3: " + outside},
        {ListFile("/s(1)", {"/s/\t" + kA}), "3: " + outside},
        {ListFile("/s(2)", {"/s/a\t" + kA, "/s\\b\t" + kA}), "4: " + outside},
        {noFailureLine, "4: 「# パス」の行ではありません。"},
        {good.substr(0, good.find(kA) + 10), "3: 行の途中でファイルが終わっています。"},
        {good.substr(0, good.find("\r\n#-") + 2),
         "4: この行がありません。リストが途中で終わっています。"},
        {good.substr(0, good.find("# MD5")), "6: 時間の行ではありません。"},
        {good + "\r\n", "7: リストの終わりの後に行があります。"},
        {ListFile("/s(2)", {"/s/a\t" + kA}), "1: " + counts},
        {ListFile("/s(1)", {"/s/a\t" + kA, "/s/b\t" + kA}, {},
                  "(1)ファイル中(2)ファイル処理しました"),
         "9: " + counts},
        {ListFile("/s(1)", {"/s/a\t" + kA}, {}, "(1)ファイル中(1)ファイル処理しました"),
         "8: " + counts},
        {ListFile("/s(2)", {"/s/a\t" + kA}, {}, "(3)ファイル中(1)ファイル処理しました"),
         "8: 「# (N)ファイル中(k)ファイル処理しました」の行ではありません。"},
        {"# /s(1)\r\n" + std::string(16 << 20 | 1, 'x'), "2: 長すぎる行です。"},
        // Other programs' lists.
        {"add me\n", "1: 見出しの行「# ルート(ファイル数)」でも、MD5の行でもありません。"},
        {std::string(70000, 'x'),
         "1: 64 KiBを超えても終わらない行です。見出しの行でもMD5の行でもありません。"},
        {md5 + kA + " b\n", "2: " + noLine},
        {md5 + "MD5 (b) " + kA, "2: " + noLine},
        {md5 + std::string(40, 'a') + "  b\n", "2: MD5ではありません(16進数40桁)。"},
        {md5 + std::string(64, 'a') + " *b\n", "2: MD5ではありません(16進数64桁)。"},
        {md5 + std::string(128, 'a') + "  b\n", "2: MD5ではありません(16進数128桁)。"},
        {md5 + "SHA256 (b) = " + std::string(64, 'a'), "2: MD5ではありません(SHA256)。"},
        {md5 + "MD5 (b) = " + kA.substr(1), "2: MD5が32桁の16進数ではありません。"},
        {md5 + kA + "  \n", "2: パスがありません。"},
        {md5 + kA + "  ./\n", "2: パスがありません。"},
        {md5 + kA + std::string("  a\0b\n", 6), "2: パスにNUL文字があります。"},
        {md5 + kA + " */b\n", "2: " + absolute},
        {md5 + kA + " *C:\\b\n", "2: " + absolute},
        {md5 + kA + " *\\\\server\\b\n", "2: " + absolute},
        {md5 + kA + "  a/../b\n", "2: パスに「..」があります。"},
        {md5 + "\\" + kA + "  a\\x\n",
         "2: 「\\」で始まる行のパスで「\\」の後が「\\」「n」「r」のどれでもありません。"},
        {"; made by hand\r\n\r\n", "0: MD5の行がありません。"},
    };
    for (const auto& [bytes, expected] : lists)
        EXPECT_EQ(Read(bytes), expected) << bytes.substr(0, 80);
    EXPECT_EQ(Read(md5, false), "1: 見出しの行「# ルート(ファイル数)」ではありません。");
}

TEST(ListReader, TakesOddListsForWhatTheyHold) {
    std::string lineFeeds = ListFile("/s(2)", {"/s/a\t" + kA, "/s/b\t" + kB});
    std::erase(lineFeeds, '\r');
    const std::pair<std::string, std::string> lists[] = {
        {lineFeeds, "/s 2/2 lf 7\n3 /a 0cc1\n4 /b 92eb"},
        {ListFile("/s(2)", {"/s/a\t" + kA}, {}, "(2)ファイル中(1)ファイル処理しました"),
         "/s 2/1 lf 0\n3 /a 0cc1"},
        // The count is in the last parentheses; a path listed twice is kept twice.
        {ListFile("/s (1)(2)", {"/s (1)/a\t" + kA, "/s (1)/a\t" + kB}),
         "/s (1) 2/2 lf 0\n3 /a 0cc1\n4 /a 92eb"},
        // From Windows: "表" and "ソ" end in the backslash's byte; a folder that could not be
        // listed ends in the separator and is no file.
        {ListFile("C:\\写真(3)", {"C:\\写真\\ソフト\\a\t" + kA, "C:\\写真\\表.jpg\t" + k1},
                  {"C:\\写真\\ソ", "C:\\写真\\closed\\"}),
         "C:\\写真 3/3 lf 0\n3 /ソフト/a 0cc1\n4 /表.jpg c4ca\n6 /ソ -\n7 /closed/ -"},
        // md5sum's forms mixed, comments and empty lines, "." and doubled separators, a digest in
        // capitals, escapes, no line end at the end.
        {"; made by hand\r\n\r\n" + kA + "  a b\r\n# comment\n" + kB +
             " *sub\\b\nMD5 (c) = " + "C4CA4238A0B923820DCC509A6F75849B\n\\" + k2 +
             "  back\\\\slash\\nbreak\\r\n" + "\\MD5 (./x//y/./z\\\\) = " + k3,
         "utf8 5/5 lf 0\n3 /a b 0cc1\n5 /sub/b 92eb\n6 /c c4ca\n7 /back\\slash\nbreak\r c81e\n"
         "8 /x/y/z\\ eccb"},
        // A Windows program's list: code page 932, or UTF-8 behind a byte-order mark; other bytes.
        {ToCodePage932(kA + " *写真\\表.jpg\r\n" + kB + " *ソ\\b\r\n\\" + k1 + "  表\\nx\n"),
         "cp932 3/3 lf 0\n1 /写真/表.jpg 0cc1\n2 /ソ/b 92eb\n3 /表?x c4ca"},
        {"\xEF\xBB\xBF" + kA + " *写真\\a.jpg\r\n", "utf8 1/1 lf 0\n1 /写真/a.jpg 0cc1"},
        {kA + "  caf\xE9.txt\n", "bytes 1/1 lf 0\n1 /caf\xE9.txt 0cc1"},
    };
    for (const auto& [bytes, expected] : lists)
        EXPECT_EQ(Read(bytes), expected) << bytes.substr(0, 80);
}

}  // namespace
