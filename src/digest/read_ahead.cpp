#include "digest/read_ahead.h"

#include <system_error>

#include "digest/file_digest.h"
#include "digest/lane_hasher.h"

ReadAhead::ReadAhead(const std::atomic<bool>& stopRequest, int helpers)
    : stopRequest_(stopRequest) {
    for (int i = 0; i < helpers; ++i) {
        try {
            helpers_.emplace_back(&ReadAhead::Help, this);
        } catch (const std::system_error&) {
            break;
        }
    }
}

ReadAhead::~ReadAhead() {
    NoMore();
    for (std::thread& helper : helpers_)
        helper.join();
}

void ReadAhead::Add(std::u16string&& path, bool unopenable) {
    {
        std::lock_guard lock(mutex_);
        PassItem& item = items_.emplace_back(std::move(path));
        if (unopenable)
            item.outcome = PassItem::kFailed;
    }
    added_.notify_one();
}

void ReadAhead::NoMore() {
    {
        std::lock_guard lock(mutex_);
        noMore_ = true;
    }
    added_.notify_all();
}

PassItem* ReadAhead::Claim(bool wait) {
    std::unique_lock lock(mutex_);
    for (;;) {
        // Items the walk found unopenable are settled already.
        while (claimed_ < items_.size() && items_[claimed_].outcome != PassItem::kPending)
            ++claimed_;
        const bool stopped = stopRequest_.load(std::memory_order_relaxed);
        if (claimed_ < items_.size()) {
            PassItem& item = items_[claimed_++];
            if (!stopped)
                return &item;
            // The pass may be waiting for this very item: after a stop nobody will read it.
            item.outcome = PassItem::kUnfinished;
            if (&item == awaited_)
                settled_.notify_one();
            return nullptr;
        }
        if (!wait || noMore_ || stopped)
            return nullptr;
        added_.wait(lock);
    }
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
            PassItem* item = Claim(lanes.Idle());
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
    if (helpers_.empty()) {
        if (item.outcome == PassItem::kFailed)
            return std::u16string();
        return FileDigest(item.path.c_str(), stopRequest_);
    }
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

std::u16string ReadAhead::PopFront() {
    std::lock_guard lock(mutex_);
    std::u16string path = std::move(items_.front().path);
    items_.pop_front();
    if (claimed_ > 0)
        --claimed_;
    return path;
}
