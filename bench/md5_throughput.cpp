// Engine throughput on buffers of the sizes a file read, a peer's block and a big buffer give, and
// of the lane engines on eight messages at once.
#include <benchmark/benchmark.h>

#include <array>
#include <span>
#include <vector>

#include "digest/md5.h"
#include "digest/md5_lanes.h"

namespace {

void Md5Throughput(benchmark::State& state) {
    const auto size = static_cast<std::size_t>(state.range(0));
    std::vector<std::uint8_t> buffer(size);
    for (std::size_t i = 0; i < size; ++i)
        buffer[i] = static_cast<std::uint8_t>(i * 131);
    Md5Context context;
    Md5Init(context);
    for (auto _ : state) {
        Md5Update(context, buffer.data(), static_cast<std::int32_t>(size));
        benchmark::DoNotOptimize(context.state);
    }
    std::uint8_t digest[16];
    Md5Final(context, digest);
    benchmark::DoNotOptimize(digest);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * state.range(0));
}

BENCHMARK(Md5Throughput)->Arg(1024)->Arg(16 * 1024)->Arg(1024 * 1024);

// Eight whole messages of the given size per iteration, padding and digests included.
void Md5EightMessages(benchmark::State& state, Md5LaneEngine engine) {
    if (engine > Md5BestLaneEngine()) {
        state.SkipWithError("this processor lacks the engine's instructions");
        return;
    }
    const auto size = static_cast<std::size_t>(state.range(0));
    std::vector<std::uint8_t> buffer(8 * size);
    for (std::size_t i = 0; i < buffer.size(); ++i)
        buffer[i] = static_cast<std::uint8_t>(i * 131);
    std::vector<std::span<const std::uint8_t>> messages;
    for (std::size_t i = 0; i < 8; ++i)
        messages.emplace_back(buffer.data() + i * size, size);
    std::vector<std::array<std::uint8_t, 16>> digests(messages.size());
    for (auto _ : state) {
        Md5DigestMessages(engine, messages, digests);
        benchmark::DoNotOptimize(digests.data());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(buffer.size()));
}

BENCHMARK_CAPTURE(Md5EightMessages, OneStream, Md5LaneEngine::OneStream)->Arg(16 * 1024);
BENCHMARK_CAPTURE(Md5EightMessages, Sse2, Md5LaneEngine::Sse2)->Arg(16 * 1024);
BENCHMARK_CAPTURE(Md5EightMessages, Avx2, Md5LaneEngine::Avx2)->Arg(16 * 1024);

}  // namespace
