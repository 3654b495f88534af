// The vector engines behind Md5UpdateLanes. Each lives in a file of its own compiled for its
// instruction set, and is called only on a processor that has that set. state[w][lane] holds word
// w (A, B, C, D) of a lane's state; data[lane] points at the lane's first block, at any address.
#pragma once

#include <cstddef>
#include <cstdint>

void Md5TransformLanesSse2(std::uint32_t (&state)[4][4], const std::uint8_t* const (&data)[4],
                           std::size_t blocks);
void Md5TransformLanesAvx2(std::uint32_t (&state)[4][8], const std::uint8_t* const (&data)[8],
                           std::size_t blocks);
