#include "digest/md5.h"

#include <bit>
#include <cstring>

namespace {

// The four functions of RFC 1321. F is the RFC's (x & y) | (~x & z) with one operation less.
// G's two terms never share a set bit, so their OR is their sum: written as a sum, the term that
// does not depend on x (the previous step's result) is added while x is still being computed.
constexpr std::uint32_t F(std::uint32_t x, std::uint32_t y, std::uint32_t z) {
    return z ^ (x & (y ^ z));
}
constexpr std::uint32_t G(std::uint32_t x, std::uint32_t y, std::uint32_t z) {
    return (x & z) + (y & ~z);
}
constexpr std::uint32_t H(std::uint32_t x, std::uint32_t y, std::uint32_t z) {
    return x ^ y ^ z;
}
constexpr std::uint32_t I(std::uint32_t x, std::uint32_t y, std::uint32_t z) {
    return y ^ (x | ~z);
}

// One step: a = b + ((a + f(b, c, d) + x + t) <<< s).
#define MD5_STEP(f, a, b, c, d, x, s, t)             \
    do {                                             \
        (a) += f((b), (c), (d)) + (x) + UINT32_C(t); \
        (a) = std::rotl((a), (s));                   \
        (a) += (b);                                  \
    } while (false)

// Message words are little-endian.
std::uint32_t LoadWord(const std::uint8_t* bytes) {
    std::uint32_t word;
    if constexpr (std::endian::native == std::endian::little) {
        std::memcpy(&word, bytes, sizeof word);
    } else {
        word = std::uint32_t{bytes[0]} | std::uint32_t{bytes[1]} << 8 |
               std::uint32_t{bytes[2]} << 16 | std::uint32_t{bytes[3]} << 24;
    }
    return word;
}

void StoreWord(std::uint32_t word, std::uint8_t* bytes) {
    for (int i = 0; i < 4; ++i)
        bytes[i] = static_cast<std::uint8_t>(word >> (8 * i));
}

constexpr std::uint8_t kPadding[64] = {0x80};

}  // namespace

void Md5Init(Md5Context& context) {
    context.bitCountLow = 0;
    context.bitCountHigh = 0;
    context.state[0] = 0x67452301;
    context.state[1] = 0xefcdab89;
    context.state[2] = 0x98badcfe;
    context.state[3] = 0x10325476;
}

