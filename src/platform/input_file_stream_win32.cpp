#include <windows.h>

#include <algorithm>
#include <string>

#include "platform/input_file_stream.h"

namespace {

const wchar_t* Wide(std::u16string& path) {
    return reinterpret_cast<const wchar_t*>(path.c_str());
}

// The file's handle, or INVALID_HANDLE_VALUE. Others may go on reading, writing, renaming and
// deleting the file while it is read, as on Linux. What is opened must be a file on a disk: a
// name such as CON or COM1 reaches a device, and one that is asked for first is never opened.
HANDLE OpenRegularFile(std::u16string path, InputFileStream::TypeCheck check) {
    if (check == InputFileStream::TypeCheck::BeforeAndAfterOpen) {
        const DWORD attributes = GetFileAttributesW(Wide(path));
        if (attributes == INVALID_FILE_ATTRIBUTES ||
            (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) != 0) {
            return INVALID_HANDLE_VALUE;
        }
    }
    const HANDLE file = CreateFileW(Wide(path), GENERIC_READ,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (file != INVALID_HANDLE_VALUE && GetFileType(file) != FILE_TYPE_DISK) {
        CloseHandle(file);
        return INVALID_HANDLE_VALUE;
    }
    return file;
}

}  // namespace

InputFileStream::InputFileStream(std::u16string_view path, TypeCheck check)
    : handle_(OpenRegularFile(std::u16string(path), check)) {
    LARGE_INTEGER size{};
    if (handle_ == INVALID_HANDLE_VALUE || GetFileSizeEx(handle_, &size) == 0) {
        failed_ = true;
        return;
    }
    sizeAtOpen_ = static_cast<std::uint64_t>(std::max<LONGLONG>(size.QuadPart, 0));
}

InputFileStream::~InputFileStream() {
    if (handle_ != INVALID_HANDLE_VALUE)
        CloseHandle(handle_);
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
    const auto asked = static_cast<DWORD>(std::min<std::size_t>(count, 1u << 30));
    DWORD got = 0;
    if (ReadFile(handle_, into, asked, &got, nullptr) == 0) {
        bad_ = true;
        return 0;
    }
    if (got == 0) {
        eof_ = true;
        return 0;
    }
    delivered_ += got;
    endSeen_ = got < asked && delivered_ >= sizeAtOpen_;
    return got;
}
