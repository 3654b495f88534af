// The placement of an open file on Linux: the device from its status, whether the disk beneath
// rotates from /sys/dev/block (a partition's disk, the disks below device mapping and software
// RAID; a file system without a block device of its own through the mount table), whether the
// file's pages are all in the page cache (cachestat, which reads nothing, or before Linux 6.5 a
// mapping's mincore), and the first extent's place from FIEMAP.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <optional>

#include "platform/file_placement.h"

FilePlacement PlacementOf(int descriptor, dev_t device, std::uint64_t size);
// The same without the place, which takes a while to ask: the storage and whether the file waits
// for it.
FilePlacement StorageOf(int descriptor, dev_t device, std::uint64_t size);
// Where the file's first byte lies on its storage, where the file system tells.
std::optional<std::uint64_t> FirstPlaceOf(int descriptor);
// Whether all of a file's pages are in the page cache, asked of a mapping of it (mincore), where
// cachestat cannot tell; a file over 64 MiB counts as not in memory.
bool AllInMemoryByMapping(int descriptor, std::uint64_t size);
