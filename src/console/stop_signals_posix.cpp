#include <poll.h>
#include <signal.h>
#include <sys/eventfd.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <cstdint>
#include <new>
#include <system_error>

#include "console/stop_signals.h"

namespace {

sigset_t StopSignalSet() {
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    sigaddset(&signals, SIGHUP);
    return signals;
}

// The names are short enough to need no memory of their own.
std::u16string SignalName(int signal) {
    switch (signal) {
        case SIGINT:
            return u"SIGINT";
        case SIGTERM:
            return u"SIGTERM";
        default:
            return u"SIGHUP";
    }
}

}  // namespace

StopSignals::StopSignals(Handler handler) : handler_(std::move(handler)) {
    const sigset_t signals = StopSignalSet();
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
    signals_ = signalfd(-1, &signals, SFD_CLOEXEC);
    wake_ = eventfd(0, EFD_CLOEXEC);
    try {
        // Without descriptors to wait on (none left to this process), the watcher asks for the
        // signals ten times a second instead.
        if (signals_ >= 0 && wake_ >= 0)
            watcher_ = std::thread(&StopSignals::Watch, this);
        else
            watcher_ = std::thread(&StopSignals::Poll, this);
    } catch (const std::system_error&) {
        // No thread to hand the signals to: they keep their usual effect and end the process.
        pthread_sigmask(SIG_UNBLOCK, &signals, nullptr);
    }
}

StopSignals::~StopSignals() {
    ending_ = true;
    if (wake_ >= 0) {
        const std::uint64_t one = 1;
        while (write(wake_, &one, sizeof one) < 0 && errno == EINTR) {
        }
    }
    if (watcher_.joinable())
        watcher_.join();
    if (signals_ >= 0)
        close(signals_);
    if (wake_ >= 0)
        close(wake_);
}

void StopSignals::Watch() {
    for (;;) {
        pollfd ready[2] = {{signals_, POLLIN, 0}, {wake_, POLLIN, 0}};
        if (poll(ready, 2, -1) < 0) {
            if (errno == EINTR)
                continue;
            return;
        }
        if ((ready[1].revents & POLLIN) != 0)
            return;
        signalfd_siginfo received{};
        if (read(signals_, &received, sizeof received) == sizeof received)
            Deliver(static_cast<int>(received.ssi_signo));
    }
}

void StopSignals::Poll() {
    const sigset_t signals = StopSignalSet();
    const timespec interval{0, 100'000'000};
    while (!ending_) {
        const int signal = sigtimedwait(&signals, nullptr, &interval);
        if (signal > 0)
            Deliver(signal);
    }
}

void StopSignals::Deliver(int signal) {
    const std::u16string name = SignalName(signal);
    {
        const std::lock_guard lock(mutex_);
        if (!received_)
            received_ = name;
    }
    try {
        handler_(name);
    } catch (const std::bad_alloc&) {
        // The signal is on record; whoever asks Received() learns of it.
    }
}
