#include "digest/worker.h"

#include "digest/hashing_threads.h"
#include "framework/window_handles.h"

unsigned WorkerThreadProc(void* parameter) {
    const auto& start = *static_cast<const WorkerStartBlock*>(parameter);
    HashJob& job = *start.job;
    job.progress = start.progress;
    FileCollector& collector = *job.collector;
    collector.roots = std::vector<std::u16string>{start.rootPath};
    collector.threads = HashingThreadCount();
    collector.Collect(FilesOnly);
    if (collector.stopWalk)
        return kWorkerWalkStopped;

    if (g_hMainDialog != nullptr) {
        PostMessageW(g_hMainDialog, UM_SCAN_COMPLETE, collector.collected.size(), 0);
    }
    job.RunHashingPass();
    return job.stopHashing ? kWorkerHashingStopped : kWorkerRanToEnd;
}
