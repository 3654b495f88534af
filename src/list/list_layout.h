// The fixed texts of a list file, shared by its writer and its reader, and the texts of its
// numbers.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/clock.h"

constexpr std::u16string_view kDoubleRule = u"#==========================================";
constexpr std::u16string_view kRule = u"#------------------------------------------";
constexpr std::u16string_view kFailureTitle = u"### ＭＤ５生成がエラーになったもの";
constexpr std::u16string_view kWalkLabel = u"ベクタ生成は";
constexpr std::u16string_view kHashLabel = u"MD5計算は";
constexpr std::u16string_view kSeconds = u"秒です";
// "# (N)ファイル中(k)ファイル処理しました"
constexpr std::u16string_view kSummaryStart = u"# (";
constexpr std::u16string_view kSummaryOf = u")ファイル中(";
constexpr std::u16string_view kSummaryEnd = u")ファイル処理しました";

// A line of the section of files without a digest whose path ends in the separator names a
// folder whose entries could not be listed, not a file: the first line's count and the summary's
// count files only.

// Decimal digits, without grouping.
std::u16string CountText(std::int64_t value);

// The tick difference in seconds with one decimal, as the C locale's "%2.1f" would write it.
std::u16string SecondsText(Tick earlier, Tick later);
