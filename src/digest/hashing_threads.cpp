#include "digest/hashing_threads.h"

#include <algorithm>
#include <atomic>
#include <charconv>
#include <cstdlib>
#include <string>
#include <string_view>
#include <thread>

#include "console/console_status.h"
#include "platform/path_text.h"

namespace {

constexpr int kMostThreads = 16;

int ProcessorCount() {
    return std::clamp(static_cast<int>(std::thread::hardware_concurrency()), 1, kMostThreads);
}

// The count a setting asks for; 0 when it is no count at all. A number past the largest count
// asks for the largest.
int CountAsked(std::string_view text) {
    long long count = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), count);
    if (end != text.data() + text.size() || text.empty())
        return 0;
    if (error == std::errc::result_out_of_range)
        return text.front() == '-' ? 0 : kMostThreads;
    if (error != std::errc() || count < 1)
        return 0;
    return static_cast<int>(std::min<long long>(count, kMostThreads));
}

// Said once per process: a run asks for the count more than once.
void SayWhatIsUsed(std::string_view asked, int used) {
    static std::atomic<bool> said{false};
    if (said.exchange(true))
        return;
    const std::string usedText = std::to_string(used);
    WriteErrorLine(u"Hashwick: HASHWICK_THREADS=" + NativeToWide(asked) +
                   u" は1から16までの数ではありません。" +
                   std::u16string(usedText.begin(), usedText.end()) + u"スレッドで動きます。");
}

}  // namespace

int HashingThreadCount() {
    const char* asked = std::getenv("HASHWICK_THREADS");
    if (asked == nullptr)
        return ProcessorCount();
    const std::string_view text(asked);
    const int count = CountAsked(text);
    if (count >= 1 && std::to_string(count) == text)
        return count;
    const int used = count >= 1 ? count : ProcessorCount();
    SayWhatIsUsed(text, used);
    return used;
}
