// The files of a pass that lie on storage with a seek penalty, read as such a disk wants: a group
// of files is opened first, then read in the order of the places where they begin on the disk
// (those whose place the system does not tell first, in the order they came), a few files at a
// time (one on a disk that seeks: each to its end before the next), so that the head sweeps
// across the disk once per group rather than moving to and fro between files. The filing order
// does not change: the pass waits for the file it files next.
#pragma once

#include <cstddef>
#include <deque>
#include <vector>

#include "digest/pass_item.h"

class PlaceOrder {
  public:
    // A file on such storage was opened; it waits for its group to be complete.
    void Opened(PassItem& item) { group_.push_back(&item); }
    std::size_t Grouped() const { return group_.size(); }
    // The group goes to the sweep, in the order of places, behind what the sweep still holds.
    void Seal();

    // The file whose next read comes next: the first of the sweep that wants one and has room
    // for it (`mayReadAhead`), with no more than `filesAtOnce` files begun and not yet asked to
    // their end. Null where nothing may be read now; `atLimit` then tells whether that was for
    // the files at once (whose reading or hashing sets the pace), rather than for want of files.
    template <class MayReadAhead>
    PassItem* Next(MayReadAhead mayReadAhead, int filesAtOnce, bool& atLimit) const;
    // Whether every file of the sweep has had the last read it needs asked for.
    bool AllAsked() const;
    // A file's reading ended or failed: it leaves the sweep (or its group).
    void Ended(PassItem& item);

    // Every file opened and not ended, in the group and in the sweep.
    template <class Visit>
    void ForEach(Visit visit) const;

  private:
    // Its read under way reaches the size the file had at its open: the next file's may go too.
    static bool LastReadAsked(const PassItem& item) {
        return item.readerHolds && item.asked >= item.sizeAtOpen;
    }

    std::vector<PassItem*> group_;
    std::deque<PassItem*> sweep_;
};

template <class MayReadAhead>
PassItem* PlaceOrder::Next(MayReadAhead mayReadAhead, int filesAtOnce, bool& atLimit) const {
    atLimit = false;
    int reading = 0;
    for (PassItem* item : sweep_) {
        if (LastReadAsked(*item))
            continue;
        if (reading >= filesAtOnce) {
            atLimit = true;
            return nullptr;
        }
        if (!item->readerHolds && mayReadAhead(*item))
            return item;
        // Being read, or waiting for room: the files after it wait their turn.
        ++reading;
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
