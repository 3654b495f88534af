#include "digest/worker.h"

#include <new>

#include "digest/hashing_threads.h"
#include "framework/window_handles.h"

unsigned WorkerThreadProc(void* parameter) {
    const auto& start = *static_cast<const WorkerStartBlock*>(parameter);
    HashJob& job = *start.job;
    job.progress = start.progress;
    FileCollector& collector = *job.collector;
    try {
        collector.roots = std::vector<std::u16string>{start.rootPath};
        collector.threads = HashingThreadCount();
        collector.Collect(FilesOnly);
        if (collector.stopWalk)
            return kWorkerWalkStopped;

        if (g_hMainDialog != nullptr) {
            PostMessageW(g_hMainDialog, UM_SCAN_COMPLETE, collector.collected.size(), 0);
        }
        job.RunHashingPass();
    } catch (const std::bad_alloc&) {
        // Nobody reads the tables of a run that cannot end: their memory serves the message.
        CollectedTable().swap(collector.collected);
        decltype(collector.unopenable)().swap(collector.unopenable);
        DigestTable().swap(*job.digests);
        FailureList().swap(job.failures);
        if (g_hMainDialog != nullptr)
            PostMessageW(g_hMainDialog, UM_OUT_OF_MEMORY, 0, 0);
        return kWorkerOutOfMemory;
    }
    return job.stopHashing ? kWorkerHashingStopped : kWorkerRanToEnd;
}
