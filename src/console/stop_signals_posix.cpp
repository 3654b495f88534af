#include <poll.h>
#include <signal.h>
#include <sys/eventfd.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "console/stop_signals.h"
#include "platform/path_text.h"

namespace {

sigset_t StopSignalSet() {
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    sigaddset(&signals, SIGHUP);
    return signals;
}

}  // namespace

StopSignals::StopSignals(Handler handler) : handler_(std::move(handler)) {
    const sigset_t signals = StopSignalSet();
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
    signals_ = signalfd(-1, &signals, SFD_CLOEXEC);
    wake_ = eventfd(0, EFD_CLOEXEC);
    watcher_ = std::thread(&StopSignals::Watch, this);
}

StopSignals::~StopSignals() {
    const std::uint64_t one = 1;
    if (write(wake_, &one, sizeof one) != sizeof one)
        std::abort();
    watcher_.join();
    close(signals_);
    close(wake_);
}

void StopSignals::Watch() {
    for (;;) {
        pollfd ready[2] = {{signals_, POLLIN, 0}, {wake_, POLLIN, 0}};
        if (poll(ready, 2, -1) < 0 || (ready[1].revents & POLLIN) != 0)
            return;
        signalfd_siginfo received{};
        if (read(signals_, &received, sizeof received) != sizeof received)
            continue;
        const char* abbreviation = sigabbrev_np(static_cast<int>(received.ssi_signo));
        const std::u16string name =
            u"SIG" + NativeToWide(abbreviation != nullptr ? abbreviation : "");
        {
            const std::lock_guard lock(mutex_);
            if (!received_)
                received_ = name;
        }
        handler_(name);
    }
}
