#include <chrono>

#include "platform/clock.h"

namespace {

using Clock = std::chrono::steady_clock;

// Taken during static initialisation, which is as near to the process start as a program gets.
const Clock::time_point processStart = Clock::now();

}  // namespace

Tick CurrentTick() {
    const auto elapsed =
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - processStart).count();
    return static_cast<Tick>(static_cast<std::uint32_t>(elapsed));
}
