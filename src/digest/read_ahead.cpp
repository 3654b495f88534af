#include "digest/read_ahead.h"

#include <system_error>

#include "digest/file_digest.h"
#include "digest/lane_hasher.h"

ReadAhead::ReadAhead(std::deque<PassItem>& items, const std::atomic<bool>& stopRequest, int helpers)
    : items_(items), stopRequest_(stopRequest) {
    for (int i = 0; i < helpers; ++i) {
        try {
            helpers_.emplace_back(&ReadAhead::Help, this);
        } catch (const std::system_error&) {
            break;
        }
    }
}

ReadAhead::~ReadAhead() {
    for (std::thread& helper : helpers_)
        helper.join();
}

PassItem* ReadAhead::Claim() {
    std::lock_guard lock(mutex_);
    // Items the walk found unopenable are settled already.
    while (claimed_ < items_.size() && items_[claimed_].outcome != PassItem::kPending)
        ++claimed_;
    if (claimed_ == items_.size())
        return nullptr;
    PassItem& item = items_[claimed_++];
    if (!stopRequest_.load(std::memory_order_relaxed))
        return &item;
    // The pass may be waiting for this very item: after a stop nobody will read it.
    item.outcome = PassItem::kUnfinished;
    const bool wake = &item == awaited_;
    if (wake)
        settled_.notify_one();
    return nullptr;
}

void ReadAhead::Settle(PassItem& item, PassItem::Outcome outcome) {
    bool wake = false;
    {
        std::lock_guard lock(mutex_);
        item.outcome = outcome;
        wake = &item == awaited_;
    }
    // Only the item the pass waits for wakes it: the others it finds settled as it comes to them.
    if (wake)
        settled_.notify_one();
}

void ReadAhead::Help() {
    LaneHasher lanes(Md5BestLaneEngine(), stopRequest_,
                     [this](PassItem& item, PassItem::Outcome outcome) { Settle(item, outcome); });
    for (;;) {
        while (lanes.HasFreeLane()) {
            PassItem* item = Claim();
            if (item == nullptr)
                break;
            lanes.Begin(*item);
        }
        if (lanes.Idle())
            return;
        lanes.Step();
    }
}

std::optional<std::u16string> ReadAhead::AwaitFront() {
    const PassItem& item = items_.front();
    PassItem::Outcome outcome = PassItem::kPending;
    {
        std::unique_lock lock(mutex_);
        awaited_ = &item;
        settled_.wait(lock, [&item] { return item.outcome != PassItem::kPending; });
        awaited_ = nullptr;
        outcome = item.outcome;
    }
    switch (outcome) {
        case PassItem::kDigested:
            return DigestText(item.digest);
        case PassItem::kFailed:
            return std::u16string();
        default:
            return std::nullopt;
    }
}

void ReadAhead::PopFront() {
    std::lock_guard lock(mutex_);
    items_.pop_front();
    if (claimed_ > 0)
        --claimed_;
}
