#include "framework/message_queue.h"

void MessageQueue::Push(QueuedItem item) {
    std::function<void()> onArrival;
    {
        std::lock_guard lock(mutex_);
        items_.push_back(std::move(item));
        onArrival = onArrival_;
    }
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
    std::unique_lock lock(mutex_);
    arrived_.wait(lock, [this] { return !items_.empty(); });
    QueuedItem item = std::move(items_.front());
    items_.pop_front();
    return item;
}

bool MessageQueue::Peek(QueuedItem* item) {
    std::lock_guard lock(mutex_);
    if (items_.empty())
        return false;
    *item = std::move(items_.front());
    items_.pop_front();
    return true;
}

void MessageQueue::SetArrivalHandler(std::function<void()> handler) {
    std::lock_guard lock(mutex_);
    onArrival_ = std::move(handler);
}
