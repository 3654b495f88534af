// The files of a hashing pass with helpers, oldest first, and what has become of each: the reads
// claimed and delivered, the pieces read and not hashed yet, the hashing under way, the outcome.
// Reading threads (or the ring's thread) claim reads from it and hand back what they read;
// hashing threads take what has arrived and settle each file's outcome; the pass adds files at
// the back and files the oldest. One lock guards it all. It keeps the bounds of the policy: the
// bytes and files read ahead of the hashing, and the files open at once.
#pragma once

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "digest/lane_hasher.h"
#include "digest/pass_item.h"
#include "digest/place_order.h"
#include "digest/read_policy.h"

class PassQueue {
  public:
    PassQueue(const std::atomic<bool>& stopRequest, const ReadPolicy& policy);
    PassQueue(const PassQueue&) = delete;
    PassQueue& operator=(const PassQueue&) = delete;

    const ReadPolicy& Policy() const { return policy_; }

    // --- The pass's side ---
    // Takes a file in; one the walk found must not be opened is settled as failed at once.
    void Add(std::u16string&& path, bool unopenable);
    std::size_t Held() const { return items_.size(); }
    const PassItem& Front() const { return items_.front(); }
    PassItem::Outcome FrontOutcome();
    // Drops the oldest file, giving back its path to be filed.
    std::u16string PopFront();
    // Ends the helpers' work: waiting readers and hashers return, and claim nothing more.
    void End();
    // Whether the helpers are to end: End was called, a helper ran out of memory, or a stop came.
    bool Ending() const;
    bool OutOfMemory() const { return outOfMemory_; }
    // Runs a helper's body; its lack of memory ends the helpers as a stop does, and is kept for
    // the pass to throw.
    template <class Body>
    void RunHelper(Body body);

    // --- The readers' side ---
    std::unique_lock<std::mutex> Lock() { return std::unique_lock(mutex_); }
    // Up to `most` items for the calling reader to read next, now held for it: open files' next
    // pieces, then files to open. With `wait`, waits while the reads in flight, the memory bound
    // or the descriptors leave no room. Empty once the pass ends.
    void ClaimReads(std::unique_lock<std::mutex>& lock, std::vector<PassItem*>& batch, bool wait,
                    std::size_t most);
    // Without the lock: a reader is about to open a file it claimed.
    void Opening() { ++descriptorsHeld_; }
    // With the lock held: takes note of an open that succeeded or failed, and of where the file
    // lies. True when the reader is to go on with the file's first read now; a file that joins
    // the sweep waits for its turn in the order of places, and is claimed again then. With
    // `placeToAsk`, the placement lacks the file's place, and a file that joins the sweep waits
    // for it to be asked (TakeToPlace, Placed) first.
    bool Opened(PassItem& item, bool opened, bool outOfDescriptors,
                const FilePlacement& placement = {}, bool placeToAsk = false);
    // The bytes the item's next read is to ask for: a file that fits in a piece is read whole
    // (its size at the open and one byte more, so that the same read sees its end).
    std::size_t PieceWanted(const PassItem& item) const;
    // A buffer for a piece; the lock is held when the size is a whole piece.
    Piece NewPiece(std::size_t size);
    bool IsWholePiece(std::size_t size) const { return size == policy_.pieceSize; }
    // Whether a file just opened waits for its turn in the order of places: a file small enough
    // for one read on storage with a seek penalty whose bytes are not all in memory. A larger
    // one is read as on any storage, from its open on.
    bool JoinsSweep(std::uint64_t sizeAtOpen, const FilePlacement& placement) const {
        return placement.seekPenalty && !placement.inMemory && sizeAtOpen < policy_.pieceSize;
    }
    // Once open: the item joined the sweep (the placement of a file not open says nothing).
    bool InSweep(const PassItem& item) const { return JoinsSweep(item.sizeAtOpen, item.placement); }
    // With the lock held: hands a piece read to the hashers; true when the file is to be closed.
    bool Delivered(PassItem& item, Piece&& piece, bool failed, bool ended);
    // With the lock held: files were closed.
    void Closed(std::size_t files);
    // With the lock held: wakes a waiting reader if there is something for it to do.
    void WakeReader();
    // With the lock held: each file open for the reads that has not ended (a stop leaves some).
    template <class Visit>
    void ForEachOpen(Visit visit);

