#include "digest/pass_hashing.h"

#include "digest/lane_hasher.h"

void HashFromQueue(PassQueue& queue, const std::atomic<bool>& stopRequest) {
    LaneHasher lanes(
        Md5BestLaneEngine(), stopRequest,
        [&queue](PassItem& item, Piece& piece) { return queue.Fetch(item, piece); },
        [&queue](PassItem& item, PassItem::Outcome outcome) { queue.Settle(item, outcome); });
    for (;;) {
        while (lanes.HasFreeLane()) {
            PassItem* item = queue.ClaimHash(lanes.Idle());
            if (item == nullptr)
                break;
            lanes.Begin(*item);
        }
        if (lanes.Idle())
            return;
        lanes.Step();
    }
}
