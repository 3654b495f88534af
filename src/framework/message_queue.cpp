#include "framework/message_queue.h"

void MessageQueue::Push(QueuedItem item) {
    std::function<void()> onArrival;
    bool wake = false;
    {
        std::lock_guard lock(mutex_);
        items_.push_back(std::move(item));
        wake = readerSleeping_;
        readerSleeping_ = false;
        if (!readerTold_ && onArrival_) {
            readerTold_ = true;
            onArrival = onArrival_;
        }
    }
    if (wake)
        arrived_.notify_one();
    if (onArrival)
        onArrival();
}

void MessageQueue::Post(const MSG& message) {
    Push(QueuedItem{message, nullptr});
}

void MessageQueue::PostInvoke(std::function<void()> invoke) {
    Push(QueuedItem{MSG{}, std::move(invoke)});
}

QueuedItem MessageQueue::Get() {
    using Clock = std::chrono::steady_clock;
    std::unique_lock lock(mutex_);
    if (items_.empty()) {
        // Woken within this frame already: posts do not wake us again before it ends.
        while (items_.empty() && Clock::now() < frameEnd_)
            arrived_.wait_until(lock, frameEnd_);
        if (items_.empty()) {
            readerSleeping_ = true;
            arrived_.wait(lock, [this] { return !items_.empty(); });
            readerSleeping_ = false;
        }
        frameEnd_ = Clock::now() + kFrame;
    }
    QueuedItem item = std::move(items_.front());
    items_.pop_front();
    return item;
}

bool MessageQueue::Peek(QueuedItem* item) {
    std::lock_guard lock(mutex_);
    if (items_.empty()) {
        readerTold_ = false;
        return false;
    }
    *item = std::move(items_.front());
    items_.pop_front();
    return true;
}

void MessageQueue::SetArrivalHandler(std::function<void()> handler) {
    std::lock_guard lock(mutex_);
    onArrival_ = std::move(handler);
    readerTold_ = false;
}
