#include "digest/pass_queue.h"

#include <algorithm>
#include <new>

PassQueue::PassQueue(const std::atomic<bool>& stopRequest, const ReadPolicy& policy)
    : stopRequest_(stopRequest),
      policy_(policy),
      mostDescriptors_(std::max(policy.readsInFlight, 1)) {}

bool PassQueue::Ending() const {
    return ending_.load(std::memory_order_relaxed) || stopRequest_.load(std::memory_order_relaxed);
}

void PassQueue::End() {
    {
        std::lock_guard lock(mutex_);
        noMore_ = true;
        ending_ = true;
    }
    readable_.notify_all();
    hashable_.notify_all();
}

void PassQueue::LackOfMemory() {
    {
        std::lock_guard lock(mutex_);
        outOfMemory_ = true;
        ending_ = true;
    }
    readable_.notify_all();
    hashable_.notify_all();
}

void PassQueue::Add(std::u16string&& path, bool unopenable) {
    {
        std::lock_guard lock(mutex_);
        PassItem& item = items_.emplace_back(std::move(path));
        if (unopenable)
            item.outcome = PassItem::kFailed;
    }
    readable_.notify_one();
}

void PassQueue::NoMore() {
    {
        std::lock_guard lock(mutex_);
        noMore_ = true;
    }
    readable_.notify_all();
}

PassItem::Outcome PassQueue::FrontOutcome() {
    std::lock_guard lock(mutex_);
    return items_.front().outcome;
}

std::u16string PassQueue::PopFront() {
    std::lock_guard lock(mutex_);
    std::u16string path = std::move(items_.front().path);
    items_.pop_front();
    if (nextToOpen_ > 0)
        --nextToOpen_;
    return path;
}

// --- Reading ------------------------------------------------------------------------------------

PassItem* PassQueue::NextPieceWanted() {
    if (bytesAhead_ + policy_.pieceSize > policy_.mostBytesAhead)
        return nullptr;
    for (PassItem* item : open_) {
        if (!item->readerHolds && item->pieces.size() - item->firstPiece <
                                      static_cast<std::size_t>(policy_.piecesAheadPerFile)) {
            return item;
        }
    }
    return nullptr;
}

PassItem* PassQueue::NextToOpen() {
    if (bytesAhead_ + policy_.pieceSize > policy_.mostBytesAhead ||
        filesAhead_ >= policy_.mostFilesAhead || descriptorsInUse_ >= mostDescriptors_) {
        return nullptr;
    }
    if (!openAgain_.empty())
        return openAgain_.front();
    while (nextToOpen_ < items_.size() && items_[nextToOpen_].outcome != PassItem::kPending)
        ++nextToOpen_;
    return nextToOpen_ < items_.size() ? &items_[nextToOpen_] : nullptr;
}

void PassQueue::WakeReader() {
    if (readersWaiting_ > 0 && (NextPieceWanted() != nullptr || NextToOpen() != nullptr))
        readable_.notify_one();
}

void PassQueue::ClaimReads(std::unique_lock<std::mutex>& lock, std::vector<PassItem*>& batch,
                           bool wait, std::size_t most) {
    batch.clear();
    for (;;) {
        if (Ending())
            return;
        while (batch.size() < most) {
            // The next piece of an open file first, the oldest first: its hashing may wait for
            // it. Else a file not opened yet.
            if (PassItem* item = NextPieceWanted()) {
                item->readerHolds = true;
                Reserve(*item, PieceWanted(*item, false));
                batch.push_back(item);
                continue;
            }
            PassItem* item = NextToOpen();
            if (item == nullptr)
                break;
            if (!openAgain_.empty())
                openAgain_.pop_front();
            else
                ++nextToOpen_;
            item->readerHolds = true;
            // Its size is not known before it is open: room for a whole piece until then.
            Reserve(*item, policy_.pieceSize);
            ++filesAhead_;
            ++descriptorsInUse_;
            batch.push_back(item);
        }
        if (!batch.empty() || !wait)
            break;
        ++readersWaiting_;
        readable_.wait(lock);
        --readersWaiting_;
    }
    // More to do than this reader takes: another one may take it.
    WakeReader();
}

Piece PassQueue::NewPiece(std::size_t size) {
    if (size == policy_.pieceSize && !spare_.empty()) {
        Piece piece = std::move(spare_.back());
        spare_.pop_back();
        return piece;
    }
    Piece piece;
    piece.bytes = std::make_unique_for_overwrite<std::uint8_t[]>(std::max<std::size_t>(size, 1));
    piece.capacity = size;
    return piece;
}

