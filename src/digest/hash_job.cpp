#include "digest/hash_job.h"

#include <deque>

#include "digest/file_digest.h"
#include "digest/hashing_threads.h"
#include "digest/pass_item.h"
#include "digest/read_ahead.h"
#include "platform/path_text.h"

namespace {

void Report(ProgressFunction progress, std::size_t count) {
    if (progress != nullptr)
        progress(static_cast<std::int32_t>(count));
}

// The oldest collected entry's full path; the entry itself is released, since only the count of
// collected files is needed once the pass has begun.
std::u16string TakeOldest(CollectedTable& collected) {
    auto entry = collected.extract(collected.begin());
    std::u16string path = std::move(entry.key());
    path += kPathSeparator;
    path += entry.mapped();
    return path;
}

}  // namespace

void HashJob::RunHashingPass() {
    CollectedTable& collected = collector->collected;
    const std::size_t total = collected.size();
    std::deque<PassItem> items;
    while (!collected.empty()) {
        PassItem& item = items.emplace_back(TakeOldest(collected));
        if (collector->unopenable.contains(item.path))
            item.outcome = PassItem::kFailed;
    }
    const int threads = HashingThreadCount();
    ReadAhead helpers(items, stopHashing, threads > 1 && total > 1 ? threads : 0);

    while (!items.empty()) {
        if (stopHashing) {
            Report(progress, total);
            break;
        }
        Report(progress, failures.size() + digests->size());
        PassItem& item = items.front();
        std::optional<std::u16string> digest =
            helpers.Started() ? helpers.AwaitFront() : FileDigest(item.path.c_str(), stopHashing);
        if (!digest) {
            // Cut short by the stop: not processed, so the total comes now, as for a stop seen
            // before the file.
            Report(progress, total);
            break;
        }
        if (!digest->empty()) {
            digests->emplace(std::move(item.path), std::move(*digest));
        } else {
            failures.push_back(std::move(item.path));
        }
        helpers.PopFront();
    }
    Report(progress, failures.size() + digests->size());
}

void ResetStopRequests(HashJob& job) {
    job.collector->stopWalk = false;
    job.stopHashing = false;
}
