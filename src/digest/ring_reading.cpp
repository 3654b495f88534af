#include "digest/ring_reading.h"

#include <mutex>
#include <vector>

namespace {

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
                case FileReadRing::Completion::Kind::kOpened:
                    if (queue.Ending()) {
                        // Nobody waits for the file any more.
                        closing.push_back(done.file);
                        break;
                    }
                    item.ringFile = done.file;
                    item.sizeAtOpen = done.size;
                    item.offset = 0;
                    if (queue.Opened(item, true, false, done.placement)) {
                        StartRead(queue, ring, item);
                        ++inFlight;
                    }
                    break;
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
    // A stop leaves files open that were to be read on.
    queue.ForEachOpen([&ring](PassItem& item) {
        if (item.ringFile >= 0)
            ring.Close(item.ringFile);
        item.ringFile = -1;
    });
}
