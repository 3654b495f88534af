#include "digest/hash_job.h"

#include "digest/file_digest.h"
#include "platform/path_text.h"

namespace {

void Report(ProgressFunction progress, std::size_t count) {
    if (progress != nullptr)
        progress(static_cast<std::int32_t>(count));
}

}  // namespace

void HashJob::RunHashingPass() {
    const CollectedTable& collected = collector->collected;
    for (const auto& [folder, name] : collected) {
        if (stopHashing) {
            Report(progress, collected.size());
            break;
        }
        Report(progress, failures.size() + digests->size());
        std::u16string fullPath = folder + kPathSeparator + name;
        std::optional<std::u16string> digest = FileDigest(fullPath.c_str(), stopHashing);
        if (!digest) {
            // Cut short by the stop: not processed, so the total comes now, as for a stop seen
            // before the file.
            Report(progress, collected.size());
            break;
        }
        if (!digest->empty()) {
            digests->emplace(std::move(fullPath), std::move(*digest));
        } else {
            failures.push_back(std::move(fullPath));
        }
    }
    Report(progress, failures.size() + digests->size());
}

void ResetStopRequests(HashJob& job) {
    job.collector->stopWalk = false;
    job.stopHashing = false;
}
