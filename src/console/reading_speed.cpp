#include "console/reading_speed.h"

#include <cstdio>

namespace {

std::u16string Widened(const char* text) {
    return std::u16string(text, text + std::char_traits<char>::length(text));
}

std::u16string DurationText(std::uint64_t seconds) {
    char text[32];
    if (seconds >= 3600) {
        std::snprintf(text, sizeof text, "%llu:%02llu:%02llu",
                      static_cast<unsigned long long>(seconds / 3600),
                      static_cast<unsigned long long>(seconds / 60 % 60),
                      static_cast<unsigned long long>(seconds % 60));
    } else {
        std::snprintf(text, sizeof text, "%llu:%02llu",
                      static_cast<unsigned long long>(seconds / 60),
                      static_cast<unsigned long long>(seconds % 60));
    }
    return Widened(text);
}

}  // namespace

std::u16string ReadingSpeedText(const ReadProgress& progress) {
    const double seconds = std::chrono::duration<double>(progress.elapsed).count();
    if (seconds < 1.0)
        return {};
    char speed[32];
    std::snprintf(speed, sizeof speed, "  %.1f MB/s",
                  static_cast<double>(progress.bytes) / 1e6 / seconds);
    std::u16string text = Widened(speed);
    if (!progress.ended && progress.filesDone > 0 && progress.filesDone < progress.filesTotal) {
        const double left = seconds *
                            static_cast<double>(progress.filesTotal - progress.filesDone) /
                            static_cast<double>(progress.filesDone);
        text += u"  残り " + DurationText(static_cast<std::uint64_t>(left + 0.5));
    }
    return text;
}
