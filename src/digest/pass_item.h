// One collected file on its way through a hashing pass with helpers: its full path, and what the
// helper that read it found.
#pragma once

#include <array>
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

    std::u16string path;
    // Written by the helper that reads the file, before it settles the outcome.
    std::array<std::uint8_t, 16> digest{};
    Outcome outcome = kPending;  // guarded by the read-ahead's lock once helpers run
};
