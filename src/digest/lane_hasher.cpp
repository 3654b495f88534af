#include "digest/lane_hasher.h"

#include <algorithm>
#include <cstring>

namespace {

// With fewer files than this in flight the one-stream engine digests them faster, one after
// the other, than the lanes would with most of them empty.
constexpr int kFilesWorthTheLanes = 3;

constexpr std::size_t kBlock = 64;

}  // namespace

LaneHasher::LaneHasher(Md5LaneEngine engine, const std::atomic<bool>& stopRequest, Settler settle)
    : engine_(engine),
      engineLanes_(std::min(Md5LaneCount(engine), kMostLanes)),
      stopRequest_(stopRequest),
      settle_(std::move(settle)),
      memory_(std::make_unique_for_overwrite<std::uint8_t[]>(
          kPieceSize * static_cast<std::size_t>(engineLanes_))) {
    for (int i = 0; i < engineLanes_; ++i)
        lanes_[i].buffer = memory_.get() + kPieceSize * static_cast<std::size_t>(i);
}

LaneHasher::~LaneHasher() {
    for (Lane& lane : lanes_) {
        if (lane.item != nullptr)
            Settle(lane, PassItem::kUnfinished);
    }
}

void LaneHasher::Begin(PassItem& item) {
    Lane& lane = *std::find_if(lanes_, lanes_ + engineLanes_,
                               [](const Lane& each) { return each.item == nullptr; });
    lane.item = &item;
    ++busy_;
    // The walk found a regular file at each path it did not mark unopenable.
    lane.file.emplace(item.path, InputFileStream::TypeCheck::AfterOpen);
    if (lane.file->fail()) {
        Settle(lane, PassItem::kFailed);
        return;
    }
    Md5Init(lane.context);
    lane.begin = 0;
    lane.end = 0;
}

void LaneHasher::Settle(Lane& lane, PassItem::Outcome outcome) {
    PassItem& item = *lane.item;
    lane.item = nullptr;
    lane.file.reset();
    --busy_;
    settle_(item, outcome);
}

bool LaneHasher::Fill(Lane& lane) {
    for (;;) {
        const std::size_t held = lane.end - lane.begin;
        if (held >= kBlock)
            return true;
        if (lane.file->eof()) {
            Md5Update(lane.context, lane.buffer + lane.begin, static_cast<std::int32_t>(held));
            Md5Final(lane.context, lane.item->digest.data());
            Settle(lane, PassItem::kDigested);
            return false;
        }
        std::memmove(lane.buffer, lane.buffer + lane.begin, held);
        lane.begin = 0;
        lane.end = held;
        const std::size_t got = lane.file->ReadSome(lane.buffer + held, kPieceSize - held);
        if (got == 0 && lane.file->bad()) {
            Settle(lane, PassItem::kFailed);
            return false;
        }
        lane.end += got;
    }
}

void LaneHasher::Step() {
    if (stopRequest_.load(std::memory_order_relaxed)) {
        for (int i = 0; i < engineLanes_; ++i) {
            if (lanes_[i].item != nullptr)
                Settle(lanes_[i], PassItem::kUnfinished);
        }
        return;
    }
    Lane* active[kMostLanes];
    int count = 0;
    for (int i = 0; i < engineLanes_; ++i) {
        if (lanes_[i].item != nullptr && Fill(lanes_[i]))
            active[count++] = &lanes_[i];
    }
    if (count >= kFilesWorthTheLanes) {
        std::size_t blocks = SIZE_MAX;
        Md5Context* contexts[kMostLanes];
        const std::uint8_t* data[kMostLanes];
        for (int i = 0; i < count; ++i) {
            blocks = std::min(blocks, (active[i]->end - active[i]->begin) / kBlock);
            contexts[i] = &active[i]->context;
            data[i] = active[i]->buffer + active[i]->begin;
        }
        Md5UpdateLanes(engine_, contexts, data, blocks, count);
        for (int i = 0; i < count; ++i)
            active[i]->begin += blocks * kBlock;
        return;
    }
    for (int i = 0; i < count; ++i) {
        Lane& lane = *active[i];
        const std::size_t whole = (lane.end - lane.begin) / kBlock * kBlock;
        Md5Update(lane.context, lane.buffer + lane.begin, static_cast<std::int32_t>(whole));
        lane.begin += whole;
    }
}
