// The MD5 message digest of RFC 1321: a plain context and three operations that allocate nothing
// and cannot fail.
#pragma once

#include <cstdint>

struct Md5Context {
    std::uint32_t bitCountLow;  // the number of message bits fed so far, modulo 2^64
    std::uint32_t bitCountHigh;
    std::uint32_t state[4];   // A, B, C, D
    std::uint8_t buffer[64];  // the start of the block still being filled
};

void Md5Init(Md5Context& context);

// Feeds length bytes; a length of zero or less changes nothing. Feeding a message in pieces gives
// the digest of feeding it at once.
void Md5Update(Md5Context& context, const std::uint8_t* data, std::int32_t length);

// Pads the message, appends its bit count and writes the 16 digest bytes. The context must be
// initialised again before it is used for another message.
void Md5Final(Md5Context& context, std::uint8_t digest[16]);

// Compresses one 64-byte block, at any address, into the state.
void Md5Transform(Md5Context& context, const std::uint8_t* block);
