#include <windows.h>

#include "console/stop_signals.h"

// The console's event routine hands each event to the stop signals that are current.
struct ConsoleEvents {
    static std::mutex mutex;
    static StopSignals* current;

    static BOOL WINAPI Routine(DWORD event) {
        const std::u16string name = event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT ? u"SIGINT"
                                    : event == CTRL_CLOSE_EVENT                        ? u"SIGHUP"
                                                                                       : u"SIGTERM";
        const std::lock_guard lock(mutex);
        if (current == nullptr)
            return FALSE;
        {
            const std::lock_guard receivedLock(current->mutex_);
            if (!current->received_)
                current->received_ = name;
        }
        current->handler_(name);
        return TRUE;
    }
};

std::mutex ConsoleEvents::mutex;
StopSignals* ConsoleEvents::current = nullptr;

StopSignals::StopSignals(Handler handler) : handler_(std::move(handler)) {
    {
        const std::lock_guard lock(ConsoleEvents::mutex);
        ConsoleEvents::current = this;
    }
    SetConsoleCtrlHandler(&ConsoleEvents::Routine, TRUE);
}

StopSignals::~StopSignals() {
    SetConsoleCtrlHandler(&ConsoleEvents::Routine, FALSE);
    // An event being handled now finishes first.
    const std::lock_guard lock(ConsoleEvents::mutex);
    ConsoleEvents::current = nullptr;
}
