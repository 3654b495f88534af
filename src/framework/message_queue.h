// The message queue of a UI thread: posted messages come out in the order they went in.
#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>

#include "framework/window_messages.h"

class MessageQueue {
  public:
    // Safe from any thread; never waits for the thread that reads the queue.
    void Post(const MSG& message);

    // Takes the oldest message, waiting for one to arrive.
    MSG Get();

    // Takes the oldest message if there is one.
    bool Peek(MSG* message);

    // Called after every post, on the posting thread: lets an event loop that is not waiting in
    // Get learn that there is something to take.
    void SetArrivalHandler(std::function<void()> handler);

  private:
    std::mutex mutex_;
    std::condition_variable arrived_;
    std::deque<MSG> messages_;
    std::function<void()> onArrival_;
};
