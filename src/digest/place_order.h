// The files of a pass that must wait for storage with a seek penalty, read as such a disk wants:
// a group of files is taken together, then read in the order of the places where they begin on
// the disk (those whose place the system does not tell first, in the order they came), so that
// the head sweeps across the disk once per group rather than moving to and fro between files.
// A file that lies ahead of the head joins the sweep under way at its place instead, so that the
// disk has reads while the next group fills.
// The files are small enough for one read each and go many at once: the system and the disk keep
// requests in the order of places. The filing order does not change: the pass waits for the file
// it files next.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <vector>

#include "digest/pass_item.h"

class PlaceOrder {
  public:
    // A file waits for the storage: it joins the sweep where it lies ahead of the head, and waits
    // for its group to be complete otherwise.
    void Add(PassItem& item);
    // A file of the sweep has its first read asked for: the head goes to its place.
    void Began(const PassItem& item);
    std::size_t Grouped() const { return group_.size(); }
    // The group goes to the sweep, in the order of places, behind what the sweep still holds.
    void Seal();

    // The file whose read comes next: the first of the sweep that wants one and has room for it
    // (`mayReadAhead`). Null where nothing may be read now.
    template <class MayReadAhead>
    PassItem* Next(MayReadAhead mayReadAhead) const;
    // Whether every file of the sweep has had the last read it needs asked for.
    bool AllAsked() const;
    // A file's reading ended or failed: it leaves the sweep (or its group).
    void Ended(PassItem& item);

    // Every file in the group and in the sweep.
    template <class Visit>
    void ForEach(Visit visit) const;

  private:
    // Its read under way reaches the size the file had at its open: the next file's may go too.
    static bool LastReadAsked(const PassItem& item) {
        return item.readerHolds && item.asked >= item.sizeAtOpen;
    }

    std::vector<PassItem*> group_;
    std::deque<PassItem*> sweep_;
    // Where the head goes to: the storage and place of the last file begun.
    std::uint64_t headStorage_ = 0;
    std::optional<std::uint64_t> headPlace_;
};

template <class MayReadAhead>
PassItem* PlaceOrder::Next(MayReadAhead mayReadAhead) const {
    for (PassItem* item : sweep_) {
        if (LastReadAsked(*item))
            continue;
        if (!item->readerHolds && mayReadAhead(*item))
            return item;
    }
    return nullptr;
}

template <class Visit>
void PlaceOrder::ForEach(Visit visit) const {
    for (PassItem* item : group_)
        visit(*item);
    for (PassItem* item : sweep_)
        visit(*item);
}