    // --- The side of the thread that asks files' places ---
    // Waits for files whose place is to be asked, and takes them all; empty once the pass ends.
    void TakeToPlace(std::unique_lock<std::mutex>& lock, std::vector<PassItem*>& batch);
    // With the lock held: the place of a file taken is known (or not told); it joins the sweep.
    void Placed(PassItem& item, std::optional<std::uint64_t> place);
    // Without the lock: the placing thread is to return, the pass's end or not.
    void EndPlacing();

    // --- The hashers' side ---
    // The next item with something to hash, oldest first. With `wait`, waits for one.
    PassItem* ClaimHash(bool wait);
    LaneHasher::Fetched Fetch(PassItem& item, Piece& piece);
    void Settle(PassItem& item, PassItem::Outcome outcome);

  private:
    // With the lock held: the oldest open file whose next piece is wanted and has room, and the
    // next file to open if there is room for it; null where there is none.
    PassItem* NextPieceWanted();
    PassItem* NextToOpen();
    // With the lock held: whether a reader may claim something now.
    bool MayClaim();
    // With the lock held: a group of files that wait for storage with a seek penalty is read once
    // it is full, or once no file that might join it is being opened or can be.
    void SealGroup();
    bool HasRoomFor(std::size_t bytes) const {
        return bytesAhead_ + bytes <= policy_.mostBytesAhead;
    }
    void Hold(PassItem& item);
    void Release(PassItem& item);
    // With the lock held: keeps room for the bytes of the item's next read.
    void Reserve(PassItem& item, std::size_t bytes);
    // Queues an item for the hashers; the lock is held.
    void MakeReady(PassItem& item);
    void LackOfMemory() { EndHelpers(true); }
    void EndHelpers(bool outOfMemory);

    const std::atomic<bool>& stopRequest_;
    const ReadPolicy policy_;
    // Guards the items' order (additions, claims and the oldest's removal), their reading and
    // hashing state and their outcomes; references to items stay valid through additions at the
    // back and removals at the front.
    std::mutex mutex_;
    std::condition_variable readable_;   // readers wait for an item and for room
    std::condition_variable hashable_;   // hashers wait for an item to hash
    std::condition_variable placeable_;  // the placing thread waits for files to place
    std::deque<PassItem> items_;
    std::size_t nextToOpen_ = 0;       // counted from the oldest item still held
    std::deque<PassItem*> openAgain_;  // opens that found no descriptor free, first in line
    std::vector<PassItem*> open_;      // open and read in pieces, oldest first
    // Open files that wait for storage with a seek penalty, read in the order of their places.
    PlaceOrder places_;
    std::vector<PassItem*> toPlace_;  // open, joining the sweep once their place is asked
    int placing_ = 0;                 // in toPlace_ or taken to be placed
    bool placingEnds_ = false;
    int held_ = 0;              // items held by readers: opens and reads in flight
    int opening_ = 0;           // opens claimed and not answered yet
    int descriptorsInUse_ = 0;  // open, or about to be opened by a reader
    // Files open, or being opened, for the reads: changed by reading threads without the lock.
    std::atomic<int> descriptorsHeld_ = 0;
    int mostDescriptors_ = 0;  // lowered when the system has no more to give
    int readersWaiting_ = 0;
    std::size_t filesClosed_ = 0;  // by the pass, so far
    std::size_t bytesAhead_ = 0;   // read (or reserved for a read) and not hashed
    std::size_t filesAhead_ = 0;   // opened and not settled
    std::deque<PassItem*> ready_;  // items with something to hash, for the hashers
    std::vector<Piece> spare_;     // buffers of a whole piece, kept for the next reads
    std::size_t spareBytes_ = 0;
    std::atomic<bool> ending_ = false;       // set under the lock, read without it too
    std::atomic<bool> outOfMemory_ = false;  // a helper could not get memory
};

template <class Visit>
void PassQueue::ForEachOpen(Visit visit) {
    for (PassItem* item : open_)
        visit(*item);
    for (PassItem* item : toPlace_)
        visit(*item);
    places_.ForEach(visit);
}

template <class Body>
void PassQueue::RunHelper(Body body) {
    try {
        body();
    } catch (const std::bad_alloc&) {
        LackOfMemory();
    }
}
