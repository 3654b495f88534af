#include "platform/read_meter.h"

#include <atomic>

namespace {

using Clock = std::chrono::steady_clock;

// The counts are relaxed: a status line that lags one read behind shows nothing wrong.
std::atomic<std::uint64_t> bytesRead = 0;
std::atomic<std::uint64_t> filesDone = 0;
std::atomic<std::uint64_t> filesTotal = 0;
std::atomic<Clock::rep> startedAt = 0;
std::atomic<Clock::rep> endedAt = 0;  // 0 while the pass runs
std::atomic<bool> started = false;

}  // namespace

void StartReadMeter(std::uint64_t total) {
    bytesRead.store(0, std::memory_order_relaxed);
    filesDone.store(0, std::memory_order_relaxed);
    filesTotal.store(total, std::memory_order_relaxed);
    endedAt.store(0, std::memory_order_relaxed);
    startedAt.store(Clock::now().time_since_epoch().count(), std::memory_order_relaxed);
    started.store(true, std::memory_order_release);
}

void CountBytesRead(std::uint64_t bytes) {
    bytesRead.fetch_add(bytes, std::memory_order_relaxed);
}

void CountFilesDone(std::uint64_t done) {
    filesDone.store(done, std::memory_order_relaxed);
}

void EndReadMeter() {
    endedAt.store(Clock::now().time_since_epoch().count(), std::memory_order_relaxed);
}

ReadProgress ReadMeterNow() {
    if (!started.load(std::memory_order_acquire))
        return {};
    const Clock::rep ended = endedAt.load(std::memory_order_relaxed);
    const Clock::rep until = ended != 0 ? ended : Clock::now().time_since_epoch().count();
    return {.bytes = bytesRead.load(std::memory_order_relaxed),
            .filesDone = filesDone.load(std::memory_order_relaxed),
            .filesTotal = filesTotal.load(std::memory_order_relaxed),
            .elapsed = Clock::duration(until - startedAt.load(std::memory_order_relaxed)),
            .ended = ended != 0};
}
