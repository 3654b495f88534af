#include "digest/in_flight_probe.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>

namespace {

using namespace std::chrono_literals;

// Storage that completes a read every `spacing`, the clock advanced by hand, each claim filling
// the limit or not: one window of reads, as many as the probe measures at the limit it has.
struct Storage {
    InFlightProbe probe{4, 64};
    InFlightProbe::Clock::time_point now{};

    void Window(std::chrono::microseconds spacing, bool claimsFill = true) {
        const int reads = 1 + std::max(8, 2 * probe.Limit());
        for (int i = 0; i < reads; ++i) {
            probe.Claimed(claimsFill);
            now += spacing;
            probe.Completed(64 * 1024, now);
        }
    }
};

// Storage of many channels: the most reads in flight deliver several times as much, and are kept.
// A disk whose head moves: they deliver no more, so the probe goes back to few, waits, and tries
// again. A trial the reads never filled (the hashing set the pace) proves nothing and is not kept.
TEST(InFlightProbe, KeepsMoreReadsInFlightOnlyWhereTheyDeliverMore) {
    Storage many;
    EXPECT_EQ(many.probe.Limit(), 4);
    many.Window(5ms);
    ASSERT_EQ(many.probe.Limit(), 64) << "a trial of the most";
    many.Window(500us);
    EXPECT_EQ(many.probe.Limit(), 64);
    many.Window(500us);
    EXPECT_EQ(many.probe.Limit(), 64);

    Storage disk;
    disk.Window(5ms);
    ASSERT_EQ(disk.probe.Limit(), 64);
    disk.Window(5ms);
    EXPECT_EQ(disk.probe.Limit(), 4);
    // Windows of patience at the proven count, then the next trial.
    int windows = 0;
    while (disk.probe.Limit() == 4 && windows < 20) {
        disk.Window(5ms);
        ++windows;
    }
    EXPECT_GT(windows, 1);
    EXPECT_EQ(disk.probe.Limit(), 64);
    disk.Window(5ms);
    EXPECT_EQ(disk.probe.Limit(), 4);

    Storage paced;
    paced.Window(5ms);
    ASSERT_EQ(paced.probe.Limit(), 64);
    paced.Window(500us, false);
    EXPECT_EQ(paced.probe.Limit(), 4);
    // Windows the limit did not fill are not judged at all.
    for (int window = 0; window < 20; ++window)
        paced.Window(5ms, false);
    EXPECT_EQ(paced.probe.Limit(), 4);
}

}  // namespace
