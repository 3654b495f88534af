// Runs the walk and the hashing pass on a folder, as a run does, and reports how fast it went.
// With --list it also writes the list file into the current directory, as a run does. With
// --bytes it adds up the sizes of the digested files afterwards, one stat each, outside its own
// timer but inside the process's time, so timed comparisons leave it out.
// Usage: hashwick-walk [--list] [--bytes] FOLDER
#include <sys/resource.h>
#include <sys/stat.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>

#include "digest/worker.h"
#include "framework/window_handles.h"
#include "platform/path_text.h"
#include "report/list_writer.h"

int main(int argc, char** argv) {
    bool writeList = false;
    bool countBytes = false;
    int next = 1;
    for (; next < argc - 1; ++next) {
        if (std::strcmp(argv[next], "--list") == 0) {
            writeList = true;
        } else if (std::strcmp(argv[next], "--bytes") == 0) {
            countBytes = true;
        } else {
            break;
        }
    }
    if (next != argc - 1) {
        std::fprintf(stderr, "usage: %s [--list] [--bytes] FOLDER\n", argv[0]);
        return 2;
    }
    FileCollector collector;
    DigestTable digests;
    HashJob job{.collector = &collector, .digests = &digests, .failures = {}};
    ResetStopRequests(job);
    WorkerStartBlock start{NativeToWide(argv[argc - 1]), &job, nullptr};

    // The walk's end is taken when its notification is posted, as the dialog would.
    Tick walkEnd = 0;
    auto queue = std::make_shared<MessageQueue>();
    queue->SetArrivalHandler([&walkEnd] { walkEnd = CurrentTick(); });
    g_hMainDialog = CreateWindowHandle(queue);

    const auto began = std::chrono::steady_clock::now();
    const Tick runStart = CurrentTick();
    WorkerThreadProc(&start);
    if (writeList) {
        const ListFileResult list = WriteDigestList(
            collector.roots.front(), static_cast<std::int32_t>(collector.collectedCount), digests,
            job.failures, runStart, walkEnd, CurrentTick(), u"");
        if (!list.written) {
            std::fprintf(stderr, "%s: %s\n", WideToNative(list.fileName).value_or("?").c_str(),
                         WideToNative(list.reason).value_or("?").c_str());
            return 1;
        }
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();

    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const double peakBytes = static_cast<double>(usage.ru_maxrss) * 1024.0;
    const auto files = static_cast<double>(digests.size() + job.failures.size());
    std::printf("files: %zu\nfailed: %zu\nseconds: %.3f\nfiles/s: %.0f\n", digests.size(),
                job.failures.size(), seconds, files / seconds);
    if (countBytes) {
        double bytes = 0;
        for (const auto& entry : digests) {
            struct stat status {};
            if (stat(WideToNative(entry.first).value_or("").c_str(), &status) == 0) {
                bytes += static_cast<double>(status.st_size);
            }
        }
        std::printf("bytes: %.0f\nMB/s: %.1f\n", bytes, bytes / seconds / 1e6);
    }
    std::printf("peak memory bytes: %.0f\npeak memory bytes per file: %.0f\n", peakBytes,
                files > 0 ? peakBytes / files : 0.0);
    return 0;
}
