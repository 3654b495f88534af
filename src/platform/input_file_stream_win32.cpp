#include <windows.h>

#include <algorithm>
#include <string>

#include "platform/input_file_stream.h"
#include "platform/windows_file_queries.h"

namespace {

const wchar_t* Wide(std::u16string& path) {
    return reinterpret_cast<const wchar_t*>(path.c_str());
}

// The file's handle, or INVALID_HANDLE_VALUE. Others may go on reading, writing, renaming and
// deleting the file while it is read, as on Linux. What is opened must be a file on a disk: a
// name such as CON or COM1 reaches a device, and one that is asked for first is never opened.
HANDLE OpenRegularFile(std::u16string path, InputFileStream::TypeCheck check) {
    path = windows::SystemPath(path.c_str());
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
        const DWORD error = GetLastError();
        outOfDescriptors_ =
            error == ERROR_TOO_MANY_OPEN_FILES || error == ERROR_NO_SYSTEM_RESOURCES;
        return;
    }
    sizeAtOpen_ = static_cast<std::uint64_t>(std::max<LONGLONG>(size.QuadPart, 0));
}

// Read as on any storage (see file_placement_win32.cpp): no file joins an order of places, and
// none is asked to be read ahead.
FilePlacement InputFileStream::Placement() const {
    return {};
}

void InputFileStream::StartReading() const {}

InputFileStream::~InputFileStream() {
    if (handle_ != INVALID_HANDLE_VALUE)
        CloseHandle(handle_);
}

std::size_t InputFileStream::ReadFromSystem(std::uint8_t* into, std::size_t count) {
    DWORD got = 0;
    if (ReadFile(handle_, into, static_cast<DWORD>(count), &got, nullptr) == 0) {
        bad_ = true;
        return 0;
    }
    return got;
}
