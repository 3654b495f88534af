#include "digest/read_ahead.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <new>
#include <string_view>
#include <system_error>

#include "digest/digest_hex.h"
#include "digest/file_digest.h"
#include "digest/pass_hashing.h"
#include "digest/ring_reading.h"
#include "digest/thread_reading.h"
#include "platform/file_placement.h"

namespace {

// How long the pass waits before it looks at the oldest file again (and at the stop request).
constexpr auto kFilingPause = std::chrono::milliseconds(1);

// The system's ring for many reads in flight, unless HASHWICK_IO_URING=0 asks for reading
// threads, which also serve where the system has no ring.
std::unique_ptr<FileReadRing> RingUnlessRefused(int depth) {
    if (const char* asked = std::getenv("HASHWICK_IO_URING");
        asked != nullptr && std::string_view(asked) == "0") {
        return nullptr;
    }
    return FileReadRing::Create(static_cast<unsigned>(std::max(depth, 1)));
}

}  // namespace

ReadAhead::ReadAhead(const std::atomic<bool>& stopRequest, int hashers, const ReadPolicy& policy)
    : stopRequest_(stopRequest), queue_(stopRequest, policy) {
    // Each run asks afresh what its storage is.
    ForgetStoragePlacements();
    StartHelpers(hashers);
}

void ReadAhead::StartHelpers(int hashers) {
    for (int i = 0; i < hashers; ++i) {
        try {
            hashers_.emplace_back(
                [this] { queue_.RunHelper([this] { HashFromQueue(queue_, stopRequest_); }); });
        } catch (const std::system_error&) {
            break;
        }
    }
    if (hashers_.empty())
        return;
    const ReadPolicy& policy = queue_.Policy();
    ring_ = RingUnlessRefused(policy.readsInFlight);
    try {
        if (ring_) {
            readers_.emplace_back([this, &ring = *ring_] {
                queue_.RunHelper([this, &ring] { ReadThroughRing(queue_, ring); });
            });
        } else {
            // Each thread has one request in flight; past a few dozen, threads cost more in
            // memory and switches than further requests bring.
            for (int i = 0; i < std::min(policy.readsInFlight, kMostReadingThreads); ++i) {
                readers_.emplace_back(
                    [this] { queue_.RunHelper([this] { ReadOnThisThread(queue_); }); });
            }
        }
    } catch (const std::system_error&) {
        // As many readers as could be had.
    }
    if (!readers_.empty())
        return;
    // Hashers without a reader would wait for ever: the pass digests the files itself.
    queue_.End();
    for (std::thread& hasher : hashers_)
        hasher.join();
    hashers_.clear();
}

ReadAhead::~ReadAhead() {
    queue_.End();
    for (std::thread& reader : readers_)
        reader.join();
    for (std::thread& hasher : hashers_)
        hasher.join();
}

std::optional<std::u16string> ReadAhead::AwaitFront() {
    const PassItem& item = queue_.Front();
    if (hashers_.empty()) {
        if (item.outcome == PassItem::kFailed)
            return std::u16string();
        return FileDigest(item.path.c_str(), stopRequest_);
    }
    // The pass files results far faster than they come: it looks for the oldest now and then
    // rather than being woken for each, which would cost a switch of threads per file.
    PassItem::Outcome outcome = PassItem::kPending;
    for (;;) {
        outcome = queue_.FrontOutcome();
        if (outcome != PassItem::kPending || stopRequest_.load(std::memory_order_relaxed) ||
            queue_.OutOfMemory()) {
            break;
        }
        std::this_thread::sleep_for(kFilingPause);
    }
    if (queue_.OutOfMemory())
        throw std::bad_alloc();
    switch (outcome) {
        case PassItem::kDigested:
            return DigestHex<char16_t>(item.digest);
        case PassItem::kFailed:
            return std::u16string();
        default:
            return std::nullopt;
    }
}
