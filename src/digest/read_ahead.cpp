#include "digest/read_ahead.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <new>
#include <string_view>
#include <system_error>

#include "digest/digest_hex.h"
#include "digest/file_digest.h"

namespace {

// How long the pass waits before it looks at the oldest file again (and at the stop request).
constexpr auto kFilingPause = std::chrono::milliseconds(1);

// The system's ring for many reads in flight, unless HASHWICK_IO_URING=0 asks for reading
// threads, which also serve where the system has no ring.
std::unique_ptr<FileReadRing> RingUnlessRefused(int depth) {
    if (const char* asked = std::getenv("HASHWICK_IO_URING");
        asked != nullptr && std::string_view(asked) == "0") {
        return nullptr;
    }
    return FileReadRing::Create(static_cast<unsigned>(std::max(depth, 1)));
}

}  // namespace

ReadAhead::ReadAhead(const std::atomic<bool>& stopRequest, int hashers, const ReadPolicy& policy)
    : stopRequest_(stopRequest),
      policy_(policy),
      mostDescriptors_(std::max(policy.readsInFlight, 1)) {
    StartHelpers(hashers);
}

template <class Body>
void ReadAhead::KeepingLackOfMemory(Body body) {
    try {
        body();
    } catch (const std::bad_alloc&) {
        {
            std::lock_guard lock(mutex_);
            outOfMemory_ = true;
            ending_ = true;
        }
        readable_.notify_all();
        hashable_.notify_all();
    }
}

void ReadAhead::StartHelpers(int hashers) {
    for (int i = 0; i < hashers; ++i) {
        try {
            hashers_.emplace_back([this] { KeepingLackOfMemory([this] { Hash(); }); });
        } catch (const std::system_error&) {
            break;
        }
    }
    if (hashers_.empty())
        return;
    ring_ = RingUnlessRefused(policy_.readsInFlight);
    try {
        if (ring_) {
            readers_.emplace_back([this, &ring = *ring_] {
                KeepingLackOfMemory([this, &ring] { ReadThroughRing(ring); });
            });
        } else {
            // Each thread has one request in flight; past a few dozen, threads cost more in
            // memory and switches than further requests bring.
            for (int i = 0; i < std::min(policy_.readsInFlight, kMostReadingThreads); ++i)
                readers_.emplace_back([this] { KeepingLackOfMemory([this] { Read(); }); });
        }
    } catch (const std::system_error&) {
        // As many readers as could be had.
    }
    if (!readers_.empty())
        return;
    // Hashers without a reader would wait for ever: the pass digests the files itself.
    {
        std::lock_guard lock(mutex_);
        ending_ = true;
    }
    hashable_.notify_all();
    for (std::thread& hasher : hashers_)
        hasher.join();
    hashers_.clear();
    ending_ = false;
}

ReadAhead::~ReadAhead() {
    {
        std::lock_guard lock(mutex_);
        noMore_ = true;
        ending_ = true;
    }
    readable_.notify_all();
    hashable_.notify_all();
    for (std::thread& reader : readers_)
        reader.join();
    for (std::thread& hasher : hashers_)
        hasher.join();
}

bool ReadAhead::Ending() const {
    return ending_.load(std::memory_order_relaxed) || stopRequest_.load(std::memory_order_relaxed);
}

void ReadAhead::Add(std::u16string&& path, bool unopenable) {
    {
        std::lock_guard lock(mutex_);
        PassItem& item = items_.emplace_back(std::move(path));
        if (unopenable)
            item.outcome = PassItem::kFailed;
    }
    readable_.notify_one();
}

void ReadAhead::NoMore() {
    {
        std::lock_guard lock(mutex_);
        noMore_ = true;
    }
    readable_.notify_all();
}

// --- Reading ------------------------------------------------------------------------------------

