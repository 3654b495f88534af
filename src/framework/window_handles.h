// Window handles and posting. A handle names a window, the queue of the thread that owns it and,
// for the framework's own windows, the window object; handles are never reused, so a handle of a
// destroyed window stays invalid for good.
#pragma once

#include <memory>

#include "framework/message_queue.h"
#include "framework/window_messages.h"

class CWnd;

// A new handle whose messages go to the owner queue; the window object may be null.
HWND CreateWindowHandle(std::shared_ptr<MessageQueue> ownerQueue, CWnd* window = nullptr);
void DestroyWindowHandle(HWND window);
BOOL IsWindow(HWND window);
// The window object of a live handle, or null.
CWnd* WindowObjectOf(HWND window);

// Queues the message for the window's owner and returns at once. FALSE, and nothing queued, for
// a null handle or one whose window no longer exists. Safe from any thread.
BOOL PostMessageW(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The handle of the main dialog window: null until the dialog initialises, then set once.
extern HWND g_hMainDialog;
