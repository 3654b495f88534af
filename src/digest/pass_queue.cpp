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
    EndHelpers(false);
}

void PassQueue::EndHelpers(bool outOfMemory) {
    {
        std::lock_guard lock(mutex_);
        if (outOfMemory)
            outOfMemory_ = true;
        ending_ = true;
    }
    readable_.notify_all();
    hashable_.notify_all();
    placeable_.notify_all();
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

void PassQueue::Hold(PassItem& item) {
    item.readerHolds = true;
    ++held_;
}

void PassQueue::Release(PassItem& item) {
    item.readerHolds = false;
    --held_;
}

PassItem* PassQueue::NextPieceWanted() {
    const auto mayReadAhead = [this](const PassItem& item) {
        return HasRoomFor(PieceWanted(item)) &&
               item.pieces.size() - item.firstPiece <
                   static_cast<std::size_t>(policy_.piecesAheadPerFile);
    };
    for (PassItem* item : open_) {
        if (!item->readerHolds && mayReadAhead(*item))
            return item;
    }
    return places_.Next(mayReadAhead);
}

PassItem* PassQueue::NextToOpen() {
    if (!HasRoomFor(policy_.pieceSize) || filesAhead_ >= policy_.mostFilesAhead ||
        descriptorsInUse_ >= mostDescriptors_) {
        return nullptr;
    }
    if (!openAgain_.empty())
        return openAgain_.front();
    while (nextToOpen_ < items_.size() && items_[nextToOpen_].outcome != PassItem::kPending)
        ++nextToOpen_;
    return nextToOpen_ < items_.size() ? &items_[nextToOpen_] : nullptr;
}

void PassQueue::SealGroup() {
    const std::size_t grouped = places_.Grouped();
    if (grouped >= policy_.filesPerSweep ||
        // The disk is not left without reads while a group fills: once the sweep before it has
        // been asked for, a quarter of a group is enough.
        (grouped >= policy_.filesPerSweep / 4 && places_.AllAsked()) ||
        // Nothing more can join it now.
        (grouped > 0 && opening_ == 0 && placing_ == 0 && NextToOpen() == nullptr)) {
        places_.Seal();
    }
}

bool PassQueue::MayClaim() {
    SealGroup();
    return held_ < policy_.readsInFlight &&
           (NextPieceWanted() != nullptr || NextToOpen() != nullptr);
}

void PassQueue::WakeReader() {
    if (readersWaiting_ > 0 && MayClaim())
        readable_.notify_one();
}

void PassQueue::ClaimReads(std::unique_lock<std::mutex>& lock, std::vector<PassItem*>& batch,
                           bool wait, std::size_t most) {
    batch.clear();
    for (;;) {
        if (Ending())
            return;
        SealGroup();
        while (batch.size() < most && held_ < policy_.readsInFlight) {
            // The next piece of an open file first, the oldest first (or the next in the order
            // of places): its hashing may wait for it. Else a file not opened yet.
            if (PassItem* item = NextPieceWanted()) {
                if (InSweep(*item) && item->asked == 0)
                    places_.Began(*item);
                Hold(*item);
                const std::size_t want = PieceWanted(*item);
                item->asked += want;
                Reserve(*item, want);
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
            Hold(*item);
            item->closedBeforeOpen = filesClosed_;
            // Its size is not known before it is open: room for a whole piece until then.
            Reserve(*item, policy_.pieceSize);
            ++filesAhead_;
            ++descriptorsInUse_;
            ++opening_;
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
    if (IsWholePiece(size)) {
        const auto spare = std::find_if(spare_.begin(), spare_.end(), [size](const Piece& piece) {
            return piece.capacity == size;
        });
        if (spare != spare_.end()) {
            Piece piece = std::move(*spare);
            spare_.erase(spare);
            spareBytes_ -= size;
            return piece;
        }
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

bool PassQueue::Opened(PassItem& item, bool opened, bool outOfDescriptors,
                       const FilePlacement& placement, bool placeToAsk) {
    --opening_;
    if (opened) {
        item.reading = PassItem::Reading::kOpen;
        item.placement = placement;
        if (InSweep(item)) {
            Reserve(item, 0);
            Release(item);
            if (placeToAsk) {
                toPlace_.push_back(&item);
                ++placing_;
                placeable_.notify_one();
            } else {
                places_.Add(item);
            }
            return false;
        }
        open_.push_back(&item);
        const std::size_t want = PieceWanted(item);
        item.asked += want;
        Reserve(item, want);
        return true;
    }
    --descriptorsInUse_;
    Reserve(item, 0);
    Release(item);
    // This open holds no descriptor; the others counted do, or are about to.
    const int others = --descriptorsHeld_;
    // A file closed while the open was under way may have given back the descriptor it lacked.
    if (outOfDescriptors && (others > 0 || filesClosed_ != item.closedBeforeOpen)) {
        // Not the file's fault: it is opened again once a file now open is closed, and from now
        // on no more files are open at once than there are now.
        mostDescriptors_ = std::max(others, 1);
        --filesAhead_;
        openAgain_.push_back(&item);
        return false;
    }
    item.reading = PassItem::Reading::kFailed;
    if (!item.hashing)
        MakeReady(item);
    return false;
}

std::size_t PassQueue::PieceWanted(const PassItem& item) const {
    const std::size_t piece = policy_.pieceSize;
    if (!item.readBefore && item.sizeAtOpen < piece)
        return static_cast<std::size_t>(item.sizeAtOpen) + 1;
    return piece;
}

bool PassQueue::Delivered(PassItem& item, Piece&& piece, bool failed, bool ended) {
    Reserve(item, 0);
    Release(item);
    item.readBefore = true;
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
    if (failed || ended) {
        if (InSweep(item))
            places_.Ended(item);
        else
            open_.erase(std::find(open_.begin(), open_.end(), &item));
    }
    return failed || ended;
}

void PassQueue::Closed(std::size_t files) {
    descriptorsInUse_ -= static_cast<int>(files);
    descriptorsHeld_ -= static_cast<int>(files);
    filesClosed_ += files;
    WakeReader();
}

// --- Placing ------------------------------------------------------------------------------------

void PassQueue::TakeToPlace(std::unique_lock<std::mutex>& lock, std::vector<PassItem*>& batch) {
    batch.clear();
    while (!Ending() && !placingEnds_ && toPlace_.empty())
        placeable_.wait(lock);
    if (!Ending() && !placingEnds_)
        batch.swap(toPlace_);
}

void PassQueue::EndPlacing() {
    {
        std::lock_guard lock(mutex_);
        placingEnds_ = true;
    }
    placeable_.notify_all();
}

void PassQueue::Placed(PassItem& item, std::optional<std::uint64_t> place) {
    item.placement.firstPlace = place;
    --placing_;
    places_.Add(item);
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
        // Kept for the next reads, as much as may be read ahead at most.
        if (IsWholePiece(done.capacity) && spareBytes_ + done.capacity <= policy_.mostBytesAhead) {
            done.size = 0;
            spareBytes_ += done.capacity;
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
