// One collected file on its way through a hashing pass with helpers: its full path, and what the
// helper that read it found.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <string>

struct PassItem {
    enum Outcome : std::uint8_t {
        kPending,
        kDigested,
        kFailed,      // no digest: not opened, not a regular file, or a read failed
        kUnfinished,  // a stop came first: neither digested nor failed
    };

    explicit PassItem(std::u16string&& fullPath) : path(std::move(fullPath)) {}

    // Written once by the helper, then announced through the outcome.
    void Settle(Outcome result) {
        outcome.store(result, std::memory_order_release);
        outcome.notify_one();
    }

    std::u16string path;
    std::array<std::uint8_t, 16> digest{};
    std::atomic<Outcome> outcome{kPending};
};
