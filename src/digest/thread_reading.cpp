#include "digest/thread_reading.h"

#include <memory>
#include <mutex>
#include <vector>

#include "platform/input_file_stream.h"

namespace {

// A few files are claimed at once, and handed over together: a reader that took one file at a
// time would be woken, and would wake the hashers, once per file.
constexpr std::size_t kFilesPerClaim = 4;

// What a reading thread found of an item it holds: whether it opened the file now (the file is
// then the item's), the piece it read, and how the reading ended.
struct ThreadRead {
    PassItem* item = nullptr;
    bool opening = false;
    bool outOfDescriptors = false;
    FilePlacement placement;
    Piece piece;
    bool failed = false;
    bool ended = false;
};

// Opens the item's file if it is not open yet, and reads its next piece, without the lock.
ThreadRead ReadPiece(PassQueue& queue, PassItem& item) {
    ThreadRead read;
    read.item = &item;
    if (item.reading != PassItem::Reading::kOpen) {
        // The walk found a regular file at each path it did not mark unopenable.
        queue.Opening();
        auto file =
            std::make_unique<InputFileStream>(item.path, InputFileStream::TypeCheck::AfterOpen);
        read.opening = true;
        if (file->fail()) {
            read.outOfDescriptors = file->OutOfDescriptors();
            return read;
        }
        item.sizeAtOpen = file->SizeAtOpen();
        read.placement = file->Placement();
        item.file = std::move(file);
        // A small file that must wait for a disk that seeks is read when its turn in the order
        // of places comes.
        if (queue.JoinsSweep(item.sizeAtOpen, read.placement))
            return read;
    }
    InputFileStream& file = *item.file;
    const std::size_t want = queue.PieceWanted(item);
    if (queue.IsWholePiece(want)) {
        const auto lock = queue.Lock();
        read.piece = queue.NewPiece(want);
    } else {
        read.piece = queue.NewPiece(want);
    }
    Piece& piece = read.piece;
    while (piece.size < want && !file.AtEnd() && !queue.Ending()) {
        const std::size_t more = file.ReadSome(piece.bytes.get() + piece.size, want - piece.size);
        if (more == 0)
            break;
        piece.size += more;
    }
    read.failed = file.bad();
    read.ended = file.AtEnd() && !read.failed;
    return read;
}

}  // namespace

void ReadOnThisThread(PassQueue& queue) {
    std::vector<PassItem*> batch;
    std::vector<ThreadRead> reads;
    std::vector<std::unique_ptr<InputFileStream>> closing;
    auto lock = queue.Lock();
    for (;;) {
        queue.ClaimReads(lock, batch, true, kFilesPerClaim);
        if (batch.empty())
            return;
        // The disk is asked for the files of the sweep in the order of places, as they are
        // claimed: the readers' own reads would reach it in whatever order the threads run.
        for (const PassItem* item : batch) {
            if (item->file != nullptr && queue.InSweep(*item))
                item->file->StartReading();
        }
        lock.unlock();
        // This reader holds the items: their reading state changes only here.
        reads.clear();
        for (PassItem* item : batch)
            reads.push_back(ReadPiece(queue, *item));
        lock.lock();
        for (ThreadRead& read : reads) {
            PassItem& item = *read.item;
            if (read.opening &&
                !queue.Opened(item, item.file != nullptr, read.outOfDescriptors, read.placement)) {
                continue;
            }
            // Once delivered, the item may be hashed, filed and gone at any moment.
            if (queue.Delivered(item, std::move(read.piece), read.failed, read.ended))
                closing.push_back(std::move(item.file));
        }
        if (!closing.empty()) {
            const std::size_t files = closing.size();
            lock.unlock();
            closing.clear();
            lock.lock();
            queue.Closed(files);
        }
        queue.WakeReader();
    }
}
