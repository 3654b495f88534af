#include <process.h>
#include <windows.h>

#include <system_error>
#include <utility>

#include "framework/native_thread.h"

namespace {

unsigned __stdcall ThreadEntry(void* record) {
    return RunFrameworkThread(static_cast<ThreadRecord*>(record));
}

using KeptObject = std::shared_ptr<void>;

// A fiber-local slot hands each thread's value to this function as the thread ends.
void WINAPI ReleaseKeptObject(void* kept) {
    delete static_cast<KeptObject*>(kept);
}

DWORD KeptObjectSlot() {
    static const DWORD slot = [] {
        const DWORD allocated = FlsAlloc(ReleaseKeptObject);
        if (allocated == FLS_OUT_OF_INDEXES)
            throw std::system_error(static_cast<int>(GetLastError()), std::system_category());
        return allocated;
    }();
    return slot;
}

}  // namespace

NativeThread StartNativeThread(ThreadRecord* record) {
    const std::uintptr_t thread = _beginthreadex(nullptr, 0, ThreadEntry, record, 0, nullptr);
    return reinterpret_cast<NativeThread>(thread);
}

void JoinNativeThread(NativeThread thread) {
    ::WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
}

void DetachNativeThread(NativeThread thread) {
    CloseHandle(thread);
}

std::shared_ptr<void> ThreadKeptObject() {
    const auto* kept = static_cast<const KeptObject*>(FlsGetValue(KeptObjectSlot()));
    return kept != nullptr ? *kept : nullptr;
}

void KeepForThread(std::shared_ptr<void> object) {
    const DWORD slot = KeptObjectSlot();
    auto kept = std::make_unique<KeptObject>(std::move(object));
    KeptObject* previous = static_cast<KeptObject*>(FlsGetValue(slot));
    if (FlsSetValue(slot, kept.get()) == FALSE)
        throw std::system_error(static_cast<int>(GetLastError()), std::system_category());
    kept.release();
    delete previous;
}
