#include "support/windows_files.h"

#include <windows.h>

#include <stdexcept>

namespace {

const wchar_t* Wide(const std::u16string& text) {
    return reinterpret_cast<const wchar_t*>(text.c_str());
}

void Check(bool ok, const char* what) {
    if (!ok)
        throw std::runtime_error(what + (" failed: " + std::to_string(GetLastError())));
}

}  // namespace

FileHeldOpen::FileHeldOpen(const std::u16string& path)
    : handle_(CreateFileW(Wide(path), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr)) {
    Check(handle_ != INVALID_HANDLE_VALUE, "CreateFileW");
}

FileHeldOpen::~FileHeldOpen() {
    CloseHandle(handle_);
}

void SetReadOnly(const std::u16string& path, bool readOnly) {
    Check(SetFileAttributesW(Wide(path),
                             readOnly ? FILE_ATTRIBUTE_READONLY : FILE_ATTRIBUTE_NORMAL) != 0,
          "SetFileAttributesW");
}

void WriteLongPathFile(const std::u16string& path, std::string_view bytes) {
    // The prefix lifts the limit of MAX_PATH for the calls made here.
    const std::u16string full = u"\\\\?\\" + path;
    for (std::size_t end = full.find(u'\\', 7); end != std::u16string::npos;
         end = full.find(u'\\', end + 1)) {
        CreateDirectoryW(Wide(full.substr(0, end)), nullptr);
    }
    const HANDLE file =
        CreateFileW(Wide(full), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    Check(file != INVALID_HANDLE_VALUE, "CreateFileW");
    DWORD wrote = 0;
    const bool ok =
        WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &wrote, nullptr);
    CloseHandle(file);
    Check(ok && wrote == bytes.size(), "WriteFile");
}
