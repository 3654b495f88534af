// The files a hashing pass has taken from the collected table and not filed yet, oldest first.
// With helpers, reading threads open and read them ahead of the pass, many at once, and hashing
// threads digest what has arrived, several files at once in the lanes of the MD5 engine; the pass
// files the results one by one in its own order, so the list and the counts are those of digesting
// one file after the other.
#pragma once

#include <atomic>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "digest/lane_hasher.h"
#include "digest/pass_item.h"
#include "digest/read_policy.h"
#include "platform/file_read_ring.h"

class ReadAhead {
  public:
    // Starts up to `hashers` hashing threads and, with them, the reading threads the policy asks
    // for; none when no thread can be had, and the pass then digests each file itself when it
    // comes to it.
    ReadAhead(const std::atomic<bool>& stopRequest, int hashers, const ReadPolicy& policy);
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
    // there is none, nothing when a stop came first. Throws std::bad_alloc when a helper ran out
    // of memory, as the pass's own thread would.
    std::optional<std::u16string> AwaitFront();
    // Drops the oldest file, giving back its path to be filed.
    std::u16string PopFront();

  private:
    void StartHelpers(int hashers);
    bool Ending() const;

    // A reading thread: opens the files in order and reads their pieces, one at a time.
    void Read();
    // The thread that reads through the ring, many requests in flight.
    void ReadThroughRing(FileReadRing& ring);
    // Up to `most` items for the calling reader to read next, now held for it: open files'
    // next pieces, then files to open. With `wait`, waits while the memory bound or the
    // descriptors leave no room. Empty once the pass ends.
    void ClaimReads(std::unique_lock<std::mutex>& lock, std::vector<PassItem*>& batch, bool wait,
                    std::size_t most);
    // With the lock held: the oldest open file whose next piece is wanted and has room, and the
    // next file to open if there is room for it; null where there is none.
    PassItem* NextPieceWanted();
    PassItem* NextToOpen();
    // With the lock held: wakes a waiting reader if there is something for it to do.
    void WakeReader();
    // With the lock held: takes note of an open that succeeded or failed; false when the file is
    // not open.
    bool Opened(PassItem& item, bool opened, bool outOfDescriptors);
    std::size_t PieceWanted(const PassItem& item, bool first) const;
    // With the lock held: keeps room for the bytes of the item's next read.
    void Reserve(PassItem& item, std::size_t bytes);
    // A buffer for a piece; the lock is held when the size is a whole piece.
    Piece NewPiece(std::size_t size);
    // What a reading thread found of an item it holds: whether it opened the file now (the file
    // is then the item's), the piece it read, and how the reading ended.
    struct ThreadRead {
        PassItem* item = nullptr;
        bool opening = false;
        bool outOfDescriptors = false;
        Piece piece;
        bool failed = false;
        bool ended = false;
    };
    ThreadRead ReadOnThisThread(PassItem& item);
    void StartRingRead(FileReadRing& ring, PassItem& item, bool first);
    // With the lock held: hands a piece read to the hashers; true when the file is to be closed.
    bool Delivered(PassItem& item, Piece&& piece, bool failed, bool ended);
    // With the lock held: files were closed.
    void Closed(std::size_t files);

    // A hashing thread.
    void Hash();
    // Runs a helper's body; its lack of memory ends the helpers as a stop does, and is kept for
    // the pass to throw.
    template <class Body>
    void KeepingLackOfMemory(Body body);
    // The next item with something to hash, oldest first. With `wait`, waits for one.
    PassItem* ClaimHash(bool wait);
    LaneHasher::Fetched Fetch(PassItem& item, Piece& piece);
    void Settle(PassItem& item, PassItem::Outcome outcome);
    // Queues an item for the hashers; the lock is held.
    void MakeReady(PassItem& item);

    static constexpr std::size_t kFilesPerClaim = 4;
    static constexpr int kMostReadingThreads = 32;

    const std::atomic<bool>& stopRequest_;
    const ReadPolicy policy_;
    // Guards the items' order (additions, claims and the oldest's removal), their reading and
    // hashing state and their outcomes; references to items stay valid through additions at the
    // back and removals at the front.
    std::mutex mutex_;
    std::condition_variable readable_;  // readers wait for an item and for room
    std::condition_variable hashable_;  // hashers wait for an item to hash
    std::deque<PassItem> items_;
    std::size_t nextToOpen_ = 0;       // counted from the oldest item still held
    std::deque<PassItem*> openAgain_;  // opens that found no descriptor free, first in line
    std::vector<PassItem*> open_;      // open and read in pieces, oldest first
    int descriptorsInUse_ = 0;         // open, or about to be opened by a reader
    // Files open, or being opened, for the reads: changed by reading threads without the lock.
    std::atomic<int> descriptorsHeld_ = 0;
    int mostDescriptors_ = 0;  // lowered when the system has no more to give
    int readersWaiting_ = 0;
    std::size_t filesClosed_ = 0;  // by the pass, so far
    std::size_t bytesAhead_ = 0;   // read (or reserved for a read) and not hashed
    std::size_t filesAhead_ = 0;   // opened and not settled
    std::deque<PassItem*> ready_;  // items with something to hash, for the hashers
    std::vector<Piece> spare_;     // buffers of a whole piece, kept for the next reads
    bool noMore_ = false;
    std::atomic<bool> ending_ = false;       // set under the lock, read without it too
    std::atomic<bool> outOfMemory_ = false;  // a helper could not get memory
    std::unique_ptr<FileReadRing> ring_;
    std::vector<std::thread> hashers_;
    std::vector<std::thread> readers_;
};
