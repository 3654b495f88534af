#include <process.h>
#include <windows.h>

#include "framework/native_thread.h"

namespace {

unsigned __stdcall ThreadEntry(void* record) {
    return RunFrameworkThread(static_cast<ThreadRecord*>(record));
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