void Md5Transform(Md5Context& context, const std::uint8_t* block) {
    // An unaligned block is copied once into aligned storage so that its words are whole reads.
    alignas(std::uint32_t) std::uint8_t aligned[64];
    if (reinterpret_cast<std::uintptr_t>(block) % alignof(std::uint32_t) != 0) {
        std::memcpy(aligned, block, sizeof aligned);
        block = aligned;
    }
    std::uint32_t x[16];
    for (int i = 0; i < 16; ++i)
        x[i] = LoadWord(block + 4 * i);

    std::uint32_t a = context.state[0];
    std::uint32_t b = context.state[1];
    std::uint32_t c = context.state[2];
    std::uint32_t d = context.state[3];

    // Round 1
    MD5_STEP(F, a, b, c, d, x[0], 7, 0xd76aa478);
    MD5_STEP(F, d, a, b, c, x[1], 12, 0xe8c7b756);
    MD5_STEP(F, c, d, a, b, x[2], 17, 0x242070db);
    MD5_STEP(F, b, c, d, a, x[3], 22, 0xc1bdceee);
    MD5_STEP(F, a, b, c, d, x[4], 7, 0xf57c0faf);
    MD5_STEP(F, d, a, b, c, x[5], 12, 0x4787c62a);
    MD5_STEP(F, c, d, a, b, x[6], 17, 0xa8304613);
    MD5_STEP(F, b, c, d, a, x[7], 22, 0xfd469501);
    MD5_STEP(F, a, b, c, d, x[8], 7, 0x698098d8);
    MD5_STEP(F, d, a, b, c, x[9], 12, 0x8b44f7af);
    MD5_STEP(F, c, d, a, b, x[10], 17, 0xffff5bb1);
    MD5_STEP(F, b, c, d, a, x[11], 22, 0x895cd7be);
    MD5_STEP(F, a, b, c, d, x[12], 7, 0x6b901122);
    MD5_STEP(F, d, a, b, c, x[13], 12, 0xfd987193);
    MD5_STEP(F, c, d, a, b, x[14], 17, 0xa679438e);
    MD5_STEP(F, b, c, d, a, x[15], 22, 0x49b40821);

    // Round 2
    MD5_STEP(G, a, b, c, d, x[1], 5, 0xf61e2562);
    MD5_STEP(G, d, a, b, c, x[6], 9, 0xc040b340);
    MD5_STEP(G, c, d, a, b, x[11], 14, 0x265e5a51);
    MD5_STEP(G, b, c, d, a, x[0], 20, 0xe9b6c7aa);
    MD5_STEP(G, a, b, c, d, x[5], 5, 0xd62f105d);
    MD5_STEP(G, d, a, b, c, x[10], 9, 0x02441453);
    MD5_STEP(G, c, d, a, b, x[15], 14, 0xd8a1e681);
    MD5_STEP(G, b, c, d, a, x[4], 20, 0xe7d3fbc8);
    MD5_STEP(G, a, b, c, d, x[9], 5, 0x21e1cde6);
    MD5_STEP(G, d, a, b, c, x[14], 9, 0xc33707d6);
    MD5_STEP(G, c, d, a, b, x[3], 14, 0xf4d50d87);
    MD5_STEP(G, b, c, d, a, x[8], 20, 0x455a14ed);
    MD5_STEP(G, a, b, c, d, x[13], 5, 0xa9e3e905);
    MD5_STEP(G, d, a, b, c, x[2], 9, 0xfcefa3f8);
    MD5_STEP(G, c, d, a, b, x[7], 14, 0x676f02d9);
    MD5_STEP(G, b, c, d, a, x[12], 20, 0x8d2a4c8a);

    // Round 3
    MD5_STEP(H, a, b, c, d, x[5], 4, 0xfffa3942);
    MD5_STEP(H, d, a, b, c, x[8], 11, 0x8771f681);
    MD5_STEP(H, c, d, a, b, x[11], 16, 0x6d9d6122);
    MD5_STEP(H, b, c, d, a, x[14], 23, 0xfde5380c);
    MD5_STEP(H, a, b, c, d, x[1], 4, 0xa4beea44);
    MD5_STEP(H, d, a, b, c, x[4], 11, 0x4bdecfa9);
    MD5_STEP(H, c, d, a, b, x[7], 16, 0xf6bb4b60);
    MD5_STEP(H, b, c, d, a, x[10], 23, 0xbebfbc70);
    MD5_STEP(H, a, b, c, d, x[13], 4, 0x289b7ec6);
    MD5_STEP(H, d, a, b, c, x[0], 11, 0xeaa127fa);
    MD5_STEP(H, c, d, a, b, x[3], 16, 0xd4ef3085);
    MD5_STEP(H, b, c, d, a, x[6], 23, 0x04881d05);
    MD5_STEP(H, a, b, c, d, x[9], 4, 0xd9d4d039);
    MD5_STEP(H, d, a, b, c, x[12], 11, 0xe6db99e5);
    MD5_STEP(H, c, d, a, b, x[15], 16, 0x1fa27cf8);
    MD5_STEP(H, b, c, d, a, x[2], 23, 0xc4ac5665);

    // Round 4
    MD5_STEP(I, a, b, c, d, x[0], 6, 0xf4292244);
    MD5_STEP(I, d, a, b, c, x[7], 10, 0x432aff97);
    MD5_STEP(I, c, d, a, b, x[14], 15, 0xab9423a7);
    MD5_STEP(I, b, c, d, a, x[5], 21, 0xfc93a039);
    MD5_STEP(I, a, b, c, d, x[12], 6, 0x655b59c3);
    MD5_STEP(I, d, a, b, c, x[3], 10, 0x8f0ccc92);
    MD5_STEP(I, c, d, a, b, x[10], 15, 0xffeff47d);
    MD5_STEP(I, b, c, d, a, x[1], 21, 0x85845dd1);
    MD5_STEP(I, a, b, c, d, x[8], 6, 0x6fa87e4f);
    MD5_STEP(I, d, a, b, c, x[15], 10, 0xfe2ce6e0);
    MD5_STEP(I, c, d, a, b, x[6], 15, 0xa3014314);
    MD5_STEP(I, b, c, d, a, x[13], 21, 0x4e0811a1);
    MD5_STEP(I, a, b, c, d, x[4], 6, 0xf7537e82);
    MD5_STEP(I, d, a, b, c, x[11], 10, 0xbd3af235);
    MD5_STEP(I, c, d, a, b, x[2], 15, 0x2ad7d2bb);
    MD5_STEP(I, b, c, d, a, x[9], 21, 0xeb86d391);

    context.state[0] += a;
    context.state[1] += b;
    context.state[2] += c;
    context.state[3] += d;
}

void Md5Update(Md5Context& context, const std::uint8_t* data, std::int32_t length) {
    if (length <= 0)
        return;
    auto remaining = static_cast<std::uint32_t>(length);
    const std::uint32_t held = (context.bitCountLow >> 3) & 63;

    const std::uint32_t addedBits = remaining << 3;
    context.bitCountLow += addedBits;
    context.bitCountHigh += remaining >> 29;
    if (context.bitCountLow < addedBits)
        ++context.bitCountHigh;

    if (held != 0) {
        const std::uint32_t take = held + remaining > 64 ? 64 - held : remaining;
        std::memcpy(context.buffer + held, data, take);
        if (held + take < 64)
            return;
        Md5Transform(context, context.buffer);
        data += take;
        remaining -= take;
    }
    for (; remaining >= 64; data += 64, remaining -= 64)
        Md5Transform(context, data);
    if (remaining > 0)
        std::memcpy(context.buffer, data, remaining);
}

void Md5Final(Md5Context& context, std::uint8_t digest[16]) {
    std::uint8_t bitCount[8];
    StoreWord(context.bitCountLow, bitCount);
    StoreWord(context.bitCountHigh, bitCount + 4);

    const std::uint32_t held = (context.bitCountLow >> 3) & 63;
    const std::uint32_t paddingLength = ((55 - held) & 63) + 1;
    Md5Update(context, kPadding, static_cast<std::int32_t>(paddingLength));
    Md5Update(context, bitCount, sizeof bitCount);

    for (int i = 0; i < 4; ++i)
        StoreWord(context.state[i], digest + 4 * i);
}