void PassQueue::Reserve(PassItem& item, std::size_t bytes) {
    bytesAhead_ -= item.reserved;
    item.reserved = bytes;
    bytesAhead_ += bytes;
}

bool PassQueue::Opened(PassItem& item, bool opened, bool outOfDescriptors) {
    if (opened) {
        item.reading = PassItem::Reading::kOpen;
        open_.push_back(&item);
        Reserve(item, PieceWanted(item, true));
        return true;
    }
    --descriptorsInUse_;
    Reserve(item, 0);
    item.readerHolds = false;
    // This open holds no descriptor; the others counted do, or are about to.
    const int others = --descriptorsHeld_;
    if (outOfDescriptors && others > 0) {
        // Not the file's fault: it is opened again once a file now open is closed, and from now
        // on no more files are open at once than there are now.
        mostDescriptors_ = others;
        --filesAhead_;
        openAgain_.push_back(&item);
        return false;
    }
    item.reading = PassItem::Reading::kFailed;
    if (!item.hashing)
        MakeReady(item);
    return false;
}

std::size_t PassQueue::PieceWanted(const PassItem& item, bool first) const {
    // A file that fits is read whole, with one byte more so that the same read sees its end.
    if (first && item.sizeAtOpen < policy_.pieceSize)
        return static_cast<std::size_t>(item.sizeAtOpen) + 1;
    return policy_.pieceSize;
}

bool PassQueue::Delivered(PassItem& item, Piece&& piece, bool failed, bool ended) {
    Reserve(item, 0);
    item.readerHolds = false;
    if (failed) {
        item.reading = PassItem::Reading::kFailed;
    } else {
        if (piece.size > 0) {
            bytesAhead_ += piece.size;
            item.pieces.push_back(std::move(piece));
        }
        if (ended)
            item.reading = PassItem::Reading::kEnded;
    }
    if (!item.hashing && (failed || ended || !item.pieces.empty()))
        MakeReady(item);
    if (failed || ended)
        open_.erase(std::find(open_.begin(), open_.end(), &item));
    return failed || ended;
}

void PassQueue::Closed(std::size_t files) {
    descriptorsInUse_ -= static_cast<int>(files);
    descriptorsHeld_ -= static_cast<int>(files);
    WakeReader();
}

// --- Hashing ------------------------------------------------------------------------------------

void PassQueue::MakeReady(PassItem& item) {
    item.hashing = true;
    ready_.push_back(&item);
    hashable_.notify_one();
}

PassItem* PassQueue::ClaimHash(bool wait) {
    std::unique_lock lock(mutex_);
    for (;;) {
        if (Ending())
            return nullptr;
        if (!ready_.empty()) {
            PassItem* item = ready_.front();
            ready_.pop_front();
            return item;
        }
        if (!wait)
            return nullptr;
        hashable_.wait(lock);
    }
}

LaneHasher::Fetched PassQueue::Fetch(PassItem& item, Piece& piece) {
    Piece done = std::move(piece);
    piece = Piece{};
    LaneHasher::Fetched fetched = LaneHasher::Fetched::kNotYet;
    {
        std::lock_guard lock(mutex_);
        bytesAhead_ -= done.size;
        if (done.capacity == policy_.pieceSize &&
            spare_.size() < static_cast<std::size_t>(policy_.readsInFlight)) {
            done.size = 0;
            spare_.push_back(std::move(done));
        }
        if (item.reading == PassItem::Reading::kFailed) {
            fetched = LaneHasher::Fetched::kFailed;
        } else if (item.firstPiece < item.pieces.size()) {
            piece = std::move(item.pieces[item.firstPiece++]);
            if (item.firstPiece == item.pieces.size()) {
                item.pieces.clear();
                item.firstPiece = 0;
            }
            fetched = LaneHasher::Fetched::kPiece;
        } else if (item.reading == PassItem::Reading::kEnded) {
            fetched = LaneHasher::Fetched::kEnded;
        } else {
            item.hashing = false;
        }
        // Room for this file's next piece, or for another file.
        WakeReader();
    }
    return fetched;
}

void PassQueue::Settle(PassItem& item, PassItem::Outcome outcome) {
    std::vector<Piece> dropped;
    std::lock_guard lock(mutex_);
    for (std::size_t i = item.firstPiece; i < item.pieces.size(); ++i)
        bytesAhead_ -= item.pieces[i].size;
    dropped = std::move(item.pieces);
    item.firstPiece = 0;
    item.hashing = false;
    item.outcome = outcome;
    if (item.reading != PassItem::Reading::kNotOpened)
        --filesAhead_;
    WakeReader();
}
