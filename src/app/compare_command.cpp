#include "app/compare_command.h"

#include <new>

#include "app/command_messages.h"
#include "app/console_commands.h"
#include "check/check_report.h"
#include "check/compare_report.h"
#include "console/stop_signals.h"
#include "list/stop_request.h"

namespace {

constexpr std::u16string_view kReading = u"比較中 リストを読んでいます";
constexpr std::u16string_view kComparing = u"比較中 比べています";
constexpr std::u16string_view kWriting = u"比較中 結果を書いています";

int Compare(const std::u16string& oldName, const std::u16string& newName, Tick start,
            const std::atomic<bool>& stop, ConsoleStatusLine& console) {
    console.Draw(std::u16string(kReading));
    const ListReading lists[2] = {ReadDigestList(oldName, stop), ReadDigestList(newName, stop)};
    for (int i = 0; i < 2; ++i) {
        if (!lists[i].list) {
            console.Message(ListErrorText(i == 0 ? oldName : newName, lists[i]));
            return kExitBadInput;
        }
    }
    console.Draw(std::u16string(kComparing));
    const ListComparison comparison(*lists[0].list, *lists[1].list, stop);
    console.Draw(std::u16string(kWriting));
    const ListFileResult report = WriteCompareReport(comparison, oldName, newName, start, stop);
    return Conclude(console, report, comparison.Counts(), u"比較",
                    OnlyMatches(comparison.Counts()));
}

}  // namespace

int RunCompare(const std::u16string& oldName, const std::u16string& newName) {
    const Tick start = CurrentTick();
    std::atomic<bool> stop = false;
    const StopSignals signals([&stop](const std::u16string&) { stop = true; });
    ConsoleStatusLine console;
    try {
        return Compare(oldName, newName, start, stop, console);
    } catch (const StopRequested&) {
        return Interrupted(console, signals);
    } catch (const std::bad_alloc&) {
        return OutOfMemory(console);
    }
}
