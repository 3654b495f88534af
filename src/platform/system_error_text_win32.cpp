#include <windows.h>

#include <string>

#include "platform/system_error_text.h"

namespace {

// The system's own message for the code, in the user's language, with the code.
std::u16string OtherErrorText(int code) {
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

}  // namespace

std::u16string SystemErrorText(int code) {
    switch (code) {
        case ERROR_ACCESS_DENIED:
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION:
            return u"書き込みが許可されていません。";
        case ERROR_DISK_FULL:
        case ERROR_HANDLE_DISK_FULL:
            return u"ディスクの空き容量が足りません。";
        case ERROR_WRITE_PROTECT:
            return u"読み取り専用のファイルシステムです。";
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
            return u"書き込み先のフォルダがありません。";
        case ERROR_FILENAME_EXCED_RANGE:
            return u"ファイル名が長すぎます。";
        case ERROR_CRC:
        case ERROR_READ_FAULT:
        case ERROR_WRITE_FAULT:
        case ERROR_IO_DEVICE:
            return u"入出力エラーが発生しました。";
        default:
            return OtherErrorText(code);
    }
}

std::u16string ReadErrorText(int code) {
    switch (code) {
        case ERROR_ACCESS_DENIED:
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION:
            return u"読み取りが許可されていません。";
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_DIRECTORY:
            return u"見つかりません。";
        case ERROR_CRC:
        case ERROR_READ_FAULT:
        case ERROR_IO_DEVICE:
            return u"入出力エラーが発生しました。";
        default:
            return OtherErrorText(code);
    }
}
