// The camera's raw frame, shared by the simulated camera (which makes frames)
// and the imaging library (which turns them into pictures): the w x h + 4
// bytes that lie between the frame markers of a picture's data. The format
// itself is described once, in kx3300_ip.h.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

struct RawFrameParams {
  int width = 0;          // as the camera reports it
  int height = 0;         // as the camera reports it: half the picture's height when width > 2 x height
  int mode = 0;           // the picture's mode, 0..15; bits 0..1 give the colour filter phase
  int param20 = 0;        // the sensor's black level (0..64 used)
  int param11_flag = 0;   // 1: the sensor was read right to left
  // The camera's white balance for the frame, in 64ths (64 = 1.0). The
  // defaults are typical of the sensor in daylight: its red and blue sites
  // respond more weakly than its green ones.
  int red_gain = 96;
  int blue_gain = 80;
  int frame_number = 0;   // clip frames count up; kept in the trailer only
};

// Bytes of a frame between its markers: width x height + 4.
std::size_t RawFrameBytes(const RawFrameParams& params);

// Height of the picture the frame shows: twice the reported height for a
// half-height picture (width > 2 x height), else the reported height. (Heights
// beyond KX3300_IP_MAX_SIDE are returned as they are, never overflowing.)
int RawPictureHeight(const RawFrameParams& params);

// Makes the frame a sensor would deliver for a scene given as top-down RGB24
// rows of width x RawPictureHeight(params) pixels. Narrow pictures
// (width < 352) come out with rows 1 and 2 of every group of four exchanged,
// as the camera sends them. Empty for a side outside 1..KX3300_IP_MAX_SIDE
// (no camera makes such frames); a null scene gives a frame of black with a
// valid trailer.
std::vector<uint8_t> EncodeRawFrame(const uint8_t* rgb, const RawFrameParams& params);

// Puts rows 4g+1 and 4g+2 of a frame's mosaic (rows of `width` bytes) back in
// their places, or out of them: the exchange is its own inverse.
void ExchangeMosaicRows(uint8_t* mosaic, int width, int height);
