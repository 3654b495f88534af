// The eight-lane engine: eight messages in the 32-bit lanes of AVX2 registers. This file is
// compiled with -mavx2, so it holds nothing but this engine: any code here may use AVX2.
#include <immintrin.h>

#include "digest/md5_lane_kernels.h"
#include "digest/md5_lane_steps.h"

namespace {

struct Avx2Lanes {
    using Vector = __m256i;
    static constexpr int kLanes = 8;

    static Vector Add(Vector x, Vector y) { return _mm256_add_epi32(x, y); }
    static Vector And(Vector x, Vector y) { return _mm256_and_si256(x, y); }
    static Vector Or(Vector x, Vector y) { return _mm256_or_si256(x, y); }
    static Vector Xor(Vector x, Vector y) { return _mm256_xor_si256(x, y); }
    static Vector AndNot(Vector x, Vector y) { return _mm256_andnot_si256(x, y); }
    static Vector Ones() { return _mm256_set1_epi32(-1); }
    static Vector Splat(std::uint32_t word) {
        return _mm256_set1_epi32(static_cast<std::int32_t>(word));
    }
    // AVX2 has no rotation: two shifts and an or, except for a turn by 16, where one byte shuffle
    // puts one operation less on the path from step to step.
    static Vector Rotl(Vector v, int s) {
        if (s == 16) {
            const Vector halvesSwapped =
                _mm256_setr_epi8(2, 3, 0, 1, 6, 7, 4, 5, 10, 11, 8, 9, 14, 15, 12, 13, 2, 3, 0, 1,
                                 6, 7, 4, 5, 10, 11, 8, 9, 14, 15, 12, 13);
            return _mm256_shuffle_epi8(v, halvesSwapped);
        }
        return _mm256_or_si256(_mm256_slli_epi32(v, s), _mm256_srli_epi32(v, 32 - s));
    }

    // Four words of lane i in the low half and of lane i + 4 in the high half of row i; a 4 x 4
    // transpose in each half then gives each word of all eight lanes in order.
    static void LoadWords(const std::uint8_t* const (&data)[kLanes], std::size_t offset,
                          Vector (&x)[16]) {
        for (int group = 0; group < 4; ++group) {
            const std::size_t at = offset + 16 * static_cast<std::size_t>(group);
            Vector row[4];
            for (int i = 0; i < 4; ++i) {
                const __m128i low = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data[i] + at));
                const __m128i high =
                    _mm_loadu_si128(reinterpret_cast<const __m128i*>(data[i + 4] + at));
                row[i] = _mm256_inserti128_si256(_mm256_castsi128_si256(low), high, 1);
            }
            const Vector words01Of01 = _mm256_unpacklo_epi32(row[0], row[1]);
            const Vector words23Of01 = _mm256_unpackhi_epi32(row[0], row[1]);
            const Vector words01Of23 = _mm256_unpacklo_epi32(row[2], row[3]);
            const Vector words23Of23 = _mm256_unpackhi_epi32(row[2], row[3]);
            x[4 * group + 0] = _mm256_unpacklo_epi64(words01Of01, words01Of23);
            x[4 * group + 1] = _mm256_unpackhi_epi64(words01Of01, words01Of23);
            x[4 * group + 2] = _mm256_unpacklo_epi64(words23Of01, words23Of23);
            x[4 * group + 3] = _mm256_unpackhi_epi64(words23Of01, words23Of23);
        }
    }
};

}  // namespace

void Md5TransformLanesAvx2(std::uint32_t (&state)[4][8], const std::uint8_t* const (&data)[8],
                           std::size_t blocks) {
    __m256i vectors[4];
    for (int word = 0; word < 4; ++word)
        vectors[word] = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(state[word]));
    Md5LaneSteps<Avx2Lanes>::Transform(vectors, data, blocks);
    for (int word = 0; word < 4; ++word)
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(state[word]), vectors[word]);
}
