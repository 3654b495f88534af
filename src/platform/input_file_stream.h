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

class InputFileStream {
  public:
    explicit InputFileStream(std::u16string_view path);
    ~InputFileStream();
    InputFileStream(const InputFileStream&) = delete;
    InputFileStream& operator=(const InputFileStream&) = delete;

    // Reads up to count bytes. Fewer than count means the end of the file (eof and fail) or a
    // read error (bad and fail); gcount tells how many were delivered.
    void read(std::uint8_t* into, std::size_t count);
    std::size_t gcount() const { return lastCount_; }

    bool fail() const { return failed_ || bad_; }
    bool bad() const { return bad_; }
    bool eof() const { return eof_; }

  private:
    bool Refill();

    int descriptor_ = -1;
    std::unique_ptr<std::uint8_t[]> buffer_;
    std::size_t capacity_ = 0;
    std::size_t begin_ = 0;
    std::size_t end_ = 0;
    std::size_t lastCount_ = 0;
    bool failed_ = false;
    bool bad_ = false;
    bool eof_ = false;
};
