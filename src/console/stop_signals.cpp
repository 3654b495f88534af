#include "console/stop_signals.h"

std::optional<std::u16string> StopSignals::Received() const {
    const std::lock_guard lock(mutex_);
    return received_;
}

std::u16string StoppedBySignalText(const std::u16string& name) {
    return u"シグナル " + name + u" を受けたため中断しました。";
}
