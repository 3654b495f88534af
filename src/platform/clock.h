// The tick: milliseconds of real time since the process started, as a signed 32-bit count.
#pragma once

#include <cstdint>

using Tick = std::int32_t;

// Wraps around after about 24.8 days; differences of two ticks stay right across the wrap.
Tick CurrentTick();
