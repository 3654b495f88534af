#include "report/list_writer.h"

#include <charconv>

#include "platform/path_text.h"
#include "platform/replacement_file.h"
#include "report/list_file_name.h"
#include "report/list_text.h"

namespace {

constexpr std::u16string_view kDoubleRule = u"#==========================================";
constexpr std::u16string_view kRule = u"#------------------------------------------";
constexpr std::u16string_view kFailureTitle = u"### ＭＤ５生成がエラーになったもの";
constexpr std::u16string_view kWalkLabel = u"ベクタ生成は";
constexpr std::u16string_view kHashLabel = u"MD5計算は";
constexpr std::size_t kFlushSize = 64 * 1024;
constexpr std::u16string_view kNoCodePage = u"コードページ932に変換できません。";

std::u16string Count(std::int64_t value) {
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    return std::u16string(digits, end);
}

// Lines are converted as they come and handed to the file in large pieces.
class ListOutput {
  public:
    explicit ListOutput(ReplacementFile& file) : file_(file) {}

    bool Usable() const { return encoder_.Usable(); }

    void Line(std::initializer_list<std::u16string_view> parts) {
        for (std::u16string_view part : parts)
            encoder_.Append(bytes_, part);
        bytes_.append("\r\n");
        if (bytes_.size() >= kFlushSize)
            Flush();
    }

    void Flush() {
        file_.Write(bytes_);
        bytes_.clear();
    }

  private:
    ReplacementFile& file_;
    ListTextEncoder encoder_;
    std::string bytes_;
};

// "# <label><seconds with one decimal>秒です", the seconds being the tick difference / 1000.
std::u16string TimingLine(std::u16string_view label, Tick earlier, Tick later) {
    // Tick differences wrap like the 32-bit ticks themselves.
    const auto difference = static_cast<std::int32_t>(static_cast<std::uint32_t>(later) -
                                                      static_cast<std::uint32_t>(earlier));
    // Formatted as the C locale's "%2.1f" would, whatever locale the process runs in.
    char seconds[64];
    const auto end = std::to_chars(seconds, seconds + sizeof seconds, difference / 1000.0,
                                   std::chars_format::fixed, 1)
                         .ptr;
    return u"# " + std::u16string(label) + std::u16string(seconds, end) + u"秒です";
}

}  // namespace

ListFileResult WriteDigestList(const std::u16string& root, std::int32_t collectedCount,
                               const DigestTable& digests, const FailureList& failures,
                               Tick runStart, Tick walkEnd, Tick hashEnd,
                               const std::u16string& folder) {
    ListFileResult result;
    result.fileName = MakeListFileName(root);
    ReplacementFile file(folder.empty() ? result.fileName
                                        : folder + kPathSeparator + result.fileName);
    ListOutput out(file);
    if (!out.Usable()) {
        result.reason = kNoCodePage;
        return result;
    }

    const std::int64_t processed = static_cast<std::int64_t>(digests.size() + failures.size());
    out.Line({u"# ", root, u"(", Count(collectedCount), u")"});
    out.Line({kDoubleRule});
    for (const auto& [path, digest] : digests)
        out.Line({path, u"\t", digest});
    if (!failures.empty()) {
        out.Line({kRule, kFailureTitle});
        for (const std::u16string& path : failures)
            out.Line({u"# ", path});
    }
    out.Line({kRule});
    out.Line({TimingLine(kWalkLabel, runStart, walkEnd)});
    out.Line({TimingLine(kHashLabel, walkEnd, hashEnd)});
    if (collectedCount != processed) {
        out.Line({kRule});
        out.Line({u"# (", Count(collectedCount), u")ファイル中(", Count(processed),
                  u")ファイル処理しました"});
    }
    out.Flush();

    result.written = file.Commit();
    result.reason = file.Reason();
    return result;
}
