#include "check/verify_report.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>

#include "check/check_report.h"
#include "list/list_layout.h"
#include "list/stop_request.h"
#include "platform/path_text.h"
#include "platform/system_error_text.h"
#include "platform/utf16.h"
#include "report/list_file_name.h"

namespace {

constexpr std::u16string_view kNotRegular = u"通常のファイルではありません。";
constexpr std::u16string_view kNotRead = u"読み取れません。";

// Every character outside printable ASCII as its code point, a byte that is no UTF-8 as the byte:
// names that the list gives the same bytes differ here.
std::u16string Spelled(std::u16string_view text) {
    std::u16string spelled;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t unit = text[i];
        if (unit >= 0x20 && unit < 0x7F) {
            spelled.push_back(static_cast<char16_t>(unit));
            continue;
        }
        char buffer[16];
        if (unit >= 0xDC80 && unit <= 0xDCFF) {
            std::snprintf(buffer, sizeof buffer, "<0x%02X>", static_cast<unsigned>(unit - 0xDC00));
        } else {
            if (IsSurrogatePairAt(text, i)) {
                unit = CodePointOfPair(text[i], text[i + 1]);
                ++i;
            }
            std::snprintf(buffer, sizeof buffer, "<U+%04X>", static_cast<unsigned>(unit));
        }
        spelled.append(buffer, buffer + std::strlen(buffer));
    }
    return spelled;
}

class VerifyReport {
  public:
    VerifyReport(const FolderCheck& check, const std::u16string& listName,
                 const std::atomic<bool>& stop)
        : check_(check),
          list_(check.List()),
          stop_(stop),
          report_(VerifyReportName(listName), stop),
          out_(report_.Out()) {
        report_.ListLines(u"リスト", listName, list_);
        out_.Line({u"# 照合したフォルダ: ", check.Folder()});
        for (const auto& [folder, code] : check.Unlisted()) {
            out_.Line(
                {u"# 一覧できないフォルダ: ", folder, u" ", ReadErrorText(static_cast<int>(code))});
        }
        out_.Line({kDoubleRule});
    }

    ListFileResult Write(Tick start) {
        for (const FileClass each : kOrder) {
            if (check_.Counts()[each] == 0)
                continue;
            report_.Section(each);
            if (each == kAdded) {
                for (const std::u16string& path : check_.Added()) {
                    ThrowIfStopped(stop_);
                    out_.Line({path});
                }
            } else {
                for (std::size_t file = 0; file < list_.files.size(); ++file) {
                    ThrowIfStopped(stop_);
                    if (check_.OutcomeOf(file).fileClass == each)
                        FileLine(file);
                    if (list_.files[file].folder)
                        FoundBelow(file, each);
                }
            }
        }
        return report_.Finish(kOrder, check_.Counts(), u"照合", start);
    }

  private:
    static constexpr std::array kOrder = {kMismatch,  kMissing,     kAdded,           kUnreadable,
                                          kAmbiguous, kNowReadable, kStillUnreadable, kMatch};

    // The path of a listed file below the folder checked.
    ListOutput& ListedPath(const ListedFile& file) {
        out_.Text(check_.Folder());
        if (list_.names == ListNames::kCodePage932)
            return out_.Bytes(list_.Key(file));
        return out_.Text(NativeToWide(list_.Key(file)));
    }

    ListOutput& ListedDigest(const ListedFile& file) {
        return file.digested ? out_.Bytes(DigestHex<char>(file.digest)) : out_.Text(kNoDigest);
    }

    ListOutput& Reason(const FolderCheck::Outcome& outcome) {
        if (outcome.found == FolderCheck::kNotRegular)
            return out_.Text(kNotRegular);
        if (outcome.unlisted == 0)
            return out_.Text(kNotRead);
        return out_.Text(u"フォルダ ")
            .Text(check_.Unlisted()[outcome.unlisted - 1].first)
            .Text(u" を一覧できません。");
    }

    void FileLine(std::size_t index) {
        const ListedFile& file = list_.files[index];
        const FolderCheck::Outcome& outcome = check_.OutcomeOf(index);
        switch (outcome.fileClass) {
            case kMismatch:
                ListedPath(file).Text(u"\t");
                ListedDigest(file).Text(u"\t").Bytes(DigestHex<char>(outcome.now));
                break;
            case kMissing:
            case kMatch:
                ListedPath(file).Text(u"\t");
                ListedDigest(file);
                break;
            case kUnreadable:
                ListedPath(file).Text(u"\t");
                ListedDigest(file).Text(u"\t");
                Reason(outcome);
                break;
            case kNowReadable:
                // A folder has no digest: its files follow it.
                if (file.folder)
                    ListedPath(file);
                else
                    ListedPath(file).Text(u"\t").Bytes(DigestHex<char>(outcome.now));
                break;
            case kStillUnreadable:
                ListedPath(file).Text(u"\t");
                Reason(outcome);
                break;
            case kAmbiguous:
                AmbiguousGroup(file);
                return;
            default:
                return;
        }
        out_.EndLine();
    }

    // The files of the class found now below a folder that the list's run could not list.
    void FoundBelow(std::size_t folder, FileClass fileClass) {
        const auto& found = check_.BelowListedFolders();
        auto each = std::lower_bound(found.begin(), found.end(), folder,
                                     [](const auto& a, std::size_t f) { return a.folder < f; });
        for (; each != found.end() && each->folder == folder; ++each) {
            if (each->fileClass != fileClass)
                continue;
            out_.Text(each->path).Text(u"\t");
            if (each->found == FolderCheck::kDigested)
                out_.Bytes(DigestHex<char>(each->now));
            else
                out_.Text(each->found == FolderCheck::kNotRegular ? kNotRegular : kNotRead);
            out_.EndLine();
        }
    }

    // The group of names with the file's bytes, where its first listed file comes: each listed
    // file with its line, then each file found now with its name spelled out.
    void AmbiguousGroup(const ListedFile& file) {
        const ListIndex& index = check_.Index();
        const auto [first, last] = index.Find(list_.Key(file));
        if (&list_.files[index.Order()[first]] != &file)
            return;
        for (std::size_t position = first; position < last; ++position) {
            ThrowIfStopped(stop_);
            const ListedFile& listed = list_.files[index.Order()[position]];
            ListedPath(listed).Text(u"\t");
            ListedDigest(listed).Text(u"\tリストの").Text(CountText(listed.line)).Text(u"行目");
            out_.EndLine();
        }
        const auto& found = check_.Ambiguous();
        const auto begin =
            std::lower_bound(found.begin(), found.end(), first,
                             [](const auto& a, std::size_t g) { return a.group < g; });
        for (auto each = begin; each != found.end() && each->group == first; ++each) {
            ThrowIfStopped(stop_);
            out_.Text(each->path).Text(u"\t");
            if (each->found == FolderCheck::kDigested)
                out_.Bytes(DigestHex<char>(each->now));
            else
                out_.Text(kNoDigest);
            const std::u16string_view below =
                std::u16string_view(each->path).substr(check_.Folder().size());
            out_.Text(u"\t今回: ").Text(Spelled(below)).EndLine();
        }
    }

    const FolderCheck& check_;
    const DigestList& list_;
    const std::atomic<bool>& stop_;
    CheckReport report_;
    ListOutput& out_;
};

}  // namespace

std::u16string VerifyReportName(const std::u16string& listName) {
    return MakeCheckReportName(listName, u"照合");
}

ListFileResult WriteVerifyReport(const FolderCheck& check, const std::u16string& listName,
                                 Tick start, const std::atomic<bool>& stop) {
    return VerifyReport(check, listName, stop).Write(start);
}
