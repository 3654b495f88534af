// How far the reading of a run has come, for a console line that shows the speed and the time
// left: the readers count the bytes they deliver, the hashing pass says when it starts, how many
// files it has filed and when it ends. One meter for the process: one pass reads at a time.
#pragma once

#include <chrono>
#include <cstdint>

struct ReadProgress {
    std::uint64_t bytes = 0;  // read since the pass started
    std::uint64_t filesDone = 0;
    std::uint64_t filesTotal = 0;
    std::chrono::steady_clock::duration elapsed{};  // since the start, or from start to end
    bool ended = false;
};

// Starts the meter afresh for a pass over this many files.
void StartReadMeter(std::uint64_t filesTotal);
// Any thread; cheap enough to call on every read.
void CountBytesRead(std::uint64_t bytes);
void CountFilesDone(std::uint64_t filesDone);
// Holds the elapsed time where it is: the line shows what the whole pass reached.
void EndReadMeter();
// Nothing, all zero, before the first pass.
ReadProgress ReadMeterNow();
