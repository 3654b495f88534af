// The 64 steps of RFC 1321 on vectors whose 32-bit lanes hold independent messages, in the order
// and with the constants of md5.cpp. Only the vector engine files include this, each with a type
// `L` of its own instruction set that gives Vector, kLanes, Add, And, Or, Xor, AndNot(x, y) =
// ~x & y, Ones() (all bits set), Splat(word) (the word in every lane), Rotl(v, s), and
// LoadWords(data, offset, x), which puts word w of the block at data[i] + offset in lane i of x[w].
#pragma once

#include <cstddef>
#include <cstdint>

template <class L>
struct Md5LaneSteps {
    using V = typename L::Vector;

    // The four functions as in md5.cpp; ~z is an and-not in G and an xor with all ones in I.
    static V F(V x, V y, V z) { return L::Xor(z, L::And(x, L::Xor(y, z))); }
    static V G(V x, V y, V z) { return L::Add(L::And(x, z), L::AndNot(z, y)); }
    static V H(V x, V y, V z) { return L::Xor(x, L::Xor(y, z)); }
    static V I(V x, V y, V z) { return L::Xor(y, L::Or(x, L::Xor(z, L::Ones()))); }

    // The value as it is: the compiler may not regroup the sum that formed it. Left free, it adds
    // f to a first and so puts one more addition on the path from each step to the next.
    static V Settled(V v) {
        asm("" : "+x"(v));
        return v;
    }

// One step: a = b + ((a + f(b, c, d) + x + t) <<< s). The sum starts with the terms that do not
// wait for b, the result of the step before.
#define MD5_LANE_STEP(f, a, b, c, d, x, s, t)                                                     \
    do {                                                                                          \
        (a) = L::Add(Settled(L::Add((a), L::Add((x), L::Splat(UINT32_C(t))))), f((b), (c), (d))); \
        (a) = L::Rotl((a), (s));                                                                  \
        (a) = L::Add((a), (b));                                                                   \
    } while (false)

