#include "app/compare_command.h"

#include "app/command_messages.h"
#include "app/console_commands.h"
#include "check/check_report.h"
#include "check/compare_report.h"
#include "console/stop_signals.h"

int RunCompare(const std::u16string& oldName, const std::u16string& newName) {
    const Tick start = CurrentTick();
    // A stop leaves no report, and no half-written one behind.
    const StopSignals signals([](const std::u16string&) {});
    ConsoleStatusLine console;
    ListReading lists[2] = {ReadDigestList(oldName), ReadDigestList(newName)};
    for (int i = 0; i < 2; ++i) {
        if (!lists[i].list) {
            console.Message(ListErrorText(i == 0 ? oldName : newName, lists[i]));
            return kExitBadInput;
        }
    }
    const ListComparison comparison(*lists[0].list, *lists[1].list);
    if (const std::optional<std::u16string> signal = signals.Received()) {
        console.Message(ProgramMessage(StoppedBySignalText(*signal)));
        return kExitDifferences;
    }
    const ListFileResult report =
        WriteCompareReport(comparison, oldName, newName, start, CurrentTick());
    return Conclude(console, report, comparison.Counts(), u"比較",
                    OnlyMatches(comparison.Counts()));
}
