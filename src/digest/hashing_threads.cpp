#include "digest/hashing_threads.h"

#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <string_view>
#include <thread>

namespace {

constexpr int kMostThreads = 16;

}  // namespace

int HashingThreadCount() {
    if (const char* asked = std::getenv("HASHWICK_THREADS"); asked != nullptr) {
        const std::string_view text(asked);
        int count = 0;
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), count);
        if (error == std::errc() && end == text.data() + text.size() && count >= 1 &&
            count <= kMostThreads) {
            return count;
        }
    }
    const auto processors = static_cast<int>(std::thread::hardware_concurrency());
    return std::clamp(processors, 1, kMostThreads);
}
