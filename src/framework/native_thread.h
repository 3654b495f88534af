// The system's own thread behind a framework thread object: a std::thread on Linux, a thread of
// _beginthreadex on Windows, so that the C runtime sets up and releases its per-thread state.
#pragma once

#include <cstdint>
#include <memory>

struct ThreadRecord;

using NativeThread = void*;

// Runs the framework thread of the record; the new thread calls it and ends with its result.
std::uint32_t RunFrameworkThread(ThreadRecord* record);

// Starts a thread that runs the record's framework thread; null when no thread can be created.
NativeThread StartNativeThread(ThreadRecord* record);
// Waits for the thread to end, then releases it.
void JoinNativeThread(NativeThread thread);
// Releases the thread, which ends by itself; a thread may release itself.
void DetachNativeThread(NativeThread thread);

// The object kept for the calling thread, null until KeepForThread; the thread lets it go when
// it ends. On Windows a thread_local with a destructor cannot keep it: MinGW-w64's emulated
// thread-local storage frees a thread's variables before it runs their destructors, which then
// read freed memory.
std::shared_ptr<void> ThreadKeptObject();
void KeepForThread(std::shared_ptr<void> object);
