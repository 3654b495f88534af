#include "digest/place_order.h"

#include <algorithm>

void PlaceOrder::Add(PassItem& item) {
    const FilePlacement& placed = item.placement;
    if (!headPlace_ || !placed.firstPlace || placed.storage != headStorage_ ||
        *placed.firstPlace <= *headPlace_) {
        group_.push_back(&item);
        return;
    }
    // Within the run of places the head is in: before the first file that lies beyond it, or
    // where the next group's run begins.
    std::uint64_t last = 0;
    auto at = sweep_.begin();
    for (; at != sweep_.end(); ++at) {
        const std::uint64_t place = (*at)->placement.firstPlace.value_or(0);
        if (place < last || place > *placed.firstPlace)
            break;
        last = place;
    }
    sweep_.insert(at, &item);
}

void PlaceOrder::Began(const PassItem& item) {
    if (item.placement.firstPlace) {
        headStorage_ = item.placement.storage;
        headPlace_ = item.placement.firstPlace;
    }
}

void PlaceOrder::Seal() {
    // Stable: files whose place is not known keep the order they came in, before the others.
    std::stable_sort(group_.begin(), group_.end(), [](const PassItem* a, const PassItem* b) {
        const FilePlacement& x = a->placement;
        const FilePlacement& y = b->placement;
        if (x.firstPlace.has_value() != y.firstPlace.has_value())
            return !x.firstPlace.has_value();
        if (x.storage != y.storage)
            return x.storage < y.storage;
        return x.firstPlace.value_or(0) < y.firstPlace.value_or(0);
    });
    sweep_.insert(sweep_.end(), group_.begin(), group_.end());
    group_.clear();
}

bool PlaceOrder::AllAsked() const {
    return std::all_of(sweep_.begin(), sweep_.end(),
                       [](const PassItem* item) { return LastReadAsked(*item); });
}

void PlaceOrder::Ended(PassItem& item) {
    if (const auto found = std::find(sweep_.begin(), sweep_.end(), &item); found != sweep_.end()) {
        sweep_.erase(found);
        return;
    }
    if (const auto found = std::find(group_.begin(), group_.end(), &item); found != group_.end())
        group_.erase(found);
}