    // Compresses `blocks` consecutive blocks of every lane into state (A, B, C, D of all lanes),
    // which stays in registers from block to block.
    static void Transform(V (&state)[4], const std::uint8_t* const (&data)[L::kLanes],
                          std::size_t blocks) {
        V a = state[0];
        V b = state[1];
        V c = state[2];
        V d = state[3];
        for (std::size_t block = 0; block < blocks; ++block) {
            V x[16];
            L::LoadWords(data, 64 * block, x);
            const V aa = a;
            const V bb = b;
            const V cc = c;
            const V dd = d;

            // Round 1
            MD5_LANE_STEP(F, a, b, c, d, x[0], 7, 0xd76aa478);
            MD5_LANE_STEP(F, d, a, b, c, x[1], 12, 0xe8c7b756);
            MD5_LANE_STEP(F, c, d, a, b, x[2], 17, 0x242070db);
            MD5_LANE_STEP(F, b, c, d, a, x[3], 22, 0xc1bdceee);
            MD5_LANE_STEP(F, a, b, c, d, x[4], 7, 0xf57c0faf);
            MD5_LANE_STEP(F, d, a, b, c, x[5], 12, 0x4787c62a);
            MD5_LANE_STEP(F, c, d, a, b, x[6], 17, 0xa8304613);
            MD5_LANE_STEP(F, b, c, d, a, x[7], 22, 0xfd469501);
            MD5_LANE_STEP(F, a, b, c, d, x[8], 7, 0x698098d8);
            MD5_LANE_STEP(F, d, a, b, c, x[9], 12, 0x8b44f7af);
            MD5_LANE_STEP(F, c, d, a, b, x[10], 17, 0xffff5bb1);
            MD5_LANE_STEP(F, b, c, d, a, x[11], 22, 0x895cd7be);
            MD5_LANE_STEP(F, a, b, c, d, x[12], 7, 0x6b901122);
            MD5_LANE_STEP(F, d, a, b, c, x[13], 12, 0xfd987193);
            MD5_LANE_STEP(F, c, d, a, b, x[14], 17, 0xa679438e);
            MD5_LANE_STEP(F, b, c, d, a, x[15], 22, 0x49b40821);

            // Round 2
            MD5_LANE_STEP(G, a, b, c, d, x[1], 5, 0xf61e2562);
            MD5_LANE_STEP(G, d, a, b, c, x[6], 9, 0xc040b340);
            MD5_LANE_STEP(G, c, d, a, b, x[11], 14, 0x265e5a51);
            MD5_LANE_STEP(G, b, c, d, a, x[0], 20, 0xe9b6c7aa);
            MD5_LANE_STEP(G, a, b, c, d, x[5], 5, 0xd62f105d);
            MD5_LANE_STEP(G, d, a, b, c, x[10], 9, 0x02441453);
            MD5_LANE_STEP(G, c, d, a, b, x[15], 14, 0xd8a1e681);
            MD5_LANE_STEP(G, b, c, d, a, x[4], 20, 0xe7d3fbc8);
            MD5_LANE_STEP(G, a, b, c, d, x[9], 5, 0x21e1cde6);
            MD5_LANE_STEP(G, d, a, b, c, x[14], 9, 0xc33707d6);
            MD5_LANE_STEP(G, c, d, a, b, x[3], 14, 0xf4d50d87);
            MD5_LANE_STEP(G, b, c, d, a, x[8], 20, 0x455a14ed);
            MD5_LANE_STEP(G, a, b, c, d, x[13], 5, 0xa9e3e905);
            MD5_LANE_STEP(G, d, a, b, c, x[2], 9, 0xfcefa3f8);
            MD5_LANE_STEP(G, c, d, a, b, x[7], 14, 0x676f02d9);
            MD5_LANE_STEP(G, b, c, d, a, x[12], 20, 0x8d2a4c8a);

            // Round 3
            MD5_LANE_STEP(H, a, b, c, d, x[5], 4, 0xfffa3942);
            MD5_LANE_STEP(H, d, a, b, c, x[8], 11, 0x8771f681);
            MD5_LANE_STEP(H, c, d, a, b, x[11], 16, 0x6d9d6122);
            MD5_LANE_STEP(H, b, c, d, a, x[14], 23, 0xfde5380c);
            MD5_LANE_STEP(H, a, b, c, d, x[1], 4, 0xa4beea44);
            MD5_LANE_STEP(H, d, a, b, c, x[4], 11, 0x4bdecfa9);
            MD5_LANE_STEP(H, c, d, a, b, x[7], 16, 0xf6bb4b60);
            MD5_LANE_STEP(H, b, c, d, a, x[10], 23, 0xbebfbc70);
            MD5_LANE_STEP(H, a, b, c, d, x[13], 4, 0x289b7ec6);
            MD5_LANE_STEP(H, d, a, b, c, x[0], 11, 0xeaa127fa);
            MD5_LANE_STEP(H, c, d, a, b, x[3], 16, 0xd4ef3085);
            MD5_LANE_STEP(H, b, c, d, a, x[6], 23, 0x04881d05);
            MD5_LANE_STEP(H, a, b, c, d, x[9], 4, 0xd9d4d039);
            MD5_LANE_STEP(H, d, a, b, c, x[12], 11, 0xe6db99e5);
            MD5_LANE_STEP(H, c, d, a, b, x[15], 16, 0x1fa27cf8);
            MD5_LANE_STEP(H, b, c, d, a, x[2], 23, 0xc4ac5665);

            // Round 4
            MD5_LANE_STEP(I, a, b, c, d, x[0], 6, 0xf4292244);
            MD5_LANE_STEP(I, d, a, b, c, x[7], 10, 0x432aff97);
            MD5_LANE_STEP(I, c, d, a, b, x[14], 15, 0xab9423a7);
            MD5_LANE_STEP(I, b, c, d, a, x[5], 21, 0xfc93a039);
            MD5_LANE_STEP(I, a, b, c, d, x[12], 6, 0x655b59c3);
            MD5_LANE_STEP(I, d, a, b, c, x[3], 10, 0x8f0ccc92);
            MD5_LANE_STEP(I, c, d, a, b, x[10], 15, 0xffeff47d);
            MD5_LANE_STEP(I, b, c, d, a, x[1], 21, 0x85845dd1);
            MD5_LANE_STEP(I, a, b, c, d, x[8], 6, 0x6fa87e4f);
            MD5_LANE_STEP(I, d, a, b, c, x[15], 10, 0xfe2ce6e0);
            MD5_LANE_STEP(I, c, d, a, b, x[6], 15, 0xa3014314);
            MD5_LANE_STEP(I, b, c, d, a, x[13], 21, 0x4e0811a1);
            MD5_LANE_STEP(I, a, b, c, d, x[4], 6, 0xf7537e82);
            MD5_LANE_STEP(I, d, a, b, c, x[11], 10, 0xbd3af235);
            MD5_LANE_STEP(I, c, d, a, b, x[2], 15, 0x2ad7d2bb);
            MD5_LANE_STEP(I, b, c, d, a, x[9], 21, 0xeb86d391);

            a = L::Add(a, aa);
            b = L::Add(b, bb);
            c = L::Add(c, cc);
            d = L::Add(d, dd);
        }
        state[0] = a;
        state[1] = b;
        state[2] = c;
        state[3] = d;
    }

#undef MD5_LANE_STEP
};
