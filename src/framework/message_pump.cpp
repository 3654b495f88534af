#include "framework/message_pump.h"

#include "framework/dialog.h"
#include "framework/native_thread.h"
#include "framework/win_app.h"

std::shared_ptr<MessageQueue> AfxGetThreadQueue() {
    std::shared_ptr<void> queue = ThreadKeptObject();
    if (queue == nullptr) {
        queue = std::make_shared<MessageQueue>();
        KeepForThread(queue);
    }
    return std::static_pointer_cast<MessageQueue>(queue);
}

namespace {

bool IsUserInput(UINT message) {
    const bool keyboard = message >= WM_KEYDOWN && message <= WM_SYSCHAR;
    const bool mouse = message >= 0x0200 && message <= 0x020E;
    return keyboard || mouse;
}

}  // namespace

void AfxDispatchMessage(const MSG& message) {
    CWnd* window = CWnd::FromHandlePermanent(message.hwnd);
    if (window == nullptr)
        return;
    // A dialog that has ended handles nothing more, whatever its backend's loop still delivers:
    // a late notification of a stopped run must not write a list.
    const CWnd* owner = window->GetParent() != nullptr ? window->GetParent() : window;
    if (const auto* dialog = dynamic_cast<const CDialog*>(owner);
        dialog != nullptr && dialog->HasEnded())
        return;
    // Input does not reach a disabled window, nor the controls of a disabled dialog (one that
    // has a message box open).
    if (IsUserInput(message.message)) {
        const CWnd* parent = window->GetParent();
        if (!window->IsWindowEnabled() || (parent != nullptr && !parent->IsWindowEnabled()))
            return;
    }
    window->WindowProc(message.message, message.wParam, message.lParam);
}

void AfxPumpItem(QueuedItem& item) {
    if (item.invoke) {
        item.invoke();
        return;
    }
    CWinApp* app = AfxGetApp();
    if (app != nullptr && app->PreTranslateMessage(&item.message))
        return;
    AfxDispatchMessage(item.message);
}

void AfxRunQueueModalLoop(CDialog& dialog, bool stopWhenIdle) {
    const std::shared_ptr<MessageQueue> queue = AfxGetThreadQueue();
    while (!dialog.HasEnded()) {
        QueuedItem item;
        if (!queue->Peek(&item)) {
            // Threads post before they end, so an empty queue after the last one has ended
            // stays empty.
            if (!stopWhenIdle || AfxRunningThreadCount() != 0) {
                item = queue->Get();
            } else if (!queue->Peek(&item)) {
                dialog.EndDialog(IDABORT);
                return;
            }
        }
        AfxPumpItem(item);
    }
}

std::chrono::milliseconds FramePacedDrain::DrainOrWait() {
    const auto now = std::chrono::steady_clock::now();
    const auto frameLeft =
        std::chrono::ceil<std::chrono::milliseconds>(lastDrain_ + MessageQueue::kFrame - now);
    if (frameLeft.count() > 0)
        return frameLeft;
    lastDrain_ = now;
    QueuedItem item;
    while (queue_.Peek(&item))
        AfxPumpItem(item);
    return std::chrono::milliseconds::zero();
}
