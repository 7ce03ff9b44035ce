// The camera's raw frame, shared by the simulated camera (which makes frames)
// and the imaging library (which turns them into pictures). It is the
// w x h + 4 bytes that lie between the frame markers of a picture's data.
//
// (The full description of the format belongs here; it grows with the library.)
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

struct RawFrameParams {
  int width = 0;          // as the camera reports it
  int height = 0;         // as the camera reports it: half the picture's height when width > 2 x height
  int mode = 0;           // the picture's mode, 0..15
  int param20 = 0;        // a byte the camera passes to the decoder
  int param11_flag = 0;   // 0 or 1
};

// Bytes of a frame between its markers: width x height + 4.
std::size_t RawFrameBytes(const RawFrameParams& params);

// Height of the picture the frame shows: twice the reported height for a
// half-height picture (width > 2 x height), else the reported height.
int RawPictureHeight(const RawFrameParams& params);

// Makes the frame a sensor would deliver for a scene given as top-down RGB24
// rows of width x RawPictureHeight(params) pixels. Narrow pictures
// (width < 352) come out with rows 1 and 2 of every group of four exchanged,
// as the camera sends them.
std::vector<uint8_t> EncodeRawFrame(const uint8_t* rgb, const RawFrameParams& params);