PassItem* ReadAhead::NextPieceWanted() {
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

PassItem* ReadAhead::NextToOpen() {
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

void ReadAhead::WakeReader() {
    if (readersWaiting_ > 0 && (NextPieceWanted() != nullptr || NextToOpen() != nullptr))
        readable_.notify_one();
}

void ReadAhead::ClaimReads(std::unique_lock<std::mutex>& lock, std::vector<PassItem*>& batch,
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
            item->closedBeforeOpen = filesClosed_;
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

Piece ReadAhead::NewPiece(std::size_t size) {
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

void ReadAhead::Reserve(PassItem& item, std::size_t bytes) {
    bytesAhead_ -= item.reserved;
    item.reserved = bytes;
    bytesAhead_ += bytes;
}

bool ReadAhead::Opened(PassItem& item, bool opened, bool outOfDescriptors) {
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

std::size_t ReadAhead::PieceWanted(const PassItem& item, bool first) const {
    // A file that fits is read whole, with one byte more so that the same read sees its end.
    if (first && item.sizeAtOpen < policy_.pieceSize)
        return static_cast<std::size_t>(item.sizeAtOpen) + 1;
    return policy_.pieceSize;
}

bool ReadAhead::Delivered(PassItem& item, Piece&& piece, bool failed, bool ended) {
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

void ReadAhead::Closed(std::size_t files) {
    descriptorsInUse_ -= static_cast<int>(files);
    descriptorsHeld_ -= static_cast<int>(files);
    filesClosed_ += files;
    WakeReader();
}

ReadAhead::ThreadRead ReadAhead::ReadOnThisThread(PassItem& item) {
    ThreadRead read;
    read.item = &item;
    if (item.reading != PassItem::Reading::kOpen) {
        // The walk found a regular file at each path it did not mark unopenable.
        ++descriptorsHeld_;
        auto file =
            std::make_unique<InputFileStream>(item.path, InputFileStream::TypeCheck::AfterOpen);
        read.opening = true;
        if (file->fail()) {
            read.outOfDescriptors = file->OutOfDescriptors();
            return read;
        }
        item.sizeAtOpen = file->SizeAtOpen();
        item.file = std::move(file);
    }
    InputFileStream& file = *item.file;
    const std::size_t want = PieceWanted(item, read.opening);
    if (want == policy_.pieceSize) {
        std::lock_guard lock(mutex_);
        read.piece = NewPiece(want);
    } else {
        read.piece = NewPiece(want);
    }
    Piece& piece = read.piece;
    while (piece.size < want && !file.AtEnd() && !Ending()) {
        const std::size_t more = file.ReadSome(piece.bytes.get() + piece.size, want - piece.size);
        if (more == 0)
            break;
        piece.size += more;
    }
    read.failed = file.bad();
    read.ended = file.AtEnd() && !read.failed;
    return read;
}

void ReadAhead::Read() {
    std::vector<PassItem*> batch;
    std::vector<ThreadRead> reads;
    std::vector<std::unique_ptr<InputFileStream>> closing;
    std::unique_lock lock(mutex_);
    for (;;) {
        // A few at once, and handed over together: a reader that took one file at a time would
        // be woken, and would wake the hashers, once per file.
        ClaimReads(lock, batch, true, kFilesPerClaim);
        if (batch.empty())
            return;
        lock.unlock();
        // This reader holds the items: their reading state changes only here.
        reads.clear();
        for (PassItem* item : batch)
            reads.push_back(ReadOnThisThread(*item));
        lock.lock();
        for (ThreadRead& read : reads) {
            PassItem& item = *read.item;
            if (read.opening && !Opened(item, item.file != nullptr, read.outOfDescriptors))
                continue;
            // Once delivered, the item may be hashed, filed and gone at any moment.
            if (Delivered(item, std::move(read.piece), read.failed, read.ended))
                closing.push_back(std::move(item.file));
        }
        if (!closing.empty()) {
            const std::size_t files = closing.size();
            lock.unlock();
            closing.clear();
            lock.lock();
            Closed(files);
        }
        WakeReader();
    }
}

void ReadAhead::StartRingRead(FileReadRing& ring, PassItem& item, bool first) {
    item.want = PieceWanted(item, first);
    item.piece = NewPiece(item.want);
    ring.Read(&item, item.ringFile, item.piece.bytes.get(), item.want, item.offset);
}

void ReadAhead::ReadThroughRing(FileReadRing& ring) {
    std::vector<PassItem*> batch;
    std::vector<FileReadRing::Completion> completions;
    std::vector<int> closing;
    std::size_t inFlight = 0;
    const auto depth = static_cast<std::size_t>(policy_.readsInFlight);
    std::unique_lock lock(mutex_);
    for (;;) {
        // As many requests in flight as the policy asks, each item held for this thread.
        if (inFlight < depth) {
            ClaimReads(lock, batch, inFlight == 0, depth - inFlight);
            for (PassItem* item : batch) {
                if (item->reading == PassItem::Reading::kOpen) {
                    StartRingRead(ring, *item, false);
                } else {
                    ++descriptorsHeld_;
                    ring.Open(item, item->path);
                }
                ++inFlight;
            }
        }
        if (inFlight == 0)
            return;
        lock.unlock();
        completions.clear();
        ring.Wait(completions);
        // What has come is handed over together: the hashers are woken once for it.
        lock.lock();
        for (const FileReadRing::Completion& done : completions) {
            PassItem& item = *static_cast<PassItem*>(done.tag);
            --inFlight;
            switch (done.kind) {
                case FileReadRing::Completion::Kind::kOpened:
                    if (Ending()) {
                        // Nobody waits for the file any more.
                        closing.push_back(done.file);
                        break;
                    }
                    item.ringFile = done.file;
                    item.sizeAtOpen = done.size;
                    item.offset = 0;
                    Opened(item, true, false);
                    StartRingRead(ring, item, true);
                    ++inFlight;
                    break;
                case FileReadRing::Completion::Kind::kOpenFailed:
                    Opened(item, false, done.outOfDescriptors);
                    break;
                case FileReadRing::Completion::Kind::kRead: {
                    item.piece.size += done.bytes;
                    item.offset += done.bytes;
                    // A read that stops short before the size the file had is read on.
                    const bool ended =
                        !done.failed && (done.bytes == 0 || (item.piece.size < item.want &&
                                                             item.offset >= item.sizeAtOpen));
                    if (!done.failed && !ended && item.piece.size < item.want && !Ending()) {
                        ring.Read(&item, item.ringFile, item.piece.bytes.get() + item.piece.size,
                                  item.want - item.piece.size, item.offset);
                        ++inFlight;
                        break;
                    }
                    // Once delivered, the item may be hashed, filed and gone at any moment.
                    Piece piece = std::move(item.piece);
                    item.piece = Piece{};
                    const int file = item.ringFile;
                    if (Delivered(item, std::move(piece), done.failed, ended))
                        closing.push_back(file);
                    break;
                }
            }
        }
        if (!closing.empty()) {
            lock.unlock();
            for (const int file : closing)
                ring.Close(file);
            lock.lock();
            Closed(closing.size());
            closing.clear();
        }
    }
}

// --- Hashing ------------------------------------------------------------------------------------

void ReadAhead::MakeReady(PassItem& item) {
    item.hashing = true;
    ready_.push_back(&item);
    hashable_.notify_one();
}

PassItem* ReadAhead::ClaimHash(bool wait) {
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

LaneHasher::Fetched ReadAhead::Fetch(PassItem& item, Piece& piece) {
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

void ReadAhead::Settle(PassItem& item, PassItem::Outcome outcome) {
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

void ReadAhead::Hash() {
    LaneHasher lanes(
        Md5BestLaneEngine(), stopRequest_,
        [this](PassItem& item, Piece& piece) { return Fetch(item, piece); },
        [this](PassItem& item, PassItem::Outcome outcome) { Settle(item, outcome); });
    for (;;) {
        while (lanes.HasFreeLane()) {
            PassItem* item = ClaimHash(lanes.Idle());
            if (item == nullptr)
                break;
            lanes.Begin(*item);
        }
        if (lanes.Idle())
            return;
        lanes.Step();
    }
}

// --- The pass's side -----------------------------------------------------------------------------

std::optional<std::u16string> ReadAhead::AwaitFront() {
    const PassItem& item = items_.front();
    if (hashers_.empty()) {
        if (item.outcome == PassItem::kFailed)
            return std::u16string();
        return FileDigest(item.path.c_str(), stopRequest_);
    }
    // The pass files results far faster than they come: it looks for the oldest now and then
    // rather than being woken for each, which would cost a switch of threads per file.
    PassItem::Outcome outcome = PassItem::kPending;
    for (;;) {
        {
            std::lock_guard lock(mutex_);
            outcome = item.outcome;
        }
        if (outcome != PassItem::kPending || stopRequest_.load(std::memory_order_relaxed) ||
            outOfMemory_) {
            break;
        }
        std::this_thread::sleep_for(kFilingPause);
    }
    if (outOfMemory_)
        throw std::bad_alloc();
    switch (outcome) {
        case PassItem::kDigested:
            return DigestHex<char16_t>(item.digest);
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
    if (nextToOpen_ > 0)
        --nextToOpen_;
    return path;
}
