#include "digest/ring_reading.h"

#include <mutex>
#include <optional>
#include <system_error>
#include <thread>
#include <vector>

namespace {

// Thread that asks where the files of the sweep lie, ended and joined when it goes out of scope.
class Placer {
  public:
    explicit Placer(PassQueue& queue) : queue_(queue) {}
    Placer(const Placer&) = delete;
    Placer& operator=(const Placer&) = delete;
    ~Placer() { End(); }
    bool Started() const { return thread_.joinable(); }
    // False where no thread can be had.
    bool Start(const FileReadRing& ring);
    // Without the queue's lock.
    void End() {
        if (thread_.joinable()) {
            queue_.EndPlacing();
            thread_.join();
        }
    }

  private:
    PassQueue& queue_;
    std::thread thread_;
};

// Asks where the files of the sweep lie, off the ring's thread: the question takes a while for
// each file, and the ring's thread is what keeps the disk busy.
void PlaceFiles(PassQueue& queue, const FileReadRing& ring) {
    std::vector<PassItem*> batch;
    std::vector<int> files;
    std::vector<std::optional<std::uint64_t>> places;
    auto lock = queue.Lock();
    for (;;) {
        queue.TakeToPlace(lock, batch);
        if (batch.empty())
            return;
        files.clear();
        for (const PassItem* item : batch)
            files.push_back(item->ringFile);
        lock.unlock();
        // The ring's thread closes none of them before they are placed.
        places.clear();
        for (const int file : files)
            places.push_back(ring.FirstPlace(file));
        lock.lock();
        for (std::size_t i = 0; i < batch.size(); ++i)
            queue.Placed(*batch[i], places[i]);
    }
}

bool Placer::Start(const FileReadRing& ring) {
    try {
        thread_ = std::thread(
            [this, &ring] { queue_.RunHelper([this, &ring] { PlaceFiles(queue_, ring); }); });
        return true;
    } catch (const std::system_error&) {
        return false;
    }
}

void StartRead(PassQueue& queue, FileReadRing& ring, PassItem& item) {
    item.want = queue.PieceWanted(item);
    item.piece = queue.NewPiece(item.want);
    ring.Read(&item, item.ringFile, item.piece.bytes.get(), item.want, item.offset);
}

}  // namespace

void ReadThroughRing(PassQueue& queue, FileReadRing& ring) {
    std::vector<PassItem*> batch;
    std::vector<FileReadRing::Completion> completions;
    std::vector<int> closing;
    std::size_t inFlight = 0;
    const auto depth = static_cast<std::size_t>(queue.Policy().readsInFlight);
    // Started with the first file whose place is to be asked; where no thread can be had, this
    // thread asks.
    Placer placer(queue);
    bool placeHere = false;
    auto lock = queue.Lock();
    for (;;) {
        // As many requests in flight as the queue lets have, each item held for this thread.
        if (inFlight < depth) {
            queue.ClaimReads(lock, batch, inFlight == 0, depth - inFlight);
            for (PassItem* item : batch) {
                if (item->reading == PassItem::Reading::kOpen) {
                    StartRead(queue, ring, *item);
                } else {
                    queue.Opening();
                    ring.Open(item, item->path);
                }
                ++inFlight;
            }
        }
        if (inFlight == 0)
            break;
        lock.unlock();
        completions.clear();
        ring.Wait(completions);
        // What has come is handed over together: the hashers are woken once for it.
        lock.lock();
        for (const FileReadRing::Completion& done : completions) {
            PassItem& item = *static_cast<PassItem*>(done.tag);
            --inFlight;
            switch (done.kind) {
                case FileReadRing::Completion::Kind::kOpened: {
                    if (queue.Ending()) {
                        // Nobody waits for the file any more.
                        closing.push_back(done.file);
                        break;
                    }
                    item.ringFile = done.file;
                    item.sizeAtOpen = done.size;
                    item.offset = 0;
                    FilePlacement placement = done.placement;
                    bool placeToAsk = queue.JoinsSweep(done.size, placement);
                    if (placeToAsk && !placer.Started() && !placeHere)
                        placeHere = !placer.Start(ring);
                    if (placeToAsk && placeHere) {
                        placement.firstPlace = ring.FirstPlace(done.file);
                        placeToAsk = false;
                    }
                    if (queue.Opened(item, true, false, placement, placeToAsk)) {
                        StartRead(queue, ring, item);
                        ++inFlight;
                    }
                    break;
                }
                case FileReadRing::Completion::Kind::kOpenFailed:
                    queue.Opened(item, false, done.outOfDescriptors);
                    break;
                case FileReadRing::Completion::Kind::kRead: {
                    item.piece.size += done.bytes;
                    item.offset += done.bytes;
                    // A read that stops short before the size the file had is read on.
                    const bool ended =
                        !done.failed && (done.bytes == 0 || (item.piece.size < item.want &&
                                                             item.offset >= item.sizeAtOpen));
                    if (!done.failed && !ended && item.piece.size < item.want && !queue.Ending()) {
                        ring.Read(&item, item.ringFile, item.piece.bytes.get() + item.piece.size,
                                  item.want - item.piece.size, item.offset);
                        ++inFlight;
                        break;
                    }
                    // Once delivered, the item may be hashed, filed and gone at any moment.
                    Piece piece = std::move(item.piece);
                    item.piece = Piece{};
                    const int file = item.ringFile;
                    if (queue.Delivered(item, std::move(piece), done.failed, ended))
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
            queue.Closed(closing.size());
            closing.clear();
        }
    }
    lock.unlock();
    placer.End();
    lock.lock();
    // A stop leaves files open that were to be read on.
    queue.ForEachOpen([&ring](PassItem& item) {
        if (item.ringFile >= 0)
            ring.Close(item.ringFile);
        item.ringFile = -1;
    });
}
