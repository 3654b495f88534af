// Ctrl+C (SIGINT), SIGTERM and SIGHUP as requests to stop: instead of ending the process, each
// signal is handed to a function on a thread of the watcher's own. On Windows the console's
// events are these signals: Ctrl+C and Ctrl+Break are SIGINT, closing the console SIGHUP, and
// logging off or shutting down SIGTERM; the system gives each its own thread.
#pragma once

#include <atomic>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

class StopSignals {
  public:
    // Gets the signal's name ("SIGINT"); runs on the watcher's thread.
    using Handler = std::function<void(const std::u16string& name)>;

    // Must be created before any other thread, so that every thread leaves the signals to it.
    // Where no thread can be had to watch them, the signals keep their usual effect.
    explicit StopSignals(Handler handler);
    ~StopSignals();
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

    // The name of the first signal received, if any.
    std::optional<std::u16string> Received() const;

  private:
    Handler handler_;
    mutable std::mutex mutex_;
    std::optional<std::u16string> received_;
#ifdef _WIN32
    friend struct ConsoleEvents;
#else
    // Waits for the signals' descriptor, or polls for the signals where there is none.
    void Watch();
    void Poll();
    void Deliver(int signal);

    int signals_ = -1;  // the stop signals, read as they come
    int wake_ = -1;     // tells the watcher to end
    std::atomic<bool> ending_ = false;
    std::thread watcher_;
#endif
};

// What the program says when a signal stopped it.
std::u16string StoppedBySignalText(const std::u16string& name);
