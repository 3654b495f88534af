// The files a hashing pass has taken from the collected table and not filed yet, oldest first.
// Helper threads, when there are any, read and digest them ahead of the pass, in the pass's order,
// so that every processor works while the pass files the results one by one in that order.
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
    // Starts up to `helpers` threads; none when no thread can be had, and the pass then digests
    // each file itself when it comes to it.
    ReadAhead(const std::atomic<bool>& stopRequest, int helpers);
    // Waits for the helpers, which end soon after a stop request.
    ~ReadAhead();
    ReadAhead(const ReadAhead&) = delete;
    ReadAhead& operator=(const ReadAhead&) = delete;

    // Takes a file in; one the walk found must not be opened is settled as failed at once.
    void Add(std::u16string&& path, bool unopenable);
    // No more files will come.
    void NoMore();
    std::size_t Held() const { return items_.size(); }

    // The oldest file's digest as FileDigest gives it: the digest text, the empty string when
    // there is none, nothing when a stop came first.
    std::optional<std::u16string> AwaitFront();
    // Drops the oldest file, giving back its path to be filed.
    std::u16string PopFront();

  private:
    void Help();
    // The next file nobody has taken, in order. With `wait`, waits for one to come; null when
    // none is left, none will come, or a stop came.
    PassItem* Claim(bool wait);
    void Settle(PassItem& item, PassItem::Outcome outcome);

    const std::atomic<bool>& stopRequest_;
    // Guards the items' order (additions, claims and the oldest's removal) and their outcomes;
    // references to items stay valid through additions at the back and removals at the front.
    std::mutex mutex_;
    std::condition_variable settled_;
    std::condition_variable added_;
    std::deque<PassItem> items_;
    std::size_t claimed_ = 0;            // items taken, counted from the oldest still held
    const PassItem* awaited_ = nullptr;  // the item the pass waits for, if it waits
    bool noMore_ = false;
    std::vector<std::thread> helpers_;
};
