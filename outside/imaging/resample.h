// Scaling of 24-bit pixels with a separable cubic filter.
#pragma once

#include <cstdint>

constexpr int kMaxResampleSide = 16384;

// False (target untouched) for null buffers, sizes outside 1..kMaxResampleSide
// or a lack of memory.
bool ResamplePixels(const uint8_t* source, int source_width, int source_height, uint8_t* target, int target_width,
                    int target_height);
