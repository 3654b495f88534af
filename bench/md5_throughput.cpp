// Engine throughput on buffers of the sizes a file read, a peer's block and a big buffer give.
#include <benchmark/benchmark.h>

#include <vector>

#include "digest/md5.h"

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

}  // namespace
