#include "platform/file_placement_posix.h"

#include <fcntl.h>
#include <linux/fiemap.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <filesystem>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace {

namespace fs = std::filesystem;

// The text of a small file of the system's (sysfs, /proc); empty where it cannot be read. Plain
// reads rather than streams: the question comes with the first open of a device, when the run may
// have few descriptors left, and the sanitizers' checks of a stream's casts want one of their own.
std::string SystemFileText(const std::string& path) {
    std::string text;
    const int descriptor = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (descriptor < 0)
        return text;
    char buffer[4096];
    for (ssize_t got; (got = read(descriptor, buffer, sizeof buffer)) > 0;)
        text.append(buffer, static_cast<std::size_t>(got));
    close(descriptor);
    return text;
}

// The words of a line, split at spaces.
std::vector<std::string_view> Words(std::string_view line) {
    std::vector<std::string_view> words;
    while (!line.empty()) {
        const std::size_t end = line.find(' ');
        if (end != 0)
            words.push_back(line.substr(0, end));
        if (end == std::string_view::npos)
            break;
        line.remove_prefix(end + 1);
    }
    return words;
}

// Device mapping over device mapping goes only so deep; a loop in what sysfs says ends here.
constexpr int kDeepestStack = 8;

// Whether the block device whose sysfs folder this is rotates: a partition asks its disk, a
// mapped or RAID device the devices beneath it (one rotating disk is enough to seek).
bool Rotates(const fs::path& folder, int depth) {
    std::error_code error;
    const fs::path real = fs::canonical(folder, error);
    if (error || depth > kDeepestStack)
        return false;
    if (fs::exists(real / "partition", error))
        return Rotates(real.parent_path(), depth + 1);
    bool beneath = false;
    bool anyRotates = false;
    for (const fs::directory_entry& slave : fs::directory_iterator(real / "slaves", error)) {
        beneath = true;
        anyRotates = anyRotates || Rotates(slave.path(), depth + 1);
    }
    if (beneath)
        return anyRotates;
    return SystemFileText(real / "queue" / "rotational").starts_with('1');
}

fs::path SysfsFolder(dev_t device) {
    return fs::path("/sys/dev/block") /
           (std::to_string(major(device)) + ":" + std::to_string(minor(device)));
}

// The mount table writes a space, a tab, a line end and a backslash in octal.
std::string Unescaped(std::string_view text) {
    std::string plain;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 3 < text.size()) {
            plain.push_back(static_cast<char>((text[i + 1] - '0') * 64 + (text[i + 2] - '0') * 8 +
                                              (text[i + 3] - '0')));
            i += 3;
        } else {
            plain.push_back(text[i]);
        }
    }
    return plain;
}

struct Mount {
    std::string type;
    std::string source;
};

// The mount of the file system whose device number this is, from /proc/self/mountinfo.
bool FindMount(dev_t device, Mount& mount) {
    const std::string wanted = std::to_string(major(device)) + ":" + std::to_string(minor(device));
    const std::string table = SystemFileText("/proc/self/mountinfo");
    for (std::string_view rest = table; !rest.empty();) {
        const std::size_t end = rest.find('\n');
        const std::vector<std::string_view> words = Words(rest.substr(0, end));
        rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
        if (words.size() < 3 || words[2] != wanted)
            continue;
        // Optional fields end with a lone "-"; the type and the source follow.
        const auto dash = std::find(words.begin() + 3, words.end(), "-");
        if (words.end() - dash >= 3) {
            mount.type = dash[1];
            mount.source = Unescaped(dash[2]);
            return true;
        }
    }
    return false;
}

// File systems whose files come over a network or from a program: many requests in flight help
// there, and nothing is known of a disk beneath.
bool IsNetworkOrUserSpace(std::string_view type) {
    for (const std::string_view remote : {"nfs", "nfs4", "cifs", "smb3", "smbfs", "9p", "ceph",
                                          "afs", "glusterfs", "lustre", "virtiofs", "fuse"}) {
        if (type == remote)
            return true;
    }
    // A user-space file system on a block device of its own (fuseblk) has a disk to ask.
    return type.starts_with("fuse.");
}

bool AskSeekPenalty(dev_t device) {
    Mount mount;
    const bool mounted = FindMount(device, mount);
    if (mounted && IsNetworkOrUserSpace(mount.type))
        return false;
    std::error_code error;
    if (fs::exists(SysfsFolder(device), error))
        return Rotates(SysfsFolder(device), 0);
    // A file system whose files have a device number of their own (btrfs, for one) names its
    // block device in the mount table.
    struct stat status {};
    if (mounted && mount.source.starts_with("/dev/") && stat(mount.source.c_str(), &status) == 0 &&
        S_ISBLK(status.st_mode)) {
        return Rotates(SysfsFolder(status.st_rdev), 0);
    }
    // Memory and overlays of other file systems: nothing to seek.
    return false;
}

