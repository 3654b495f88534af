#include "framework/window_handles.h"

#include <mutex>
#include <unordered_map>

HWND g_hMainDialog = nullptr;

namespace {

struct LiveWindow {
    std::shared_ptr<MessageQueue> owner;
    CWnd* object = nullptr;
};

struct Registry {
    std::mutex mutex;
    std::uintptr_t lastId = 0;
    std::unordered_map<HWND, LiveWindow> windows;
};

Registry& Windows() {
    static Registry registry;
    return registry;
}

}  // namespace

HWND CreateWindowHandle(std::shared_ptr<MessageQueue> ownerQueue, CWnd* window) {
    Registry& windows = Windows();
    std::lock_guard lock(windows.mutex);
    const auto handle = reinterpret_cast<HWND>(++windows.lastId);
    windows.windows.emplace(handle, LiveWindow{std::move(ownerQueue), window});
    return handle;
}

void DestroyWindowHandle(HWND window) {
    Registry& windows = Windows();
    std::lock_guard lock(windows.mutex);
    windows.windows.erase(window);
}

BOOL IsWindow(HWND window) {
    Registry& windows = Windows();
    std::lock_guard lock(windows.mutex);
    return windows.windows.contains(window) ? TRUE : FALSE;
}

CWnd* WindowObjectOf(HWND window) {
    Registry& windows = Windows();
    std::lock_guard lock(windows.mutex);
    const auto found = windows.windows.find(window);
    return found == windows.windows.end() ? nullptr : found->second.object;
}

BOOL PostMessageW(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (window == nullptr)
        return FALSE;
    std::shared_ptr<MessageQueue> owner;
    {
        Registry& windows = Windows();
        std::lock_guard lock(windows.mutex);
        const auto found = windows.windows.find(window);
        if (found == windows.windows.end())
            return FALSE;
        owner = found->second.owner;
    }
    owner->Post(MSG{window, message, wParam, lParam});
    return TRUE;
}
