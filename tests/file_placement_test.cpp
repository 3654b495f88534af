#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "platform/file_placement_posix.h"
#include "platform/input_file_stream.h"
#include "support/loop_disk_posix.h"
#include "support/processes.h"
#include "support/scratch_folder.h"

namespace {

FilePlacement PlacementOfFile(const std::string& path) {
    const InputFileStream file(Utf16(path));
    EXPECT_FALSE(file.fail()) << path;
    return file.Placement();
}

// Whether a disk rotates is asked of the disk itself: a file on a partition has the flag of the
// disk the partition is on, a file on the whole device that device's own. The answer is kept per
// device until forgotten, as a run forgets it.
TEST(FilePlacement, TheDiskBeneathTellsWhetherItSeeks) {
    for (const auto contents : {LoopDisk::Contents::kExt4, LoopDisk::Contents::kExt4OnPartition}) {
        for (const bool rotating : {true, false}) {
            ForgetStoragePlacements();
            ScratchFolder scratch;
            LoopDisk disk(scratch, contents, rotating);
            ASSERT_EQ(disk.Error(), "");
            const std::string data = disk.Mounted() + "/data";
            const std::string empty = disk.Mounted() + "/empty";
            scratch.WriteFile("mounted/data", std::string(100000, 'x'));
            scratch.WriteFile("mounted/empty", "");
            // Only on the disk: a file in memory needs no place.
            ASSERT_TRUE(disk.LeaveOnlyOnDisk()) << disk.Error();

            const FilePlacement placed = PlacementOfFile(data);
            const bool partition = contents == LoopDisk::Contents::kExt4OnPartition;
            EXPECT_EQ(placed.seekPenalty, rotating) << disk.Device() << " partition " << partition;
            EXPECT_EQ(placed.firstPlace.has_value(), rotating);
            // An empty file has no place, wherever it is.
            EXPECT_FALSE(PlacementOfFile(empty).firstPlace.has_value());
        }
    }

    // Memory has no head to move.
    const std::string inMemory = "/dev/shm/hashwick-placement-" + std::to_string(getpid());
    ASSERT_TRUE(std::ofstream(inMemory) << "in memory");
    EXPECT_FALSE(PlacementOfFile(inMemory).seekPenalty);
    std::remove(inMemory.c_str());
}

// A file system that cannot tell where a file lies (squashfs keeps its files packed together)
// still says that its disk seeks.
TEST(FilePlacement, AFileSystemWithoutPlacesStillSeeks) {
    ScratchFolder scratch;
    scratch.WriteFile("source/a", std::string(50000, 'a'));
    const LoopDisk disk(scratch, LoopDisk::Contents::kSquashfsOfFolder, true, "source");
    ASSERT_EQ(disk.Error(), "");
    const FilePlacement placed = PlacementOfFile(disk.Mounted() + "/a");
    EXPECT_TRUE(placed.seekPenalty);
    EXPECT_FALSE(placed.firstPlace.has_value());
}

// A file whose bytes are all in memory costs the disk nothing: it needs no place. One that is
// only on the disk, or only partly in memory, does. A mapping tells the same where the kernel
// has no cachestat.
TEST(FilePlacement, AFileInMemoryNeedsNoPlace) {
    ScratchFolder scratch;
    LoopDisk disk(scratch, LoopDisk::Contents::kExt4, true);
    ASSERT_EQ(disk.Error(), "");
    const std::string path = disk.Mounted() + "/data";
    scratch.WriteFile("mounted/data", std::string(std::size_t{4} << 20, 'm'));
    ASSERT_TRUE(disk.LeaveOnlyOnDisk()) << disk.Error();
    std::uint8_t part[100000];

    InputFileStream file(Utf16(path));
    const int mapped = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(mapped, 0);
    const std::uint64_t size = file.SizeAtOpen();
    FilePlacement placed = file.Placement();
    EXPECT_FALSE(placed.inMemory);
    EXPECT_FALSE(AllInMemoryByMapping(mapped, size));
    EXPECT_TRUE(placed.firstPlace.has_value());
    file.read(part, sizeof part);
    EXPECT_FALSE(file.Placement().inMemory);
    EXPECT_FALSE(AllInMemoryByMapping(mapped, size));
    while (!file.fail())
        file.read(part, sizeof part);
    placed = file.Placement();
    EXPECT_TRUE(placed.inMemory);
    EXPECT_TRUE(AllInMemoryByMapping(mapped, size));
    EXPECT_FALSE(placed.firstPlace.has_value());
    close(mapped);
}

}  // namespace
