// The hashing pass: digests of the collected files, filed by path, with progress counts.
#pragma once

#include <atomic>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "collect/file_collector.h"

// Full path to its 32-digit digest, ascending by path in UTF-16 code units; equal paths keep their
// insertion order.
using DigestTable = std::multimap<std::u16string, std::u16string>;

// Full paths without a digest, in the order the pass met them.
using FailureList = std::vector<std::u16string>;

// Receives counts of processed files on the worker thread.
using ProgressFunction = void (*)(std::int32_t count);

struct HashJob {
    FileCollector* collector = nullptr;  // not owned
    DigestTable* digests = nullptr;      // not owned
    FailureList failures;
    // Set from another thread to stop the pass. The pass never clears it: whoever starts a run
    // clears it beforehand (ResetStopRequests), so a request made at any moment after that stops
    // the run, and a request of an earlier run never stops a later one.
    std::atomic<bool> stopHashing = false;
    ProgressFunction progress = nullptr;

    // Digests the collected files in the table's order: helper threads (HashingThreadCount) read
    // and digest them ahead, and the pass files each result in that order, so the tables and the
    // counts are those of digesting one file after the other. Each collected entry is released
    // as the pass takes it; the collector's collectedCount keeps the count. Calls progress with
    // the number of files processed before each file and once at the end; when it sees a stop
    // request it first calls progress once with the number of collected files, then leaves the
    // loop. A stop is also seen inside a file, which is then left unfinished and unfiled. With
    // both tables empty at the start and N files collected, the counts are 0, 1, ..., N-1, N;
    // after a stop seen behind k files: 0, ..., k-1, N, k, or 0, ..., k, N, k when it came while
    // file k+1 was read.
    // Where memory runs out, on this thread or a helper's, the pass ends as after a stop
    // (stopHashing set) and throws std::bad_alloc.
    void RunHashingPass();

  private:
    void FileEachInOrder();
};

// Clears both stop flags of the job's run. Called before the run's worker is created, never by
// the worker itself.
void ResetStopRequests(HashJob& job);
