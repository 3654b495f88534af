#include <system_error>
#include <thread>
#include <utility>

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

namespace {

thread_local std::shared_ptr<void> keptObject;

}  // namespace

std::shared_ptr<void> ThreadKeptObject() {
    return keptObject;
}

void KeepForThread(std::shared_ptr<void> object) {
    keptObject = std::move(object);
}
