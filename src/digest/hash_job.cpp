#include "digest/hash_job.h"

#include <new>

#include "digest/file_digest.h"
#include "digest/hashing_threads.h"
#include "digest/pass_item.h"
#include "digest/read_ahead.h"
#include "platform/path_text.h"
#include "platform/read_meter.h"

namespace {

void Report(ProgressFunction progress, std::size_t count) {
    CountFilesDone(count);
    if (progress != nullptr)
        progress(static_cast<std::int32_t>(count));
}

// The oldest collected entry's full path; the entry itself is released, since only the count of
// collected files is needed once the pass has begun. The walk left room for the name behind the
// folder, so the path is made in the folder's own memory.
std::u16string TakeOldest(CollectedTable& collected) {
    auto entry = collected.extract(collected.begin());
    std::u16string path = std::move(entry.key());
    path += kPathSeparator;
    path += entry.mapped();
    return path;
}

}  // namespace

void HashJob::RunHashingPass() {
    StartReadMeter(collector->collected.size());
    try {
        FileEachInOrder();
    } catch (const std::bad_alloc&) {
        // The helpers end as after a stop before the lack of memory goes on to the caller.
        stopHashing = true;
        EndReadMeter();
        throw;
    }
    EndReadMeter();
}

void HashJob::FileEachInOrder() {
    CollectedTable& collected = collector->collected;
    const std::size_t total = collected.size();
    const int threads = HashingThreadCount();
    ReadAhead files(stopHashing, threads > 1 ? threads : 0, ReadPolicy{});
    // Entries are taken from the table a window ahead of the filing, each as its full path, so
    // that the memory an entry frees serves the digests filed soon after. The window is wider
    // than what the reading may hold ahead, and no wider: each file held costs memory.
    constexpr std::size_t kWindow = 1024;
    static_assert(kWindow > 2 * ReadPolicy{}.mostFilesAhead);
    for (;;) {
        while (!collected.empty() && files.Held() < kWindow) {
            std::u16string path = TakeOldest(collected);
            const bool unopenable = collector->unopenable.contains(path);
            files.Add(std::move(path), unopenable);
        }
        if (files.Held() == 0)
            break;
        if (stopHashing) {
            Report(progress, total);
            break;
        }
        Report(progress, failures.size() + digests->size());
        std::optional<std::u16string> digest = files.AwaitFront();
        if (!digest) {
            // Cut short by the stop: not processed, so the total comes now, as for a stop seen
            // before the file.
            Report(progress, total);
            break;
        }
        std::u16string path = files.PopFront();
        if (!digest->empty()) {
            digests->emplace(std::move(path), std::move(*digest));
        } else {
            failures.push_back(std::move(path));
        }
    }
    Report(progress, failures.size() + digests->size());
}

void ResetStopRequests(HashJob& job) {
    job.collector->stopWalk = false;
    job.stopHashing = false;
}
