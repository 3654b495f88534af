#include "platform/input_file_stream.h"

#include <algorithm>
#include <cstring>

#include "platform/read_meter.h"

void InputFileStream::read(std::uint8_t* into, std::size_t count) {
    lastCount_ = 0;
    if (fail())
        return;
    if (!buffer_) {
        // One byte past the size lets a small file's end be seen by the same buffer fill.
        capacity_ = static_cast<std::size_t>(
            std::clamp<std::uint64_t>(sizeAtOpen_ + 1, kSmallestBuffer, kLargestBuffer));
        buffer_ = std::make_unique_for_overwrite<std::uint8_t[]>(capacity_);
    }
    while (lastCount_ < count) {
        if (begin_ == end_) {
            begin_ = 0;
            end_ = ReadSome(buffer_.get(), capacity_);
            if (end_ == 0) {
                failed_ = true;
                return;
            }
        }
        const std::size_t take = std::min(count - lastCount_, end_ - begin_);
        std::memcpy(into + lastCount_, buffer_.get() + begin_, take);
        begin_ += take;
        lastCount_ += take;
    }
}

std::size_t InputFileStream::ReadSome(std::uint8_t* into, std::size_t count) {
    if (fail() || eof_)
        return 0;
    // A short read that reaches the size the file had when it was opened is its end: asking
    // again would cost a system call per file only to be told so.
    if (endSeen_) {
        eof_ = true;
        return 0;
    }
    const std::size_t asked = std::min(count, kLargestSystemRead);
    const std::size_t got = ReadFromSystem(into, asked);
    if (got == 0) {
        eof_ = !bad_;
        return 0;
    }
    delivered_ += got;
    CountBytesRead(got);
    endSeen_ = got < asked && delivered_ >= sizeAtOpen_;
    return got;
}
