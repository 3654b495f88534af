// One helper's files in flight: up to one file per lane of the widest MD5 engine the processor
// runs, read in pieces of a fixed size and digested in step, so that memory stays bounded
// whatever the files' sizes.
#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <optional>

#include "digest/md5_lanes.h"
#include "digest/pass_item.h"
#include "platform/input_file_stream.h"

class LaneHasher {
  public:
    // Announces an item's outcome once its digest, if any, has been written.
    using Settler = std::function<void(PassItem& item, PassItem::Outcome outcome)>;

    LaneHasher(Md5LaneEngine engine, const std::atomic<bool>& stopRequest, Settler settle);
    ~LaneHasher();
    LaneHasher(const LaneHasher&) = delete;
    LaneHasher& operator=(const LaneHasher&) = delete;

    bool HasFreeLane() const { return busy_ < engineLanes_; }
    bool Idle() const { return busy_ == 0; }

    // Opens the item's file in a free lane; an item whose file cannot be opened is settled at once.
    void Begin(PassItem& item);
    // Reads and digests a piece of every busy lane's file and settles the files that end. After a
    // stop request every file in flight is left unfinished.
    void Step();

    // Bytes read ahead per lane at most.
    static constexpr std::size_t kPieceSize = 64 * 1024;

  private:
    struct Lane {
        PassItem* item = nullptr;
        std::optional<InputFileStream> file;
        Md5Context context{};
        std::uint8_t* buffer = nullptr;
        std::size_t begin = 0;  // the bytes not digested yet: buffer[begin, end)
        std::size_t end = 0;
    };

    // Reads until the lane holds a whole block or its file ends; false when the file ended or
    // failed, and the lane was settled and freed.
    bool Fill(Lane& lane);
    void Settle(Lane& lane, PassItem::Outcome outcome);

    const Md5LaneEngine engine_;
    const int engineLanes_;
    const std::atomic<bool>& stopRequest_;
    const Settler settle_;
    std::unique_ptr<std::uint8_t[]> memory_;
    static constexpr int kMostLanes = 8;
    Lane lanes_[kMostLanes];
    int busy_ = 0;
};
