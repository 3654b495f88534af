// A request to stop, made from another thread (the stop signals' watcher) while lists are read,
// matched or reported on. The long loops of that work look at it often, so that a stop is seen
// within milliseconds, and leave by throwing StopRequested: whatever they made is undone on the
// way out, and a report's new file goes with it.
#pragma once

#include <atomic>

struct StopRequested {};

inline void ThrowIfStopped(const std::atomic<bool>& stop) {
    if (stop.load(std::memory_order_relaxed))
        throw StopRequested{};
}
