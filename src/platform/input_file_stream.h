// A byte input stream on a file named by a wide path, with the state tests of a standard stream.
//
// Only regular files that hold stored data open: a folder, FIFO, socket or device fails at once,
// and so does a file of the kernel's interface file systems (/proc, /sys), so no open blocks and
// no read runs forever. The open locks nobody out (the file system takes no locks). Reads go
// through the stream's own buffer, so callers may read in small pieces.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>

#include "platform/file_placement.h"

class InputFileStream {
  public:
    enum class TypeCheck {
        BeforeAndAfterOpen,
        // Whoever opens the file has just found a regular file at the path itself, so the open
        // asks once, after it, what it has opened.
        AfterOpen,
    };

    explicit InputFileStream(std::u16string_view path,
                             TypeCheck check = TypeCheck::BeforeAndAfterOpen);
    ~InputFileStream();
    InputFileStream(const InputFileStream&) = delete;
    InputFileStream& operator=(const InputFileStream&) = delete;

    // Reads up to count bytes. Fewer than count means the end of the file (eof and fail) or a
    // read error (bad and fail); gcount tells how many were delivered.
    void read(std::uint8_t* into, std::size_t count);
    std::size_t gcount() const { return lastCount_; }

    // Reads up to count bytes straight into the caller's memory, past the stream's buffer (not
    // to be mixed with read): at least one byte, or 0 at the end of the file (eof) or on a read
    // error (bad).
    std::size_t ReadSome(std::uint8_t* into, std::size_t count);
    // The size the file had when it was opened.
    std::uint64_t SizeAtOpen() const { return sizeAtOpen_; }
    // Where the open file lies; asks the system at each call (on Linux; Windows tells nothing).
    FilePlacement Placement() const;
    // Asks the system to start reading the whole file into memory, without waiting for it (on
    // Linux; Windows has no such request).
    void StartReading() const;

    bool fail() const { return failed_ || bad_; }
    bool bad() const { return bad_; }
    bool eof() const { return eof_; }
    // Whether the last ReadSome reached the end of the file: the next one gives nothing.
    bool AtEnd() const { return eof_ || endSeen_; }
    // Whether the open failed for want of descriptors (of the process or of the system), not for
    // anything about the file: it may open once others have closed.
    bool OutOfDescriptors() const { return outOfDescriptors_; }

  private:
    // Large enough that big files are read in few system calls, small enough to stay off mmap.
    static constexpr std::size_t kLargestBuffer = 64 * 1024;
    static constexpr std::size_t kSmallestBuffer = 4 * 1024;
    // What one system read may ask for: less than both systems' own limits.
    static constexpr std::size_t kLargestSystemRead = std::size_t{1} << 30;

    // One read from the open file: at least one byte, or 0 at its end or on an error (bad).
    std::size_t ReadFromSystem(std::uint8_t* into, std::size_t count);

#ifdef _WIN32
    void* handle_;  // the system's handle; the invalid handle when the open failed
#else
    int descriptor_ = -1;
    std::uint64_t device_ = 0;
#endif
    std::uint64_t sizeAtOpen_ = 0;
    std::uint64_t delivered_ = 0;
    bool endSeen_ = false;
    std::unique_ptr<std::uint8_t[]> buffer_;
    std::size_t capacity_ = 0;
    std::size_t begin_ = 0;
    std::size_t end_ = 0;
    std::size_t lastCount_ = 0;
    bool failed_ = false;
    bool outOfDescriptors_ = false;
    bool bad_ = false;
    bool eof_ = false;
};
