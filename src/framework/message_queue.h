// The message queue of a UI thread: what is posted comes out in the order it went in.
//
// Posts wake a sleeping reader at once, but a reader that has just been woken is not woken again
// for every post during the next display frame: it takes what came meanwhile when the frame is
// over. A stream of posts (a run's progress counts) thus costs one wake-up per frame, not one per
// post, and nothing waits longer than a frame.
#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>

#include "framework/window_messages.h"

// A posted window message, or work that another thread hands to the queue's thread (user input
// from a test script, a wake-up); invoke is set for the latter.
struct QueuedItem {
    MSG message;
    std::function<void()> invoke;
};

class MessageQueue {
  public:
    // About one frame of a display.
    static constexpr std::chrono::milliseconds kFrame{15};

    // Safe from any thread; never waits for the thread that reads the queue.
    void Post(const MSG& message);
    void PostInvoke(std::function<void()> invoke);

    // Takes the oldest item, waiting for one to arrive.
    QueuedItem Get();

    // Takes the oldest item if there is one.
    bool Peek(QueuedItem* item);

    // For a reader that runs an event loop of its own instead of waiting in Get: called on the
    // posting thread when an item arrives and the reader has not been told yet since it last
    // found the queue empty. The reader then takes items with Peek until there is none.
    void SetArrivalHandler(std::function<void()> handler);

  private:
    void Push(QueuedItem item);

    std::mutex mutex_;
    std::condition_variable arrived_;
    std::deque<QueuedItem> items_;
    bool readerSleeping_ = false;  // in Get, waiting without a time limit
    bool readerTold_ = false;      // the arrival handler ran since the queue was last found empty
    std::chrono::steady_clock::time_point frameEnd_;
    std::function<void()> onArrival_;
};
