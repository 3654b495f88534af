#include "check/check_report.h"

#include "list/list_layout.h"
#include "list/list_text.h"
#include "list/stop_request.h"

CheckReport::CheckReport(const std::u16string& fileName, const std::atomic<bool>& stop)
    : stop_(stop),
      result_{.fileName = fileName, .written = false, .reason = {}},
      file_(fileName),
      out_(file_) {}

void CheckReport::ListLines(std::u16string_view title, const std::u16string& name,
                            const DigestList& list) {
    out_.Line({u"# ", title, u": ", name});
    if (list.relative) {
        constexpr std::u16string_view kTexts[] = {u"コードページ932", u"UTF-8",
                                                  u"UTF-8でないファイル名のバイト列"};
        out_.Line({u"# ", title, u"の形式: md5sum、", kTexts[static_cast<int>(list.names)], u"(",
                   CountText(list.collected), u")"});
        return;
    }
    out_.Text(u"# ").Text(title).Text(u"のルート: ").Bytes(list.Root());
    out_.Line({u"(", CountText(list.collected), u")"});
    if (list.processed != list.collected) {
        out_.Line({u"# ", title, u"は中断された実行のものです: ", kSummaryStart.substr(2),
                   CountText(list.collected), kSummaryOf, CountText(list.processed), kSummaryEnd});
    }
    if (list.lineFeedOnly > 0) {
        out_.Line({u"# ", title, u"の", CountText(static_cast<std::int64_t>(list.lineFeedOnly)),
                   u"行は改行がCR LFでなくLFです。"});
    }
}

void CheckReport::Section(FileClass fileClass) {
    out_.Line({kRule, u"### ", kClassNames[fileClass]});
}

ListFileResult CheckReport::Finish(std::span<const FileClass> classes, const ClassCounts& counts,
                                   std::u16string_view label, Tick start) {
    if (!out_.Usable()) {
        result_.reason = out_.UnusableReason();
        return result_;
    }
    out_.Line({kRule});
    for (FileClass each : classes) {
        out_.Line(
            {u"# ", kClassNames[each], u" ", CountText(static_cast<std::int64_t>(counts[each]))});
    }
    // The whole command's time, up to this line.
    out_.Line({u"# ", label, u"は", SecondsText(start, CurrentTick()), kSeconds});
    out_.Flush();
    // A stop during the long wait for the disk still leaves no report.
    file_.Seal();
    ThrowIfStopped(stop_);
    result_.written = file_.Commit();
    result_.reason = file_.Reason();
    return result_;
}

bool OnlyMatches(const ClassCounts& counts) {
    for (std::size_t each = 0; each < counts.size(); ++each) {
        if (each != kMatch && counts[each] != 0)
            return false;
    }
    return true;
}
