// The message queue of a UI thread: what is posted comes out in the order it went in.
#pragma once

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
    // Safe from any thread; never waits for the thread that reads the queue.
    void Post(const MSG& message);
    void PostInvoke(std::function<void()> invoke);

    // Takes the oldest item, waiting for one to arrive.
    QueuedItem Get();

    // Takes the oldest item if there is one.
    bool Peek(QueuedItem* item);

    // Called after every post, on the posting thread: lets an event loop that is not waiting in
    // Get learn that there is something to take.
    void SetArrivalHandler(std::function<void()> handler);

  private:
    void Push(QueuedItem item);

    std::mutex mutex_;
    std::condition_variable arrived_;
    std::deque<QueuedItem> items_;
    std::function<void()> onArrival_;
};
