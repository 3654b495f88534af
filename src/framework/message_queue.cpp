#include "framework/message_queue.h"

void MessageQueue::Post(const MSG& message) {
    std::function<void()> onArrival;
    {
        std::lock_guard lock(mutex_);
        messages_.push_back(message);
        onArrival = onArrival_;
    }
    arrived_.notify_one();
    if (onArrival)
        onArrival();
}

MSG MessageQueue::Get() {
    std::unique_lock lock(mutex_);
    arrived_.wait(lock, [this] { return !messages_.empty(); });
    const MSG message = messages_.front();
    messages_.pop_front();
    return message;
}

bool MessageQueue::Peek(MSG* message) {
    std::lock_guard lock(mutex_);
    if (messages_.empty())
        return false;
    *message = messages_.front();
    messages_.pop_front();
    return true;
}

void MessageQueue::SetArrivalHandler(std::function<void()> handler) {
    std::lock_guard lock(mutex_);
    onArrival_ = std::move(handler);
}
