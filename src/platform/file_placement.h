// Where an open file's bytes lie, as far as the system tells: the storage they are on, whether
// that storage pays for each movement between distant places (a rotating disk's seek), and where
// on it the file begins. Files on such storage are read fastest in the order of their places.
#pragma once

#include <cstdint>
#include <optional>

struct FilePlacement {
    // Which storage holds the file: places compare between files of the same storage only.
    std::uint64_t storage = 0;
    // Moving between distant places costs time: a rotating disk (through partitions, device
    // mapping and software RAID to the disks beneath). Network and user-space file systems,
    // memory and solid-state storage do not; on Windows nothing is asked and no storage does.
    bool seekPenalty = false;
    // On such storage: whether all of the file's bytes are in memory already, so that reading it
    // moves nothing (where the system cannot tell, they are not). Not asked elsewhere.
    bool inMemory = false;
    // Where the file's first byte lies on the storage, in the storage's own units; asked only of
    // a file on such storage that is not in memory. Nothing where the system does not tell (an
    // empty file, a file system that cannot say).
    std::optional<std::uint64_t> firstPlace;
};

// Whether a device seeks is asked once per device and kept; this forgets what was kept, so that
// a run asks afresh: a device's number may name another disk by then (one taken away and another
// attached in its place).
void ForgetStoragePlacements();
