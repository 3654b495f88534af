// Window handles and posting. A handle names a window and the queue of the thread that owns it;
// handles are never reused, so a handle of a destroyed window stays invalid for good.
#pragma once

#include <memory>

#include "framework/message_queue.h"
#include "framework/window_messages.h"

HWND CreateWindowHandle(std::shared_ptr<MessageQueue> ownerQueue);
void DestroyWindowHandle(HWND window);
BOOL IsWindow(HWND window);

// Queues the message for the window's owner and returns at once. FALSE, and nothing queued, for
// a null handle or one whose window no longer exists. Safe from any thread.
BOOL PostMessageW(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The handle of the main dialog window: null until the dialog initialises, then set once.
extern HWND g_hMainDialog;
