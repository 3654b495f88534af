#include <windows.h>

#include <string>

#include "platform/system_error_kind.h"

SystemErrorKind KindOfSystemError(int code) {
    switch (code) {
        case ERROR_ACCESS_DENIED:
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION:
            return SystemErrorKind::kNotPermitted;
        case ERROR_DISK_FULL:
        case ERROR_HANDLE_DISK_FULL:
            return SystemErrorKind::kDiskFull;
        case ERROR_WRITE_PROTECT:
            return SystemErrorKind::kReadOnlyFileSystem;
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_DIRECTORY:
            return SystemErrorKind::kNotFound;
        case ERROR_FILENAME_EXCED_RANGE:
            return SystemErrorKind::kNameTooLong;
        case ERROR_CRC:
        case ERROR_READ_FAULT:
        case ERROR_WRITE_FAULT:
        case ERROR_IO_DEVICE:
            return SystemErrorKind::kInputOutput;
        default:
            return SystemErrorKind::kOther;
    }
}

// The system's own message, in the user's language.
std::u16string OtherSystemErrorText(int code) {
    wchar_t text[512] = {};
    const DWORD length =
        FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                       static_cast<DWORD>(code), 0, text, sizeof text / sizeof text[0], nullptr);
    std::u16string message(reinterpret_cast<const char16_t*>(text), length);
    while (!message.empty() && (message.back() == u'\n' || message.back() == u'\r'))
        message.pop_back();
    const std::string number = std::to_string(code);
    return message + u" (" + std::u16string(number.begin(), number.end()) + u")";
}
