// The UI thread's message handling: its queue, and the way a retrieved item is handled.
#pragma once

#include <chrono>
#include <memory>

#include "framework/message_queue.h"

class CDialog;

// The queue of the calling thread, created on first use; windows created on a thread are owned
// by it.
std::shared_ptr<MessageQueue> AfxGetThreadQueue();

// A retrieved item: work from another thread runs; a message first passes the application's
// PreTranslateMessage and, unless that consumes it, goes to its window.
void AfxPumpItem(QueuedItem& item);

// How a backend with an event loop of its own hands its queue's items to the framework: all that
// came, at most once per display frame, since a run posts a count for every file and drawing each
// would cost more than the run.
class FramePacedDrain {
  public:
    explicit FramePacedDrain(MessageQueue& queue) : queue_(queue) {}

    // Pumps every queued item when a frame has passed since the last drain, and returns zero;
    // otherwise pumps nothing and returns how long the caller waits before it asks again.
    std::chrono::milliseconds DrainOrWait();

  private:
    MessageQueue& queue_;
    std::chrono::steady_clock::time_point lastDrain_;
};

// Sends the message to its window, if the window still exists. Keyboard and mouse input do not
// reach a disabled window.
void AfxDispatchMessage(const MSG& message);

// The modal loop of a backend that reads the queue itself. When stopWhenIdle is set, the loop
// also ends, with IDABORT, once the queue is empty and no framework thread is running: nothing
// can change the dialog any more.
void AfxRunQueueModalLoop(CDialog& dialog, bool stopWhenIdle);
