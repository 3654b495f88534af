// The UI thread's message handling: its queue, and the way a retrieved item is handled.
#pragma once

#include <memory>

#include "framework/message_queue.h"

class CDialog;

// The queue of the calling thread, created on first use; windows created on a thread are owned
// by it.
std::shared_ptr<MessageQueue> AfxGetThreadQueue();

// A retrieved item: work from another thread runs; a message first passes the application's
// PreTranslateMessage and, unless that consumes it, goes to its window.
void AfxPumpItem(QueuedItem& item);

// Sends the message to its window, if the window still exists. Keyboard and mouse input do not
// reach a disabled window.
void AfxDispatchMessage(const MSG& message);

// The modal loop of a backend that reads the queue itself. When stopWhenIdle is set, the loop
// also ends, with IDABORT, once the queue is empty and no framework thread is running: nothing
// can change the dialog any more.
void AfxRunQueueModalLoop(CDialog& dialog, bool stopWhenIdle);
