#include <system_error>
#include <thread>

#include "framework/native_thread.h"

NativeThread StartNativeThread(ThreadRecord* record) {
    try {
        return new std::thread(RunFrameworkThread, record);
    } catch (const std::system_error&) {
        return nullptr;
    }
}

void JoinNativeThread(NativeThread thread) {
    auto* native = static_cast<std::thread*>(thread);
    native->join();
    delete native;
}

void DetachNativeThread(NativeThread thread) {
    auto* native = static_cast<std::thread*>(thread);
    native->detach();
    delete native;
}
