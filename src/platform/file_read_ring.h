// Many opens and reads of files in flight at once, handed to the system together and answered as
// they complete: on Linux the kernel's io_uring. Where the system offers nothing of the kind
// (Windows, an old kernel, io_uring disabled or filtered out), there is no ring, and the caller
// reads on threads of its own instead.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "platform/file_placement.h"

class FileReadRing {
  public:
    struct Completion {
        enum class Kind : std::uint8_t { kOpened, kOpenFailed, kRead };
        void* tag = nullptr;
        Kind kind = Kind::kRead;
        int file = -1;                  // kOpened: the open file
        std::uint64_t size = 0;         // kOpened: its size at the open
        FilePlacement placement = {};   // kOpened: its storage, without the place on it
        std::size_t bytes = 0;          // kRead: the bytes delivered; 0 at the end of the file
        bool failed = false;            // kRead: the read failed
        bool outOfDescriptors = false;  // kOpenFailed: for want of descriptors, not the file's
    };

    // A ring for up to `depth` requests in flight; null where the system has none to give.
    static std::unique_ptr<FileReadRing> Create(unsigned depth);
    // The system may write into a read's memory until its completion has come: a ring is
    // destroyed only with nothing in flight.
    virtual ~FileReadRing() = default;

    // Queues the opening of a regular file that holds stored data, as InputFileStream opens it:
    // what turns out to be anything else is not opened.
    virtual void Open(void* tag, std::u16string_view path) = 0;
    // Queues a read of up to count bytes at the offset; the memory is written until the read's
    // completion comes.
    virtual void Read(void* tag, int file, std::uint8_t* into, std::size_t count,
                      std::uint64_t offset) = 0;
    // Where an open file begins on storage with a seek penalty, where the system tells; asked
    // apart from the open, as it takes a while. Any thread may ask while the file is open.
    virtual std::optional<std::uint64_t> FirstPlace(int file) const = 0;
    // Closes an open file at once.
    virtual void Close(int file) = 0;
    // Hands the queued requests to the system and waits until at least one of those in flight
    // has completed; appends every completion there is.
    virtual void Wait(std::vector<Completion>& completions) = 0;
};
