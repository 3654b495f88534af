// The system's own texts that tests compare: captions and questions as the dialog shows them, the
// fixed parts of a list file as code page 932 bytes, and the digests of the little files tests
// write.
#pragma once

#include <initializer_list>
#include <string>
#include <vector>

#include "support/code_page.h"

inline const std::u16string kIdleCaption = u"ファイルのＭＤ生成";
inline const std::u16string kBusyCaption = u"★Hashwick中★";
inline const std::u16string kStartQuestion = u"ＭＤ５リストを生成しますか？";
inline const std::u16string kCancelQuestion = u"キャンセルしてもよいですか？";
inline const std::u16string kExitQuestion = u"終了してもよいですか";
inline const std::u16string kNoSuchFolder = u"存在しないディレクトリが指定されています。";

inline const std::string kRule = "#------------------------------------------";
inline const std::string kDoubleRule = "#==========================================";
inline const std::string kFailureTitle =  // ### ＭＤ５生成がエラーになったもの
    "### \x82\x6c\x82\x63\x82\x54\x90\xb6\x90\xac\x82\xaa\x83\x47\x83\x89\x81\x5b\x82\xc9\x82\xc8"
    "\x82\xc1\x82\xbd\x82\xe0\x82\xcc";
inline const std::string kWalk =
    "# \x83\x78\x83\x4e\x83\x5e\x90\xb6\x90\xac\x82\xcd";                     // ベクタ生成は
inline const std::string kHash = "# MD5\x8c\x76\x8e\x5a\x82\xcd";             // MD5計算は
inline const std::string kSeconds = "\x95\x62\x82\xc5\x82\xb7";               // 秒です
inline const std::string kOf = ")\x83\x74\x83\x40\x83\x43\x83\x8b\x92\x86(";  // )ファイル中(
inline const std::string kProcessed =  // )ファイル処理しました
    ")\x83\x74\x83\x40\x83\x43\x83\x8b\x8f\x88\x97\x9d\x82\xb5\x82\xdc\x82\xb5\x82\xbd";

// The lines, each ended by CR LF, as a list file holds them.
inline std::string Lines(std::initializer_list<std::string> lines) {
    std::string text;
    for (const std::string& line : lines)
        text += line + "\r\n";
    return text;
}

// The two timing lines of a list.
inline std::string Timing(const std::string& walk, const std::string& hash) {
    return Lines({kWalk + walk + kSeconds, kHash + hash + kSeconds});
}

// A list up to the rule before its timing lines, as the writer lays it out, from UTF-8 lines: the
// header "# ROOT(N)", the digest lines and the files without a digest.
inline std::string ListHead(const std::string& header, const std::vector<std::string>& lines,
                            const std::vector<std::string>& failures = {}) {
    std::string text = "# " + header + "\r\n" + kDoubleRule + "\r\n";
    for (const std::string& line : lines)
        text += line + "\r\n";
    if (!failures.empty())
        text += kRule + "### ＭＤ５生成がエラーになったもの\r\n";
    for (const std::string& path : failures)
        text += "# " + path + "\r\n";
    return ToCodePage932(text + kRule + "\r\n");
}

// A whole list: its head, the timing lines and the summary of a stopped run.
inline std::string ListFile(const std::string& header, const std::vector<std::string>& lines,
                            const std::vector<std::string>& failures = {},
                            const std::string& summary = {}) {
    std::string text = ListHead(header, lines, failures) + Timing("0.1", "2.3");
    if (!summary.empty())
        text += kRule + "\r\n# " + ToCodePage932(summary) + "\r\n";
    return text;
}

// The digests of the files that hold "a", "b", "abc", nothing, "1", "2" and so on.
inline const std::string kAbc = "900150983cd24fb0d6963f7d28e17f72";
inline const std::string kA = "0cc175b9c0f1b6a831c399e269772661";
inline const std::string kB = "92eb5ffee6ae2fec3ad71c777531578f";
inline const std::string kEmpty = "d41d8cd98f00b204e9800998ecf8427e";
inline const std::string k1 = "c4ca4238a0b923820dcc509a6f75849b";
inline const std::string k2 = "c81e728d9d4c2f636f067f89cc14862c";
inline const std::string k3 = "eccbc87e4b5ce2fe28308fd9f2a7baf3";
inline const std::string k4 = "a87ff679a2f3e71d9181a67b7542122c";
inline const std::string k5 = "e4da3b7fbbce2345d7772b0674a318d5";
