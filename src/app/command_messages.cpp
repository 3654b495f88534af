#include "app/command_messages.h"

#include "app/console_commands.h"
#include "list/list_layout.h"

std::u16string ProgramMessage(std::u16string_view text) {
    return u"Hashwick: " + std::u16string(text);
}

std::u16string ListErrorText(const std::u16string& name, const ListReading& reading) {
    if (reading.line == 0)
        return ProgramMessage(u"リストファイル " + name + u": " + reading.reason);
    return ProgramMessage(u"リストファイル " + name + u" の" + CountText(reading.line) + u"行目: " +
                          reading.reason);
}

int Interrupted(ConsoleStatusLine& console, const StopSignals& signals) {
    console.Message(ProgramMessage(StoppedBySignalText(signals.Received().value_or(u"SIGINT"))));
    return kExitDifferences;
}

int OutOfMemory(ConsoleStatusLine& console) {
    console.Message(ProgramMessage(u"メモリが足りません。"));
    return kExitDifferences;
}

int Conclude(ConsoleStatusLine& console, const ListFileResult& report, const ClassCounts& counts,
             std::u16string_view kind, bool same) {
    if (!report.written) {
        console.Message(ProgramMessage(std::u16string(kind) + u"結果を書き込めませんでした。\n" +
                                       report.fileName + u"\n" + report.reason));
        return kExitDifferences;
    }
    if (console.IsTerminal()) {
        std::u16string summary = std::u16string(kind) + u"結果 " + report.fileName + u":";
        for (std::size_t each = 0; each < counts.size(); ++each) {
            if (counts[each] != 0 || each == kMatch) {
                summary += u" " + std::u16string(kClassNames[each]) + u" " +
                           CountText(static_cast<std::int64_t>(counts[each]));
            }
        }
        console.Message(summary);
    }
    return same ? kExitOnlyMatches : kExitDifferences;
}
