// How a hashing pass reads its files: how many reads the device has in flight, how large a read
// is, and how much may be read ahead of the hashing. What suits a device differs (a solid-state
// or virtual disk wants many requests at once, a rotating one few and long), so the pass takes
// these from a policy rather than from constants of its own.
#pragma once

#include <cstddef>

// The defaults suit the disks this machine has: many reads in flight.
struct ReadPolicy {
    // Opens and reads handed to the system at once. A cold small file is two waits on the disk
    // (its inode, then its data), so a virtual disk that answers 64 at once needs about four times
    // as many handed to it to stay busy.
    int readsInFlight = 256;
    // The largest read; a file that fits is read whole in one, a larger one in reads of this size.
    std::size_t pieceSize = std::size_t{1} << 20;
    // Reads of one large file that may be ahead of its hashing.
    int piecesAheadPerFile = 4;
    // Read and not yet hashed, at most: bytes, and files (which keeps the memory of many small
    // files in step with the reads in flight).
    std::size_t mostBytesAhead = std::size_t{64} << 20;
    std::size_t mostFilesAhead = 256;

    // Small files on storage with a seek penalty (a rotating disk) that must wait for it: the most
    // taken together and read in the order of their places (half of the reads in flight, so that
    // the next group opens while one is read).
    std::size_t filesPerSweep = 128;
};
