#include "digest/lane_hasher.h"

#include <algorithm>
#include <cstdint>

namespace {

// With fewer files than this in flight the one-stream engine digests them faster, one after
// the other, than the lanes would with most of them empty.
constexpr int kFilesWorthTheLanes = 3;

constexpr std::size_t kBlock = 64;

// The lanes take whole blocks only: a context that holds part of a block goes on alone.
bool HoldsWholeBlocks(const Md5Context& context) {
    return (context.bitCountLow & (kBlock * 8 - 1)) == 0;
}

}  // namespace

LaneHasher::LaneHasher(Md5LaneEngine engine, const std::atomic<bool>& stopRequest, Fetcher fetch,
                       Settler settle)
    : engine_(engine),
      engineLanes_(std::min(Md5LaneCount(engine), kMostLanes)),
      stopRequest_(stopRequest),
      fetch_(std::move(fetch)),
      settle_(std::move(settle)) {}

LaneHasher::~LaneHasher() {
    for (Lane& lane : lanes_) {
        if (lane.item != nullptr) {
            PassItem& item = *lane.item;
            Free(lane);
            settle_(item, PassItem::kUnfinished);
        }
    }
}

void LaneHasher::Begin(PassItem& item) {
    Lane& lane = *std::find_if(lanes_, lanes_ + engineLanes_,
                               [](const Lane& each) { return each.item == nullptr; });
    lane.item = &item;
    ++busy_;
    if (!item.contextStarted) {
        Md5Init(item.context);
        item.contextStarted = true;
    }
}

void LaneHasher::Free(Lane& lane) {
    lane.item = nullptr;
    lane.piece = Piece{};
    lane.offset = 0;
    --busy_;
}

bool LaneHasher::Fill(Lane& lane) {
    while (lane.offset == lane.piece.size) {
        PassItem& item = *lane.item;
        const Fetched fetched = fetch_(item, lane.piece);
        lane.offset = 0;
        switch (fetched) {
            case Fetched::kPiece:
                continue;
            case Fetched::kEnded:
                Md5Final(item.context, item.digest.data());
                Free(lane);
                settle_(item, PassItem::kDigested);
                return false;
            case Fetched::kFailed:
                Free(lane);
                settle_(item, PassItem::kFailed);
                return false;
            case Fetched::kNotYet:
                Free(lane);
                return false;
        }
    }
    return true;
}

void LaneHasher::Step() {
    if (stopRequest_.load(std::memory_order_relaxed)) {
        for (int i = 0; i < engineLanes_; ++i) {
            if (lanes_[i].item != nullptr) {
                PassItem& item = *lanes_[i].item;
                Free(lanes_[i]);
                settle_(item, PassItem::kUnfinished);
            }
        }
        return;
    }
    Lane* active[kMostLanes];
    int count = 0;
    for (int i = 0; i < engineLanes_; ++i) {
        if (lanes_[i].item != nullptr && Fill(lanes_[i]))
            active[count++] = &lanes_[i];
    }
    const auto held = [](const Lane& lane) { return lane.piece.size - lane.offset; };
    Lane* wide[kMostLanes];
    int widths = 0;
    for (int i = 0; i < count; ++i) {
        if (held(*active[i]) >= kBlock && HoldsWholeBlocks(active[i]->item->context))
            wide[widths++] = active[i];
    }
    if (widths >= kFilesWorthTheLanes) {
        std::size_t blocks = SIZE_MAX;
        Md5Context* contexts[kMostLanes];
        const std::uint8_t* data[kMostLanes];
        for (int i = 0; i < widths; ++i) {
            blocks = std::min(blocks, held(*wide[i]) / kBlock);
            contexts[i] = &wide[i]->item->context;
            data[i] = wide[i]->piece.bytes.get() + wide[i]->offset;
        }
        Md5UpdateLanes(engine_, contexts, data, blocks, widths);
        for (int i = 0; i < widths; ++i)
            wide[i]->offset += blocks * kBlock;
    }
    // The lanes that did not go in step (all of them when too few could) go on alone.
    for (int i = 0; i < count; ++i) {
        Lane& lane = *active[i];
        if (widths >= kFilesWorthTheLanes && std::find(wide, wide + widths, &lane) != wide + widths)
            continue;
        Md5Update(lane.item->context, lane.piece.bytes.get() + lane.offset,
                  static_cast<std::int32_t>(held(lane)));
        lane.offset = lane.piece.size;
    }
}
