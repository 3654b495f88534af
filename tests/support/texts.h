// The system's own texts that tests compare: captions and questions as the dialog shows them, and
// the fixed parts of a list file as code page 932 bytes.
#pragma once

#include <initializer_list>
#include <string>

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
