// Runs the walk and the hashing pass on a folder, as a run does, and reports how fast it went.
// Usage: hashwick-walk FOLDER
#include <sys/resource.h>
#include <sys/stat.h>

#include <chrono>
#include <cstdio>
#include <string>

#include "digest/worker.h"
#include "platform/path_text.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
        return 2;
    }
    FileCollector collector;
    DigestTable digests;
    HashJob job{.collector = &collector, .digests = &digests, .failures = {}};
    ResetStopRequests(job);
    WorkerStartBlock start{NativeToWide(argv[1]), &job, nullptr};

    const auto began = std::chrono::steady_clock::now();
    WorkerThreadProc(&start);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();

    double bytes = 0;
    for (const auto& entry : digests) {
        struct stat status {};
        if (stat(WideToNative(entry.first).value_or("").c_str(), &status) == 0) {
            bytes += static_cast<double>(status.st_size);
        }
    }
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const double peakBytes = static_cast<double>(usage.ru_maxrss) * 1024.0;
    const auto files = static_cast<double>(digests.size() + job.failures.size());
    std::printf("files: %zu\nfailed: %zu\nbytes: %.0f\nseconds: %.3f\nMB/s: %.1f\nfiles/s: %.0f\n",
                digests.size(), job.failures.size(), bytes, seconds, bytes / seconds / 1e6,
                files / seconds);
    std::printf("peak memory bytes: %.0f\npeak memory bytes per file: %.0f\n", peakBytes,
                files > 0 ? peakBytes / files : 0.0);
    return 0;
}
