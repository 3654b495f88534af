#include <fcntl.h>
#include <sys/resource.h>

#include <climits>

#include "platform/open_file_limit.h"

void RaiseOpenFileLimit() {
    rlimit limit{};
    if (getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur < limit.rlim_max) {
        limit.rlim_cur = limit.rlim_max;
        setrlimit(RLIMIT_NOFILE, &limit);
    }
}

int FreeFileDescriptors() {
    rlimit limit{};
    if (getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY ||
        limit.rlim_cur > static_cast<rlim_t>(INT_MAX)) {
        return INT_MAX;
    }
    const int most = static_cast<int>(limit.rlim_cur);
    // Where the limit is large, the few descriptors held do not matter, and asking after each
    // would cost more than the pass.
    if (most > 65536)
        return most;
    int held = 0;
    for (int descriptor = 0; descriptor < most; ++descriptor) {
        if (fcntl(descriptor, F_GETFD) != -1)
            ++held;
    }
    return most - held;
}
