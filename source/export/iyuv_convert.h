// Decoded clip frames into the planar YUV 4:2:0 ("IYUV") the clip files store.
//
// The matrix is ITU-R BT.601 with limited ("studio") range: Y in 16..235,
// U and V in 16..240 around 128. That is what players assume for IYUV, so the
// colours come back as the decoder made them. Each chroma sample is taken
// from the average colour of its 2 x 2 square (fewer pixels at an odd edge).
#pragma once

#include <cstddef>
#include <cstdint>

// Bytes of one IYUV frame: the Y plane, then U, then V, each chroma plane
// rounded up to whole 2 x 2 squares. 0 for a size that is not positive.
std::size_t IyuvFrameBytes(int width, int height);

// Converts a bottom-up 24-bit blue-green-red picture (rows of exactly
// 3 x width bytes) into a top-down IYUV frame of IyuvFrameBytes bytes.
void BgrToIyuv(const uint8_t* bgr, int width, int height, uint8_t* iyuv);

// One pixel through the matrix, for tests and readers of the planes.
uint8_t LumaOf(int red, int green, int blue);
// The chroma of the sum of `count` pixels' components (count 1..4).
uint8_t BlueDifferenceOf(int red_sum, int green_sum, int blue_sum, int count);
uint8_t RedDifferenceOf(int red_sum, int green_sum, int blue_sum, int count);
