#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <optional>
#include <string>
#include <unordered_map>

#include "platform/any_length_path_posix.h"
#include "platform/file_placement_posix.h"
#include "platform/input_file_stream.h"
#include "platform/kernel_file_systems.h"
#include "platform/path_text.h"

namespace {

// Whether the file lies on one of the kernel's interface file systems, which are read like
// devices: never. Asked once per file system and thread, of the open file if there is one.
bool IsKernelInterface(dev_t device, int descriptor, const std::string& path) {
    thread_local std::unordered_map<dev_t, bool> known;
    if (const auto found = known.find(device); found != known.end())
        return found->second;
    const int asked = descriptor >= 0 ? descriptor : OpenAnyLength(path, O_PATH | O_CLOEXEC);
    struct statfs system {};
    const bool answered = asked >= 0 && fstatfs(asked, &system) == 0;
    if (asked >= 0 && asked != descriptor)
        close(asked);
    if (!answered)
        return true;
    const bool kernel = IsKernelInterfaceFileSystem(static_cast<unsigned long>(system.f_type));
    known.emplace(device, kernel);
    return kernel;
}

// The file's descriptor, or -1. The type is checked after the open and, unless the caller has
// just found a regular file there, before it: opening some devices has effects of its own, and a
// FIFO without a writer would not deliver an end.
int OpenRegularFile(const std::string& path, InputFileStream::TypeCheck check,
                    struct stat& status) {
    const bool before = check == InputFileStream::TypeCheck::BeforeAndAfterOpen;
    if (before && (StatAnyLength(path, status, true) != 0 || !S_ISREG(status.st_mode) ||
                   IsKernelInterface(status.st_dev, -1, path))) {
        return -1;
    }
    const dev_t device = status.st_dev;
    const ino_t inode = status.st_ino;
    const int descriptor = OpenAnyLength(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (descriptor < 0)
        return -1;
    if (fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode) ||
        (before && (status.st_dev != device || status.st_ino != inode)) ||
        (!before && IsKernelInterface(status.st_dev, descriptor, path))) {
        close(descriptor);
        return -1;
    }
    return descriptor;
}

}  // namespace

InputFileStream::InputFileStream(std::u16string_view path, TypeCheck check) {
    const std::optional<std::string> native = WideToNative(path);
    struct stat status {};
    errno = 0;
    if (native)
        descriptor_ = OpenRegularFile(*native, check, status);
    if (descriptor_ < 0) {
        failed_ = true;
        outOfDescriptors_ = errno == EMFILE || errno == ENFILE;
        return;
    }
    sizeAtOpen_ = static_cast<std::uint64_t>(std::max<off_t>(status.st_size, 0));
    device_ = status.st_dev;
    if (sizeAtOpen_ > kLargestBuffer)
        posix_fadvise(descriptor_, 0, 0, POSIX_FADV_SEQUENTIAL);
}

FilePlacement InputFileStream::Placement() const {
    return PlacementOf(descriptor_, static_cast<dev_t>(device_), sizeAtOpen_);
}

void InputFileStream::StartReading() const {
    posix_fadvise(descriptor_, 0, 0, POSIX_FADV_WILLNEED);
}

InputFileStream::~InputFileStream() {
    if (descriptor_ >= 0)
        close(descriptor_);
}

std::size_t InputFileStream::ReadFromSystem(std::uint8_t* into, std::size_t count) {
    for (;;) {
        const ssize_t got = ::read(descriptor_, into, count);
        if (got >= 0)
            return static_cast<std::size_t>(got);
        if (errno != EINTR) {
            bad_ = true;
            return 0;
        }
    }
}
