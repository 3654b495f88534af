// The files a hashing pass has taken from the collected table and not filed yet, oldest first.
// With helpers, reading threads open and read them ahead of the pass, many at once, and hashing
// threads digest what has arrived, several files at once in the lanes of the MD5 engine; the pass
// files the results one by one in its own order, so the list and the counts are those of digesting
// one file after the other.
#pragma once

#include <atomic>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "digest/pass_queue.h"
#include "digest/read_policy.h"
#include "platform/file_read_ring.h"

class ReadAhead {
  public:
    // Starts up to `hashers` hashing threads and, with them, the reading threads the policy asks
    // for; none when no thread can be had, and the pass then digests each file itself when it
    // comes to it.
    ReadAhead(const std::atomic<bool>& stopRequest, int hashers, const ReadPolicy& policy);
    // Waits for the helpers, which end soon after a stop request.
    ~ReadAhead();
    ReadAhead(const ReadAhead&) = delete;
    ReadAhead& operator=(const ReadAhead&) = delete;

    // Takes a file in; one the walk found must not be opened is settled as failed at once.
    void Add(std::u16string&& path, bool unopenable) { queue_.Add(std::move(path), unopenable); }
    std::size_t Held() const { return queue_.Held(); }

    // The oldest file's digest as FileDigest gives it: the digest text, the empty string when
    // there is none, nothing when a stop came first. Throws std::bad_alloc when a helper ran out
    // of memory, as the pass's own thread would.
    std::optional<std::u16string> AwaitFront();
    // Drops the oldest file, giving back its path to be filed.
    std::u16string PopFront() { return queue_.PopFront(); }

  private:
    void StartHelpers(int hashers);

    static constexpr int kMostReadingThreads = 32;

    const std::atomic<bool>& stopRequest_;
    PassQueue queue_;
    std::unique_ptr<FileReadRing> ring_;
    std::vector<std::thread> hashers_;
    std::vector<std::thread> readers_;
};
