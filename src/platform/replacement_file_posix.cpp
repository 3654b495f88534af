#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <optional>

#include "platform/path_text.h"
#include "platform/replacement_file.h"

namespace {

// A name beside the target that no one else uses: hidden, with the process and a counter.
std::string TemporaryName(const std::string& target, unsigned attempt) {
    static std::atomic<unsigned> counter{0};
    const std::size_t slash = target.rfind('/');
    const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    return target.substr(0, nameStart) + "." + target.substr(nameStart) + "." +
           std::to_string(getpid()) + "-" + std::to_string(counter++) + "-" +
           std::to_string(attempt) + ".tmp";
}

// An earlier file of the name that is read-only, to everyone or to this user, is in the way: the
// rename would replace it regardless, since only the folder's permissions count for a rename.
bool ReadOnlyFileInTheWay(const std::string& target) {
    struct stat status {};
    if (stat(target.c_str(), &status) != 0 || S_ISDIR(status.st_mode))
        return false;
    const bool noWriteBit = (status.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
    return noWriteBit || faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0;
}

}  // namespace

ReplacementFile::ReplacementFile(std::u16string_view path) {
    const std::optional<std::string> native = WideToNative(path);
    if (!native || native->empty()) {
        Fail(ENOENT);
        return;
    }
    target_ = *native;
    for (unsigned attempt = 0; descriptor_ < 0; ++attempt) {
        temporary_ = TemporaryName(target_, attempt);
        // Created with the usual permissions of a new file (the process's umask applies).
        descriptor_ = open(temporary_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (descriptor_ < 0 && (errno != EEXIST || attempt > 100)) {
            temporary_.clear();
            Fail(errno);
            return;
        }
    }
    // Known before anything is written; checked again before the rename.
    if (ReadOnlyFileInTheWay(target_))
        Fail(SystemErrorKind::kReadOnlyFileInTheWay);
}

ReplacementFile::~ReplacementFile() {
    if (descriptor_ >= 0)
        close(descriptor_);
    if (!committed_ && !temporary_.empty())
        unlink(temporary_.c_str());
}

bool ReplacementFile::Write(std::string_view bytes) {
    if (Failed())
        return false;
    while (!bytes.empty()) {
        const ssize_t wrote = write(descriptor_, bytes.data(), bytes.size());
        if (wrote < 0) {
            if (errno == EINTR)
                continue;
            return Fail(errno);
        }
        bytes.remove_prefix(static_cast<std::size_t>(wrote));
    }
    return true;
}

bool ReplacementFile::Seal() {
    if (Failed())
        return false;
    if (sealed_)
        return true;
    // The data must be on the disk before the name points at it, or a crash could leave an
    // empty list where the old one was.
    if (fdatasync(descriptor_) != 0)
        return Fail(errno);
    const int descriptor = descriptor_;
    descriptor_ = -1;
    if (close(descriptor) != 0)
        return Fail(errno);
    sealed_ = true;
    return true;
}

bool ReplacementFile::Commit() {
    if (!Seal())
        return false;
    if (ReadOnlyFileInTheWay(target_))
        return Fail(SystemErrorKind::kReadOnlyFileInTheWay);
    if (rename(temporary_.c_str(), target_.c_str()) != 0)
        return Fail(errno);
    committed_ = true;
    return true;
}
