// Helper threads that digest a pass's files ahead of it, in the pass's order, so that every
// processor works while the pass files the results one by one in that order.
#pragma once

#include <atomic>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "digest/pass_item.h"

class ReadAhead {
  public:
    // Starts up to `helpers` threads on the items; none when no thread can be had.
    ReadAhead(std::deque<PassItem>& items, const std::atomic<bool>& stopRequest, int helpers);
    // Waits for the helpers, which end soon after a stop request.
    ~ReadAhead();
    ReadAhead(const ReadAhead&) = delete;
    ReadAhead& operator=(const ReadAhead&) = delete;

    bool Started() const { return !helpers_.empty(); }

    // The oldest item's digest as FileDigest gives it, once a helper has read it: the digest
    // text, the empty string when there is none, nothing when a stop came first.
    std::optional<std::u16string> AwaitFront();
    // Drops the oldest item, which the pass has filed.
    void PopFront();

  private:
    void Help();
    // The next item nobody has taken, in order; null when there is none or a stop came.
    PassItem* Claim();
    void Settle(PassItem& item, PassItem::Outcome outcome);

    std::deque<PassItem>& items_;
    const std::atomic<bool>& stopRequest_;
    // Guards the items' order (the claims and the oldest's removal) and their outcomes.
    std::mutex mutex_;
    std::condition_variable settled_;
    std::size_t claimed_ = 0;            // items taken, counted from the oldest still held
    const PassItem* awaited_ = nullptr;  // the item the pass waits for, if it waits
    std::vector<std::thread> helpers_;
};
