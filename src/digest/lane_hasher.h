// One helper's files being hashed: up to one file per lane of the widest MD5 engine the processor
// runs, fed from the pieces read for them and digested in step. A file whose next piece has not
// been read yet leaves its lane (its digest so far stays with it) so that the lane serves a file
// that can go on.
#pragma once

#include <atomic>
#include <functional>

#include "digest/md5_lanes.h"
#include "digest/pass_item.h"

class LaneHasher {
  public:
    enum class Fetched { kPiece, kEnded, kFailed, kNotYet };
    // Takes back the piece that the lane has hashed and puts the item's next one in its place, or
    // tells why there is none: the file ended, its reading failed, or the piece is not read yet
    // (the item is then no longer held by this hasher).
    using Fetcher = std::function<Fetched(PassItem& item, Piece& piece)>;
    // Announces an item's outcome once its digest, if any, has been written.
    using Settler = std::function<void(PassItem& item, PassItem::Outcome outcome)>;

    LaneHasher(Md5LaneEngine engine, const std::atomic<bool>& stopRequest, Fetcher fetch,
               Settler settle);
    ~LaneHasher();
    LaneHasher(const LaneHasher&) = delete;
    LaneHasher& operator=(const LaneHasher&) = delete;

    bool HasFreeLane() const { return busy_ < engineLanes_; }
    bool Idle() const { return busy_ == 0; }

    // Takes the item into a free lane; its digest goes on from where its last hasher left it.
    void Begin(PassItem& item);
    // Digests what every busy lane holds, in step where enough lanes hold whole blocks, and
    // settles the files that end. After a stop request every file in a lane is left unfinished.
    void Step();

  private:
    struct Lane {
        PassItem* item = nullptr;
        Piece piece;
        std::size_t offset = 0;  // the bytes not digested yet: piece.bytes[offset, piece.size)
    };

    // Brings the lane's next piece when it has none left; false when the lane was freed.
    bool Fill(Lane& lane);
    void Free(Lane& lane);

    const Md5LaneEngine engine_;
    const int engineLanes_;
    const std::atomic<bool>& stopRequest_;
    const Fetcher fetch_;
    const Settler settle_;
    static constexpr int kMostLanes = 8;
    Lane lanes_[kMostLanes];
    int busy_ = 0;
};
