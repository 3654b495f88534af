#include "digest/md5_lanes.h"

#include <algorithm>

#include "digest/md5_lane_kernels.h"

namespace {

constexpr int kMostLanes = 8;

template <std::size_t kLanes>
using LaneKernel = void (*)(std::uint32_t (&)[4][kLanes], const std::uint8_t* const (&)[kLanes],
                            std::size_t);

// Gathers the contexts' states into lanes, runs the kernel and gives each used lane's state back.
// A lane without a context repeats the first one; its result is dropped.
template <std::size_t kLanes>
void RunLanes(LaneKernel<kLanes> kernel, Md5Context* const contexts[],
              const std::uint8_t* const data[], std::size_t blocks, int count) {
    const auto used = static_cast<std::size_t>(count);
    std::uint32_t state[4][kLanes];
    const std::uint8_t* lanes[kLanes];
    for (std::size_t lane = 0; lane < kLanes; ++lane) {
        const std::size_t from = lane < used ? lane : 0;
        for (int word = 0; word < 4; ++word)
            state[word][lane] = contexts[from]->state[word];
        lanes[lane] = data[from];
    }
    kernel(state, lanes, blocks);
    for (std::size_t lane = 0; lane < used; ++lane) {
        for (int word = 0; word < 4; ++word)
            contexts[lane]->state[word] = state[word][lane];
    }
}

// Counts the blocks' bits as Md5Update does: modulo 2^64, the low word carrying into the high.
void CountBlocks(Md5Context& context, std::size_t blocks) {
    const std::uint64_t bits = (std::uint64_t{context.bitCountHigh} << 32 | context.bitCountLow) +
                               std::uint64_t{blocks} * 512;
    context.bitCountLow = static_cast<std::uint32_t>(bits);
    context.bitCountHigh = static_cast<std::uint32_t>(bits >> 32);
}

}  // namespace

Md5LaneEngine Md5BestLaneEngine() {
    // The processor's features do not change while the program runs.
    static const Md5LaneEngine best = [] {
        __builtin_cpu_init();
        if (__builtin_cpu_supports("avx2"))
            return Md5LaneEngine::Avx2;
        if (__builtin_cpu_supports("sse2"))
            return Md5LaneEngine::Sse2;
        return Md5LaneEngine::OneStream;
    }();
    return best;
}

int Md5LaneCount(Md5LaneEngine engine) {
    switch (engine) {
        case Md5LaneEngine::Sse2:
            return 4;
        case Md5LaneEngine::Avx2:
            return 8;
        case Md5LaneEngine::OneStream:
            break;
    }
    return 1;
}

void Md5UpdateLanes(Md5LaneEngine engine, Md5Context* const contexts[],
                    const std::uint8_t* const data[], std::size_t blocks, int count) {
    if (blocks == 0)
        return;
    const int width = Md5LaneCount(engine);
    for (int first = 0; first < count; first += width) {
        const int group = std::min(width, count - first);
        switch (engine) {
            case Md5LaneEngine::OneStream:
                for (std::size_t block = 0; block < blocks; ++block)
                    Md5Transform(*contexts[first], data[first] + 64 * block);
                break;
            case Md5LaneEngine::Sse2:
                RunLanes<4>(Md5TransformLanesSse2, contexts + first, data + first, blocks, group);
                break;
            case Md5LaneEngine::Avx2:
                RunLanes<8>(Md5TransformLanesAvx2, contexts + first, data + first, blocks, group);
                break;
        }
    }
    for (int i = 0; i < count; ++i)
        CountBlocks(*contexts[i], blocks);
}

void Md5DigestMessages(Md5LaneEngine engine,
                       std::span<const std::span<const std::uint8_t>> messages,
                       std::span<std::array<std::uint8_t, 16>> digests) {
    struct Lane {
        Md5Context context;
        std::size_t message;
        const std::uint8_t* next;  // the first block not yet compressed
        std::size_t blocksLeft;
    };
    std::size_t taken = 0;

    const auto finish = [&](Lane& lane) {
        const std::size_t tail = messages[lane.message].size() % 64;
        Md5Update(lane.context, lane.next, static_cast<std::int32_t>(tail));
        Md5Final(lane.context, digests[lane.message].data());
    };
    // Gives the lane the next message with a whole block, finishing those without one at once.
    const auto start = [&](Lane& lane) {
        while (taken < messages.size()) {
            lane.message = taken++;
            Md5Init(lane.context);
            lane.next = messages[lane.message].data();
            lane.blocksLeft = messages[lane.message].size() / 64;
            if (lane.blocksLeft > 0)
                return true;
            finish(lane);
        }
        return false;
    };

    Lane storage[kMostLanes];
    Lane* lanes[kMostLanes];
    int active = 0;
    for (int i = 0; i < Md5LaneCount(engine) && start(storage[i]); ++i)
        lanes[active++] = &storage[i];

    while (active > 0) {
        std::size_t blocks = lanes[0]->blocksLeft;
        Md5Context* contexts[kMostLanes];
        const std::uint8_t* data[kMostLanes];
        for (int i = 0; i < active; ++i) {
            blocks = std::min(blocks, lanes[i]->blocksLeft);
            contexts[i] = &lanes[i]->context;
            data[i] = lanes[i]->next;
        }
        Md5UpdateLanes(engine, contexts, data, blocks, active);

        for (int i = 0; i < active;) {
            Lane& lane = *lanes[i];
            lane.next += 64 * blocks;
            lane.blocksLeft -= blocks;
            if (lane.blocksLeft == 0) {
                finish(lane);
                if (!start(lane)) {
                    // The last active lane takes this place and is advanced in this pass.
                    lanes[i] = lanes[--active];
                    continue;
                }
            }
            ++i;
        }
    }
}
