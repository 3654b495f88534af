// The four-lane engine: four messages in the 32-bit lanes of SSE2 registers. This file is
// compiled with -msse2, so it holds nothing but this engine.
#include <emmintrin.h>

#include "digest/md5_lane_kernels.h"
#include "digest/md5_lane_steps.h"

namespace {

struct Sse2Lanes {
    using Vector = __m128i;
    static constexpr int kLanes = 4;

    static Vector Add(Vector x, Vector y) { return _mm_add_epi32(x, y); }
    static Vector And(Vector x, Vector y) { return _mm_and_si128(x, y); }
    static Vector Or(Vector x, Vector y) { return _mm_or_si128(x, y); }
    static Vector Xor(Vector x, Vector y) { return _mm_xor_si128(x, y); }
    static Vector AndNot(Vector x, Vector y) { return _mm_andnot_si128(x, y); }
    static Vector Ones() { return _mm_set1_epi32(-1); }
    static Vector Splat(std::uint32_t word) {
        return _mm_set1_epi32(static_cast<std::int32_t>(word));
    }
    // SSE2 has no rotation: two shifts and an or.
    static Vector Rotl(Vector v, int s) {
        return _mm_or_si128(_mm_slli_epi32(v, s), _mm_srli_epi32(v, 32 - s));
    }

    // Row i holds four words of lane i; a 4 x 4 transpose gives each word of the four lanes.
    static void LoadWords(const std::uint8_t* const (&data)[kLanes], std::size_t offset,
                          Vector (&x)[16]) {
        for (int group = 0; group < 4; ++group) {
            const std::size_t at = offset + 16 * static_cast<std::size_t>(group);
            Vector row[4];
            for (int i = 0; i < 4; ++i)
                row[i] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data[i] + at));
            const Vector words01Of01 = _mm_unpacklo_epi32(row[0], row[1]);
            const Vector words23Of01 = _mm_unpackhi_epi32(row[0], row[1]);
            const Vector words01Of23 = _mm_unpacklo_epi32(row[2], row[3]);
            const Vector words23Of23 = _mm_unpackhi_epi32(row[2], row[3]);
            x[4 * group + 0] = _mm_unpacklo_epi64(words01Of01, words01Of23);
            x[4 * group + 1] = _mm_unpackhi_epi64(words01Of01, words01Of23);
            x[4 * group + 2] = _mm_unpacklo_epi64(words23Of01, words23Of23);
            x[4 * group + 3] = _mm_unpackhi_epi64(words23Of01, words23Of23);
        }
    }
};

}  // namespace

void Md5TransformLanesSse2(std::uint32_t (&state)[4][4], const std::uint8_t* const (&data)[4],
                           std::size_t blocks) {
    __m128i vectors[4];
    for (int word = 0; word < 4; ++word)
        vectors[word] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(state[word]));
    Md5LaneSteps<Sse2Lanes>::Transform(vectors, data, blocks);
    for (int word = 0; word < 4; ++word)
        _mm_storeu_si128(reinterpret_cast<__m128i*>(state[word]), vectors[word]);
}
