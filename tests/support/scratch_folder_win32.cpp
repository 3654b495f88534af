#include <windows.h>

#include <stdexcept>

#include "platform/path_text.h"
#include "support/scratch_folder.h"

namespace fs = std::filesystem;

ScratchFolder::ScratchFolder() {
    wchar_t base[MAX_PATH + 1] = {};
    const DWORD length = GetTempPathW(MAX_PATH + 1, base);
    for (unsigned attempt = 0;; ++attempt) {
        const std::wstring path = std::wstring(base, length) + L"hashwick-test-" +
                                  std::to_wstring(GetCurrentProcessId()) + L"-" +
                                  std::to_wstring(GetTickCount()) + L"-" + std::to_wstring(attempt);
        if (CreateDirectoryW(path.c_str(), nullptr) != 0) {
            root_ = *WideToNative(reinterpret_cast<const char16_t*>(path.c_str()));
            return;
        }
        if (GetLastError() != ERROR_ALREADY_EXISTS || attempt > 100)
            throw std::runtime_error("no scratch folder");
    }
}

fs::path ScratchFolder::Native(std::string_view relative) const {
    const std::u16string wide = Wide(relative);
    return std::wstring(wide.begin(), wide.end());
}

std::string ScratchFolder::MakeSlowWalk(int levels) const {
    for (int folder = 0; folder < 5 * levels; ++folder)
        MakeFolder("slow/" + std::to_string(folder));
    WriteFile("slow/bottom", "");
    return Path("slow");
}

void ScratchFolder::RemoveRemains() const {}
