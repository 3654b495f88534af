#include "platform/path_lookup.h"

#include <linux/limits.h>
#include <pthread.h>
#include <time.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <string_view>

namespace {

// How long a kept folder answers for its text before the text is looked up again.
constexpr std::int64_t kKeptNanoseconds = 100'000'000;

// Plain data, so that it stays usable however late in a thread's end a lookup comes.
struct KeptFolder {
    char text[PATH_MAX] = {};  // the path up to and including its last separator
    std::size_t length = 0;
    int descriptor = -1;  // that folder, opened once a second lookup in it came; or -1
    std::int64_t openedAt = 0;
    bool threadEnded = false;

    std::string_view Text() const { return {text, length}; }
    void Close() {
        if (descriptor >= 0)
            close(descriptor);
        descriptor = -1;
    }
    void Forget() {
        Close();
        length = 0;
    }
};

thread_local KeptFolder t_kept;

struct CloseAtThreadEnd {
    bool armed = false;
    ~CloseAtThreadEnd() {
        t_kept.Forget();
        t_kept.threadEnded = true;
    }
};

thread_local CloseAtThreadEnd t_closer;

// The coarse clock is read without a system call; its few milliseconds of grain do not matter here.
std::int64_t Now() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC_COARSE, &now);
    return std::int64_t{now.tv_sec} * 1'000'000'000 + now.tv_nsec;
}

// The child of a fork may change its user (tests do): what the parent's folder let it reach must
// be looked up again under the child's own permissions.
void ForgetInChild() {
    t_kept.Forget();
}

void ArmClosing() {
    static const bool registered = pthread_atfork(nullptr, nullptr, ForgetInChild) == 0;
    static_cast<void>(registered);
    t_closer.armed = true;
}

}  // namespace

LookupStart StartLookup(const std::string& native) {
    const LookupStart whole{AT_FDCWD, native.c_str(), false};
    // The kernel refuses a path of PATH_MAX bytes or more; its folder and name alone it would not.
    if (native.size() >= PATH_MAX)
        return whole;
    const std::size_t slash = native.rfind('/');
    if (slash == std::string::npos)
        return whole;
    const std::string_view name = std::string_view(native).substr(slash + 1);
    if (name.empty() || name == "." || name == "..")
        return whole;

    KeptFolder& kept = t_kept;
    if (kept.threadEnded)
        return whole;
    const std::string_view folder = std::string_view(native).substr(0, slash + 1);
    if (kept.Text() != folder) {
        // A single lookup in a folder is not worth opening it.
        kept.Close();
        std::memcpy(kept.text, folder.data(), folder.size());
        kept.text[folder.size()] = '\0';
        kept.length = folder.size();
        return whole;
    }
    const std::int64_t now = Now();
    if (kept.descriptor >= 0 && now - kept.openedAt >= kKeptNanoseconds)
        kept.Close();
    if (kept.descriptor < 0) {
        // The separator kept at the end makes the open follow a link, as a path's inner part does.
        // The kernel's limit on links followed per lookup now counts the folder and the name apart.
        const int descriptor = open(kept.text, O_PATH | O_DIRECTORY | O_CLOEXEC);
        if (descriptor < 0)
            return whole;
        ArmClosing();
        kept.descriptor = descriptor;
        kept.openedAt = now;
    }
    return {kept.descriptor, native.c_str() + slash + 1, true};
}

void ForgetKeptFolder() {
    t_kept.Forget();
}
