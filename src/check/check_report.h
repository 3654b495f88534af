// The report of a check against a list or of a comparison of two lists, written as a list is:
// code page 932, CR LF, into the current directory, an earlier report of the name replaced only
// by a complete new one. A header, one section per class that has files, the counts of the
// classes and the time taken.
#pragma once

#include <atomic>
#include <span>
#include <string>
#include <string_view>

#include "check/file_class.h"
#include "list/list_output.h"
#include "list/list_reader.h"
#include "platform/clock.h"
#include "platform/replacement_file.h"
#include "report/list_writer.h"

// The text of a missing digest.
constexpr std::u16string_view kNoDigest = u"読取不可";

class CheckReport {
  public:
    // Whoever writes the report looks at the stop in its loops, as Finish does before the report
    // takes its name.
    CheckReport(const std::u16string& fileName, const std::atomic<bool>& stop);

    ListOutput& Out() { return out_; }
    // What the header says of a list: its name, its root and count, and whether its run was
    // stopped or its line ends were changed; for another program's list, its text and count.
    // The title names the list ("リスト", "旧リスト").
    void ListLines(std::u16string_view title, const std::u16string& name, const DigestList& list);
    void Section(FileClass fileClass);
    // The counts of the classes, in the order given, and "# <label>は<seconds>秒です": the time
    // from the start to that line. Throws StopRequested once the stop is set.
    ListFileResult Finish(std::span<const FileClass> classes, const ClassCounts& counts,
                          std::u16string_view label, Tick start);

  private:
    const std::atomic<bool>& stop_;
    ListFileResult result_;
    ReplacementFile file_;
    ListOutput out_;
};

// True when nothing but matches was found.
bool OnlyMatches(const ClassCounts& counts);
