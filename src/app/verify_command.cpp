#include "app/verify_command.h"

#include "app/command_messages.h"
#include "app/console_commands.h"
#include "check/check_report.h"
#include "check/listed_folder.h"
#include "check/verify_report.h"
#include "console/stop_signals.h"
#include "digest/hash_job.h"
#include "digest/hashing_threads.h"
#include "list/list_layout.h"
#include "platform/file_attributes.h"

namespace {

constexpr std::u16string_view kCaption = u"照合中";
constexpr std::u16string_view kWalking = u"照合中 フォルダを走査しています";
constexpr std::u16string_view kNoSuchFolder = u"存在しないディレクトリが指定されています。";
constexpr std::u16string_view kRootNotFound =
    u"リストのルートのフォルダが見つかりません。照合するフォルダを指定してください。";
constexpr std::u16string_view kRootAmbiguous =
    u"リストのルートに当たるフォルダが複数あります。照合するフォルダを指定してください。";

// The pass reports its counts on the thread that runs it, this one, through a plain function.
ConsoleStatusLine* progressLine = nullptr;
std::size_t progressTotal = 0;

void ShowProgress(std::int32_t count) {
    if (progressLine != nullptr && progressLine->Due()) {
        progressLine->Draw(std::u16string(kCaption) + u" " + CountText(count) + u" / " +
                           CountText(static_cast<std::int64_t>(progressTotal)));
    }
}

bool IsFolder(const std::u16string& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// The folder given, or else the one the list's root names here; the reason when there is none.
std::u16string FolderToCheck(const DigestList& list,
                             const std::optional<std::u16string>& folderGiven,
                             std::u16string_view& refusal) {
    if (folderGiven) {
        refusal = IsFolder(*folderGiven) ? u"" : kNoSuchFolder;
        return *folderGiven;
    }
    const ListedFolder listed = FindListedFolder(list.Root());
    if (!listed.path || !IsFolder(*listed.path)) {
        refusal = listed.ambiguous ? kRootAmbiguous : kRootNotFound;
        return {};
    }
    refusal = {};
    return *listed.path;
}

}  // namespace

int RunVerify(const std::u16string& listName, const std::optional<std::u16string>& folderGiven) {
    const Tick start = CurrentTick();
    FileCollector collector;
    DigestTable digests;
    HashJob job{.collector = &collector, .digests = &digests, .failures = {}};
    // Created before the walk's and the pass's threads, which leave the signals to it. A stop at
    // any moment is seen by the walk or the pass, neither of which clears a request.
    const StopSignals signals([&collector, &job](const std::u16string&) {
        collector.stopWalk = true;
        job.stopHashing = true;
    });
    ConsoleStatusLine console;

    const ListReading reading = ReadDigestList(listName);
    if (!reading.list) {
        console.Message(ListErrorText(listName, reading));
        return kExitBadInput;
    }
    std::u16string_view refusal;
    const std::u16string folder = FolderToCheck(*reading.list, folderGiven, refusal);
    if (!refusal.empty()) {
        console.Message(ProgramMessage(refusal));
        return kExitBadInput;
    }

    console.Draw(std::u16string(kWalking));
    collector.roots = {folder};
    collector.threads = HashingThreadCount();
    collector.Collect(FilesOnly);
    FolderCheck check(*reading.list, folder);
    if (!collector.stopWalk) {
        check.TakeUnlisted(collector.collected);
        progressLine = &console;
        progressTotal = collector.collected.size();
        job.progress = ShowProgress;
        job.RunHashingPass();
        progressLine = nullptr;
    }
    if (const std::optional<std::u16string> signal = signals.Received()) {
        console.Message(ProgramMessage(StoppedBySignalText(*signal)));
        return kExitDifferences;
    }
    check.Settle(collector, digests, job.failures);
    const ListFileResult report = WriteVerifyReport(check, listName, start, CurrentTick());
    // A folder that could not be listed may hold files that nothing accounts for.
    return Conclude(console, report, check.Counts(), u"照合",
                    OnlyMatches(check.Counts()) && check.Unlisted().empty());
}
