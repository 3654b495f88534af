#include "framework/window_handles.h"

#include <mutex>
#include <unordered_map>

HWND g_hMainDialog = nullptr;

namespace {

struct Registry {
    std::mutex mutex;
    std::uintptr_t lastId = 0;
    std::unordered_map<HWND, std::shared_ptr<MessageQueue>> owners;
};

Registry& Windows() {
    static Registry registry;
    return registry;
}

}  // namespace

HWND CreateWindowHandle(std::shared_ptr<MessageQueue> ownerQueue) {
    Registry& windows = Windows();
    std::lock_guard lock(windows.mutex);
    const auto window = reinterpret_cast<HWND>(++windows.lastId);
    windows.owners.emplace(window, std::move(ownerQueue));
    return window;
}

void DestroyWindowHandle(HWND window) {
    Registry& windows = Windows();
    std::lock_guard lock(windows.mutex);
    windows.owners.erase(window);
}

BOOL IsWindow(HWND window) {
    Registry& windows = Windows();
    std::lock_guard lock(windows.mutex);
    return windows.owners.contains(window) ? TRUE : FALSE;
}

BOOL PostMessageW(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (window == nullptr)
        return FALSE;
    std::shared_ptr<MessageQueue> owner;
    {
        Registry& windows = Windows();
        std::lock_guard lock(windows.mutex);
        const auto found = windows.owners.find(window);
        if (found == windows.owners.end())
            return FALSE;
        owner = found->second;
    }
    owner->Post(MSG{window, message, wParam, lParam});
    return TRUE;
}
