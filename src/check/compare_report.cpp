#include "check/compare_report.h"

#include <array>

#include "check/check_report.h"
#include "list/list_layout.h"
#include "list/stop_request.h"
#include "report/list_file_name.h"

namespace {

constexpr std::array kOrder = {kMismatch,   kMissing,   kAdded, kMoved,
                               kUnreadable, kAmbiguous, kMatch};

class CompareReport {
  public:
    CompareReport(const ListComparison& comparison, const std::u16string& oldName,
                  const std::u16string& newName, const std::atomic<bool>& stop)
        : comparison_(comparison),
          old_(comparison.Old()),
          new_(comparison.New()),
          stop_(stop),
          report_(MakeCheckReportName(oldName, u"比較"), stop),
          out_(report_.Out()) {
        report_.ListLines(u"旧リスト", oldName, old_);
        report_.ListLines(u"新リスト", newName, new_);
        out_.Line({kDoubleRule});
    }

    ListFileResult Write(Tick start) {
        for (const FileClass each : kOrder) {
            if (comparison_.Counts()[each] == 0)
                continue;
            report_.Section(each);
            // The files that went are the old list's; all others come in the new list's order.
            if (each == kMissing) {
                for (std::size_t file = 0; file < old_.files.size(); ++file) {
                    ThrowIfStopped(stop_);
                    if (comparison_.OldClass(file) == kMissing)
                        FileLine(old_, old_.files[file]).EndLine();
                }
                continue;
            }
            for (std::size_t file = 0; file < new_.files.size(); ++file) {
                ThrowIfStopped(stop_);
                if (comparison_.NewClass(file) == each)
                    NewFileLine(file, each);
            }
        }
        return report_.Finish(kOrder, comparison_.Counts(), u"比較", start);
    }

  private:
    ListOutput& Digest(const ListedFile& file) {
        return file.digested ? out_.Bytes(DigestHex<char>(file.digest)) : out_.Text(kNoDigest);
    }

    ListOutput& FileLine(const DigestList& list, const ListedFile& file) {
        out_.Bytes(list.Path(file)).Text(u"\t");
        return Digest(file);
    }

    void NewFileLine(std::size_t index, FileClass fileClass) {
        const ListedFile& file = new_.files[index];
        const std::uint32_t partner = comparison_.PartnerOf(index);
        switch (fileClass) {
            case kMismatch:
            case kUnreadable:
                out_.Bytes(new_.Path(file)).Text(u"\t");
                Digest(old_.files[partner]).Text(u"\t");
                Digest(file);
                break;
            case kMoved:
                out_.Bytes(old_.Path(old_.files[partner])).Text(u"\t");
                FileLine(new_, file);
                break;
            case kAmbiguous:
                AmbiguousGroup(file);
                return;
            default:
                FileLine(new_, file);
                break;
        }
        out_.EndLine();
    }

    // Where the first new file of a group of names with the same bytes comes: the files of
    // both lists with those bytes, each with its line.
    void AmbiguousGroup(const ListedFile& file) {
        const std::string_view key = new_.Key(file);
        const ListIndex& newIndex = comparison_.NewIndex();
        if (&new_.files[newIndex.Order()[newIndex.Find(key).first]] != &file)
            return;
        const auto group = [&](const DigestList& list, const ListIndex& index,
                               std::u16string_view title) {
            const auto [first, last] = index.Find(key);
            for (std::size_t position = first; position < last; ++position) {
                ThrowIfStopped(stop_);
                const ListedFile& listed = list.files[index.Order()[position]];
                FileLine(list, listed).Text(u"\t").Text(title).Text(u"の");
                out_.Text(CountText(listed.line)).Text(u"行目").EndLine();
            }
        };
        group(old_, comparison_.OldIndex(), u"旧リスト");
        group(new_, newIndex, u"新リスト");
    }

    const ListComparison& comparison_;
    const DigestList& old_;
    const DigestList& new_;
    const std::atomic<bool>& stop_;
    CheckReport report_;
    ListOutput& out_;
};

}  // namespace

ListFileResult WriteCompareReport(const ListComparison& comparison, const std::u16string& oldName,
                                  const std::u16string& newName, Tick start,
                                  const std::atomic<bool>& stop) {
    return CompareReport(comparison, oldName, newName, stop).Write(start);
}
