// The placement of an open file on Linux: the device from its status, whether the disk beneath
// rotates from /sys/dev/block (a partition's disk, the disks below device mapping and software
// RAID; a file system without a block device of its own through the mount table), whether the
// file's pages are all in the page cache (cachestat, which reads nothing; a kernel before 6.5 does
// not tell), and the first extent's place from FIEMAP.
#pragma once

#include <sys/types.h>

#include "platform/file_placement.h"

FilePlacement PlacementOf(int descriptor, dev_t device, std::uint64_t size);