// What is known of the devices: a run's files lie on few.
std::mutex knownMutex;
std::map<dev_t, bool> known;

bool SeekPenalty(dev_t device) {
    {
        const std::lock_guard lock(knownMutex);
        if (const auto found = known.find(device); found != known.end())
            return found->second;
    }
    const bool penalty = AskSeekPenalty(device);
    const std::lock_guard lock(knownMutex);
    known.emplace(device, penalty);
    return penalty;
}

// The page cache's count of a file's pages, asked without reading anything (a read that may not
// wait would still start the disk's read-ahead, in the walk's order rather than the disk's).
struct CacheRange {
    std::uint64_t offset;
    std::uint64_t length;  // 0: to the end of the file
};
struct CacheCounts {
    std::uint64_t cached;
    std::uint64_t dirty;
    std::uint64_t writeback;
    std::uint64_t evicted;
    std::uint64_t recentlyEvicted;
};
// The same number on every architecture; Debian 12's headers predate it.
constexpr long kCachestatCall = 451;

// A kernel before 6.5 (Debian 12's own), or a sandbox that forbids the call, answers cachestat
// with an error; from then on the run asks through a mapping instead.
std::atomic<bool> cachestatFails = false;

}  // namespace

bool AllInMemoryByMapping(int descriptor, std::uint64_t size) {
    if (size == 0)
        return true;
    // A larger file is read as on any storage whatever is in memory: not worth the map's pages.
    constexpr std::uint64_t kLargestAsked = std::uint64_t{64} << 20;
    if (size > kLargestAsked)
        return false;
    const auto length = static_cast<std::size_t>(size);
    // Mapping reads nothing; mincore tells which of the mapping's pages are in the page cache.
    void* mapped = mmap(nullptr, length, PROT_READ, MAP_SHARED, descriptor, 0);
    if (mapped == MAP_FAILED)
        return false;
    const auto pageSize = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
    std::vector<unsigned char> resident((length + pageSize - 1) / pageSize);
    const bool all = mincore(mapped, length, resident.data()) == 0 &&
                     std::all_of(resident.begin(), resident.end(),
                                 [](unsigned char page) { return (page & 1) != 0; });
    munmap(mapped, length);
    return all;
}

namespace {

bool AllInMemory(int descriptor, std::uint64_t size) {
    if (!cachestatFails.load(std::memory_order_relaxed)) {
        CacheRange range{0, 0};
        CacheCounts counts{};
        if (syscall(kCachestatCall, descriptor, &range, &counts, 0) == 0) {
            const auto pageSize = static_cast<std::uint64_t>(sysconf(_SC_PAGESIZE));
            return counts.cached >= (size + pageSize - 1) / pageSize;
        }
        cachestatFails = true;
    }
    return AllInMemoryByMapping(descriptor, size);
}

}  // namespace

void ForgetStoragePlacements() {
    const std::lock_guard lock(knownMutex);
    known.clear();
}

FilePlacement StorageOf(int descriptor, dev_t device, std::uint64_t size) {
    FilePlacement placement;
    placement.storage = device;
    placement.seekPenalty = SeekPenalty(device);
    if (placement.seekPenalty)
        placement.inMemory = AllInMemory(descriptor, size);
    return placement;
}

std::optional<std::uint64_t> FirstPlaceOf(int descriptor) {
    // The first extent alone. No FIEMAP_FLAG_SYNC: writing out what is not on the disk yet is
    // not a reader's business, and such an extent answers "unknown" instead.
    alignas(fiemap) std::uint8_t request[sizeof(fiemap) + sizeof(fiemap_extent)] = {};
    auto* map = reinterpret_cast<fiemap*>(request);
    map->fm_length = FIEMAP_MAX_OFFSET;
    map->fm_extent_count = 1;
    if (ioctl(descriptor, FS_IOC_FIEMAP, map) == 0 && map->fm_mapped_extents == 1 &&
        (map->fm_extents[0].fe_flags & (FIEMAP_EXTENT_UNKNOWN | FIEMAP_EXTENT_DELALLOC)) == 0) {
        return map->fm_extents[0].fe_physical;
    }
    return std::nullopt;
}

FilePlacement PlacementOf(int descriptor, dev_t device, std::uint64_t size) {
    FilePlacement placement = StorageOf(descriptor, device, size);
    if (placement.seekPenalty && !placement.inMemory)
        placement.firstPlace = FirstPlaceOf(descriptor);
    return placement;
}
