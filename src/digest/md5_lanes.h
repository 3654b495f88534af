// MD5 of several independent messages at once: each message in one 32-bit lane of a vector
// register, all lanes through the 64 steps together. Works on the one-stream Md5Context, so a
// lane's tail and padding are finished alone with Md5Update and Md5Final.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

#include "digest/md5.h"

enum class Md5LaneEngine { OneStream, Sse2, Avx2 };  // in order of width

// The widest engine this processor runs; an engine up to it in the enumeration's order runs too.
Md5LaneEngine Md5BestLaneEngine();

// 1, 4 or 8.
int Md5LaneCount(Md5LaneEngine engine);

// Compresses `blocks` consecutive 64-byte blocks of data[i] into contexts[i] for every i < count,
// Md5LaneCount(engine) contexts at a time in step: the same effect as Md5Update of blocks * 64
// bytes on each context, bit counts included. Each context holds no partial block (its byte
// count is a multiple of 64); data may have any alignment. The engine must run on this processor.
void Md5UpdateLanes(Md5LaneEngine engine, Md5Context* const contexts[],
                    const std::uint8_t* const data[], std::size_t blocks, int count);

// The digest of every message into the digest of the same index (digests holds at least as many
// as messages). Whole blocks go through the lanes; a lane whose message has no whole block left
// finishes it alone and takes the next message.
void Md5DigestMessages(Md5LaneEngine engine,
                       std::span<const std::span<const std::uint8_t>> messages,
                       std::span<std::array<std::uint8_t, 16>> digests);
