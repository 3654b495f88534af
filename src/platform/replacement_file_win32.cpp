#include <windows.h>

#include <atomic>
#include <optional>
#include <string>

#include "platform/replacement_file.h"

namespace {

const wchar_t* Wide(const std::u16string& path) {
    return reinterpret_cast<const wchar_t*>(path.c_str());
}

std::u16string Number(unsigned long value) {
    const std::string digits = std::to_string(value);
    return {digits.begin(), digits.end()};
}

// A name beside the target that no one else uses: with the process and a counter.
std::u16string TemporaryName(const std::u16string& target, unsigned attempt) {
    static std::atomic<unsigned> counter{0};
    const std::size_t separator = target.find_last_of(u"\\/:");
    const std::size_t nameStart = separator == std::u16string::npos ? 0 : separator + 1;
    return target.substr(0, nameStart) + u"." + target.substr(nameStart) + u"." +
           Number(GetCurrentProcessId()) + u"-" + Number(counter++) + u"-" + Number(attempt) +
           u".tmp";
}

// What keeps the new file out, if anything does: an earlier read-only file of the name, which
// the replacing move would not respect on every file system, or a folder.
std::optional<SystemErrorKind> InTheWay(const std::u16string& target) {
    const DWORD attributes = GetFileAttributesW(Wide(target));
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return std::nullopt;
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
        return SystemErrorKind::kFolderInTheWay;
    if ((attributes & FILE_ATTRIBUTE_READONLY) != 0)
        return SystemErrorKind::kReadOnlyFileInTheWay;
    return std::nullopt;
}

}  // namespace

ReplacementFile::ReplacementFile(std::u16string_view path)
    : target_(path), handle_(INVALID_HANDLE_VALUE) {
    if (target_.empty() || target_.find(u'\0') != std::u16string::npos) {
        Fail(ERROR_FILE_NOT_FOUND);
        return;
    }
    for (unsigned attempt = 0; handle_ == INVALID_HANDLE_VALUE; ++attempt) {
        temporary_ = TemporaryName(target_, attempt);
        handle_ = CreateFileW(Wide(temporary_), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
        const DWORD error = GetLastError();
        if (handle_ == INVALID_HANDLE_VALUE && (error != ERROR_FILE_EXISTS || attempt > 100)) {
            temporary_.clear();
            Fail(static_cast<int>(error));
            return;
        }
    }
    // Known before anything is written; checked again before the move.
    if (const std::optional<SystemErrorKind> obstacle = InTheWay(target_))
        Fail(*obstacle);
}

ReplacementFile::~ReplacementFile() {
    if (handle_ != INVALID_HANDLE_VALUE)
        CloseHandle(handle_);
    if (!committed_ && !temporary_.empty())
        DeleteFileW(Wide(temporary_));
}

bool ReplacementFile::Write(std::string_view bytes) {
    if (Failed())
        return false;
    while (!bytes.empty()) {
        const auto asked = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 30));
        DWORD wrote = 0;
        if (WriteFile(handle_, bytes.data(), asked, &wrote, nullptr) == 0)
            return Fail(static_cast<int>(GetLastError()));
        bytes.remove_prefix(wrote);
    }
    return true;
}

bool ReplacementFile::Seal() {
    if (Failed())
        return false;
    if (sealed_)
        return true;
    // The data must be on the disk before the name points at it, or a crash could leave an
    // empty list where the old one was.
    if (FlushFileBuffers(handle_) == 0)
        return Fail(static_cast<int>(GetLastError()));
    const HANDLE handle = handle_;
    handle_ = INVALID_HANDLE_VALUE;
    if (CloseHandle(handle) == 0)
        return Fail(static_cast<int>(GetLastError()));
    sealed_ = true;
    return true;
}

bool ReplacementFile::Commit() {
    if (!Seal())
        return false;
    if (const std::optional<SystemErrorKind> obstacle = InTheWay(target_))
        return Fail(*obstacle);
    if (MoveFileExW(Wide(temporary_), Wide(target_),
                    MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) == 0) {
        return Fail(static_cast<int>(GetLastError()));
    }
    committed_ = true;
    return true;
}
