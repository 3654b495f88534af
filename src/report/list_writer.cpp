#include "report/list_writer.h"

#include <algorithm>

#include "list/list_layout.h"
#include "list/list_output.h"
#include "list/list_text.h"
#include "platform/path_text.h"
#include "platform/replacement_file.h"
#include "report/list_file_name.h"

namespace {

std::u16string TimingLine(std::u16string_view label, Tick earlier, Tick later) {
    return u"# " + std::u16string(label) + SecondsText(earlier, later) + std::u16string(kSeconds);
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
        result.reason = out.UnusableReason();
        return result;
    }

    const auto folders = std::count_if(failures.begin(), failures.end(), [](const auto& path) {
        return path.ends_with(kPathSeparator);
    });
    const std::int64_t processed =
        static_cast<std::int64_t>(digests.size() + failures.size()) - folders;
    out.Line({u"# ", root, u"(", CountText(collectedCount), u")"});
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
        out.Line({kSummaryStart, CountText(collectedCount), kSummaryOf, CountText(processed),
                  kSummaryEnd});
    }
    out.Flush();

    result.written = file.Commit();
    result.reason = file.Reason();
    return result;
}
