#include "app/verify_command.h"

#include <new>

#include "app/command_messages.h"
#include "app/console_commands.h"
#include "check/check_report.h"
#include "check/listed_folder.h"
#include "check/verify_report.h"
#include "console/reading_speed.h"
#include "console/stop_signals.h"
#include "digest/hash_job.h"
#include "digest/hashing_threads.h"
#include "list/list_layout.h"
#include "list/stop_request.h"
#include "platform/file_attributes.h"
#include "platform/folder_path.h"

namespace {

constexpr std::u16string_view kCaption = u"照合中";
constexpr std::u16string_view kReading = u"照合中 リストを読んでいます";
constexpr std::u16string_view kWalking = u"照合中 フォルダを走査しています";
constexpr std::u16string_view kMatching = u"照合中 照らし合わせています";
constexpr std::u16string_view kWriting = u"照合中 結果を書いています";
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
                           CountText(static_cast<std::int64_t>(progressTotal)) +
                           ReadingSpeedText(ReadMeterNow()));
    }
}

bool IsFolder(const std::u16string& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// The folder given, or else the one the list's root names here (the list's own folder for a
// list of relative paths); the reason when there is none.
std::u16string FolderToCheck(const DigestList& list, const std::u16string& listName,
                             const std::optional<std::u16string>& folderGiven,
                             std::u16string_view& refusal) {
    if (folderGiven || list.relative) {
        // "data/" is the folder "data": the report's paths are those of "data".
        const std::u16string folder =
            folderGiven ? WithoutTrailingSeparators(*folderGiven) : FolderOfFile(listName);
        refusal = IsFolder(folder) ? u"" : kNoSuchFolder;
        return folder;
    }
    const ListedFolder listed = FindListedFolder(list.Root());
    if (!listed.path || !IsFolder(*listed.path)) {
        refusal = listed.ambiguous ? kRootAmbiguous : kRootNotFound;
        return {};
    }
    refusal = {};
    return *listed.path;
}

// What a check holds while it runs; the signals' watcher stops each stage through it.
struct VerifyRun {
    const Tick start = CurrentTick();
    std::atomic<bool> stop = false;
    FileCollector collector;
    DigestTable digests;
    HashJob job{.collector = &collector, .digests = &digests, .failures = {}};

    void Stop() {
        stop = true;
        collector.stopWalk = true;
        job.stopHashing = true;
    }

    // Gives back the memory of the walk and the pass.
    void Release() {
        CollectedTable().swap(collector.collected);
        decltype(collector.unopenable)().swap(collector.unopenable);
        DigestTable().swap(digests);
        FailureList().swap(job.failures);
    }

    int Run(const std::u16string& listName, const std::optional<std::u16string>& folderGiven,
            ConsoleStatusLine& console) {
        console.Draw(std::u16string(kReading));
        const ListReading reading = ReadListToCheck(listName, stop);
        if (!reading.list) {
            console.Message(ListErrorText(listName, reading));
            return kExitBadInput;
        }
        std::u16string_view refusal;
        const std::u16string folder = FolderToCheck(*reading.list, listName, folderGiven, refusal);
        if (!refusal.empty()) {
            console.Message(ProgramMessage(refusal));
            return kExitBadInput;
        }

        console.Draw(std::u16string(kWalking));
        collector.roots = {folder};
        collector.threads = HashingThreadCount();
        collector.Collect(FilesOnly);
        ThrowIfStopped(stop);
        FolderCheck check(*reading.list, folder, {listName, VerifyReportName(listName)}, stop);
        check.TakeUnlisted(collector.collected);
        progressLine = &console;
        progressTotal = collector.collected.size();
        job.progress = ShowProgress;
        job.RunHashingPass();
        progressLine = nullptr;
        ThrowIfStopped(stop);

        console.Draw(std::u16string(kMatching));
        check.Settle(collector, digests, job.failures);
        console.Draw(std::u16string(kWriting));
        const ListFileResult report = WriteVerifyReport(check, listName, start, stop);
        // A folder that could not be listed may hold files that nothing accounts for.
        return Conclude(console, report, check.Counts(), u"照合",
                        OnlyMatches(check.Counts()) && check.Unlisted().empty());
    }
};

}  // namespace

int RunVerify(const std::u16string& listName, const std::optional<std::u16string>& folderGiven) {
    VerifyRun run;
    // Created before the walk's and the pass's threads, which leave the signals to it. None of
    // the stages clears a request, so a stop at any moment is seen by the stage under way.
    const StopSignals signals([&run](const std::u16string&) { run.Stop(); });
    ConsoleStatusLine console;
    try {
        return run.Run(listName, folderGiven, console);
    } catch (const StopRequested&) {
        progressLine = nullptr;
        return Interrupted(console, signals);
    } catch (const std::bad_alloc&) {
        progressLine = nullptr;
        run.Release();
        return OutOfMemory(console);
    }
}
