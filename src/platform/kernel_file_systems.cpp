#include "platform/kernel_file_systems.h"

#include <linux/magic.h>

namespace {

constexpr unsigned long kConfigFs = 0x62656570;
constexpr unsigned long kFuseControl = 0x65735543;

}  // namespace

bool IsKernelInterfaceFileSystem(unsigned long type) {
    switch (type) {
        case PROC_SUPER_MAGIC:
        case SYSFS_MAGIC:
        case DEBUGFS_MAGIC:
        case TRACEFS_MAGIC:
        case SECURITYFS_MAGIC:
        case CGROUP_SUPER_MAGIC:
        case CGROUP2_SUPER_MAGIC:
        case BPF_FS_MAGIC:
        case PSTOREFS_MAGIC:
        case EFIVARFS_MAGIC:
        case SELINUX_MAGIC:
        case SMACK_MAGIC:
        case BINFMTFS_MAGIC:
        case kConfigFs:
        case kFuseControl:
            return true;
        default:
            return false;
    }
}
