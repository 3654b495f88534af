#include "platform/any_length_path_posix.h"

#include <fcntl.h>
#include <limits.h>
#include <unistd.h>

#include <cerrno>

namespace {

// Calls operation(folder, rest) with the folder that holds the path's last stretch open (or
// AT_FDCWD) and that stretch, which is shorter than PATH_MAX.
template <typename Operation>
int AtLastStretch(const std::string& path, Operation operation) {
    if (path.size() < PATH_MAX)
        return operation(AT_FDCWD, path.c_str());
    int folder = AT_FDCWD;
    std::size_t start = 0;
    // A path from the root keeps its leading separator in its first stretch.
    while (path.size() - start >= PATH_MAX) {
        // A doubled separator between two stretches names nothing more.
        if (start > 0 && path[start] == '/') {
            ++start;
            continue;
        }
        const std::size_t end = path.rfind('/', start + PATH_MAX - 1);
        if (end == std::string::npos || end <= start) {
            if (folder != AT_FDCWD)
                close(folder);
            errno = ENAMETOOLONG;
            return -1;
        }
        const std::string stretch = path.substr(start, end - start);
        const int next = openat(folder, stretch.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
        const int code = errno;
        if (folder != AT_FDCWD)
            close(folder);
        if (next < 0) {
            errno = code;
            return -1;
        }
        folder = next;
        start = end + 1;
    }
    // A path that ends with the separator names the folder the last stretch reached.
    const int result = operation(folder, start == path.size() ? "." : path.c_str() + start);
    const int code = errno;
    if (folder != AT_FDCWD)
        close(folder);
    errno = code;
    return result;
}

}  // namespace

int OpenAnyLength(const std::string& path, int flags) {
    return AtLastStretch(
        path, [flags](int folder, const char* rest) { return openat(folder, rest, flags); });
}

int StatAnyLength(const std::string& path, struct stat& status, bool followLinks) {
    return AtLastStretch(path, [&status, followLinks](int folder, const char* rest) {
        return fstatat(folder, rest, &status, followLinks ? 0 : AT_SYMLINK_NOFOLLOW);
    });
}
