// One collected file on its way through a hashing pass with helpers: its full path, the pieces
// read and not yet hashed, and what the reading and the hashing found.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "digest/md5.h"
#include "platform/file_placement.h"
#include "platform/input_file_stream.h"

// Bytes of a file read in one go, in the file's order.
struct Piece {
    std::unique_ptr<std::uint8_t[]> bytes;
    std::size_t capacity = 0;
    std::size_t size = 0;
};

// Everything but the path and the outcome is guarded by the read-ahead's lock, or belongs to the
// one thread that holds the item (its reader while it reads, its hasher while it hashes).
struct PassItem {
    enum Outcome : std::uint8_t {
        kPending,
        kDigested,
        kFailed,      // no digest: not opened, not a regular file, or a read failed
        kUnfinished,  // a stop came first: neither digested nor failed
    };
    enum class Reading : std::uint8_t {
        kNotOpened,
        kOpen,
        kEnded,
        kFailed,
    };

    explicit PassItem(std::u16string&& fullPath) : path(std::move(fullPath)) {}

    std::u16string path;
    // Written by the helper that hashes the file, before it settles the outcome.
    std::array<std::uint8_t, 16> digest{};
    Outcome outcome = kPending;  // guarded by the read-ahead's lock once helpers run

    Reading reading = Reading::kNotOpened;
    bool readerHolds = false;  // a reader is opening it or reading its next piece
    // The files the pass had closed when this file's open began.
    std::size_t closedBeforeOpen = 0;
    // While it is open: opened by a reading thread, or through the ring.
    std::unique_ptr<InputFileStream> file;
    int ringFile = -1;
    std::uint64_t sizeAtOpen = 0;
    // Where it lies, once open: a small file that must wait for storage with a seek penalty is
    // read in the order of places.
    FilePlacement placement;
    std::uint64_t asked = 0;   // the bytes its reads have asked for so far
    bool readBefore = false;   // a read of it was delivered
    std::uint64_t offset = 0;  // the bytes read through the ring so far
    Piece piece;               // the piece being read through the ring
    std::size_t want = 0;      // the bytes it is to hold
    std::size_t reserved = 0;  // the room kept for its read in the memory bound
    // Read and not yet hashed: pieces[firstPiece] onwards.
    std::vector<Piece> pieces;
    std::size_t firstPiece = 0;
    // A hasher holds it, or it waits for one among the ready items.
    bool hashing = false;
    Md5Context context{};
    bool contextStarted = false;
};
