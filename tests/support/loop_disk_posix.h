// A disk of the test's own: an image file in a scratch folder attached to a loop device that is
// marked rotating or not, holding a file system (ext4 on the whole device or on a partition of
// it, or a read-only squashfs made of a folder's files) mounted in the scratch folder. Needs
// root; unmounted and detached when it goes. Where something fails on the way, Error says what.
#pragma once

#include <string>
#include <vector>

#include "support/scratch_folder.h"

class LoopDisk {
  public:
    enum class Contents { kExt4, kExt4OnPartition, kSquashfsOfFolder };

    // For kSquashfsOfFolder, `folder` names the folder of the scratch folder whose files the
    // image holds; the others start empty.
    LoopDisk(const ScratchFolder& scratch, Contents contents, bool rotating,
             const std::string& folder = {});
    ~LoopDisk();
    LoopDisk(const LoopDisk&) = delete;
    LoopDisk& operator=(const LoopDisk&) = delete;

    const std::string& Error() const { return error_; }
    // The mounted file system's folder, and the loop device (/dev/loopN).
    const std::string& Mounted() const { return mounted_; }
    const std::string& Device() const { return device_; }
    // Writes the files out and drops their contents from memory, so that reading them waits for
    // the disk; false (and Error set) when that fails.
    bool LeaveOnlyOnDisk();

  private:
    // Runs a command; false (and Error set) when it fails.
    bool Run(const std::vector<std::string>& argv);

    std::string device_;
    std::string mounted_;
    bool mountedNow_ = false;
    std::string error_;
};
