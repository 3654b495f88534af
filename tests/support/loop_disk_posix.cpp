#include "support/loop_disk_posix.h"

#include <fstream>

#include "support/processes.h"

namespace {

constexpr const char* kImageSize = "96M";

}  // namespace

bool LoopDisk::Run(const std::vector<std::string>& argv) {
    const CommandResult result = RunCommand(argv);
    if (result.exitStatus == 0)
        return true;
    if (error_.empty())
        error_ = argv.front() + ": " + result.errors;
    return false;
}

LoopDisk::LoopDisk(const ScratchFolder& scratch, Contents contents, bool rotating,
                   const std::string& folder) {
    const std::string image = scratch.Path("disk.image");
    mounted_ = scratch.Path("mounted");
    scratch.MakeFolder("mounted");
    const bool squash = contents == Contents::kSquashfsOfFolder;
    if (squash ? !Run({"mksquashfs", scratch.Path(folder), image, "-noappend", "-quiet"})
               : !Run({"truncate", "-s", kImageSize, image})) {
        return;
    }
    const CommandResult attached = RunCommand({"losetup", "-f", "--show", "-P", image});
    if (attached.exitStatus != 0) {
        error_ = "losetup: " + attached.errors;
        return;
    }
    device_ = attached.output.substr(0, attached.output.find('\n'));
    const std::string name = device_.substr(device_.rfind('/') + 1);
    std::ofstream(("/sys/block/" + name + "/queue/rotational").c_str()) << (rotating ? 1 : 0);
    std::string fileSystem = device_;
    if (contents == Contents::kExt4OnPartition) {
        // The kernel need know no partition table: the partition is declared to it directly.
        if (!Run({"addpart", device_, "1", "2048", "190000"}))
            return;
        fileSystem = device_ + "p1";
    }
    if (!squash && !Run({"mkfs.ext4", "-q", "-F", fileSystem}))
        return;
    mountedNow_ = Run({"mount", fileSystem, mounted_});
}

bool LoopDisk::LeaveOnlyOnDisk() {
    return Run({"sync", "-f", mounted_}) &&
           Run({"find", mounted_, "-type", "f", "-exec", "dd", "iflag=nocache", "count=0",
                "status=none", "if={}", ";"});
}

LoopDisk::~LoopDisk() {
    if (mountedNow_)
        RunCommand({"umount", mounted_});
    if (!device_.empty())
        RunCommand({"losetup", "-d", device_});
}
