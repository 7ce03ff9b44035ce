// The raw frame as the camera makes it: its length, trailer, row order,
// binning, mirror and colour filter phase.
#include "raw_format.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <vector>

#include "sensor_model.h"

namespace {

// A scene whose every pixel is one colour.
std::vector<uint8_t> Flat(int w, int h, uint8_t r, uint8_t g, uint8_t b) {
  std::vector<uint8_t> rgb(static_cast<std::size_t>(w) * h * 3);
  for (std::size_t i = 0; i < rgb.size(); i += 3) {
    rgb[i] = r;
    rgb[i + 1] = g;
    rgb[i + 2] = b;
  }
  return rgb;
}

RawFrameParams Params(int w, int h) {
  RawFrameParams p;
  p.width = w;
  p.height = h;
  p.red_gain = p.blue_gain = 64;
  return p;
}

TEST(ImagingRawFormat, FrameIsTheMosaicAndAFourByteTrailer) {
  EXPECT_EQ(RawFrameBytes(Params(352, 288)), 352u * 288 + 4);
  EXPECT_EQ(RawFrameBytes(Params(640, 480)), 640u * 480 + 4);
  EXPECT_EQ(RawFrameBytes(Params(0, 288)), 0u);
  EXPECT_EQ(RawFrameBytes(Params(352, -1)), 0u);
  EXPECT_TRUE(EncodeRawFrame(nullptr, Params(0, 0)).empty());
  EXPECT_TRUE(EncodeRawFrame(nullptr, Params(5000, 2)).empty());

  RawFrameParams p = Params(88, 72);
  p.red_gain = 97;
  p.blue_gain = 300;  // held to a byte
  p.frame_number = 258;
  p.param20 = 16;
  const std::vector<uint8_t> frame = EncodeRawFrame(nullptr, p);
  ASSERT_EQ(frame.size(), 88u * 72 + 4);
  EXPECT_EQ(frame[0], 16);  // no scene: black, which is the black level
  const uint8_t* trailer = &frame[88 * 72];
  EXPECT_EQ(trailer[0], 97);
  EXPECT_EQ(trailer[1], 255);
  EXPECT_EQ(trailer[2], 2);
  EXPECT_EQ(trailer[3], 97 ^ 255 ^ 2 ^ 0x5A);
}

TEST(ImagingRawFormat, PictureHeightDoublesOnlyForHalfHeightFrames) {
  EXPECT_EQ(RawPictureHeight(Params(352, 288)), 288);
  EXPECT_EQ(RawPictureHeight(Params(352, 176)), 176);  // exactly twice is not half height
  EXPECT_EQ(RawPictureHeight(Params(352, 144)), 288);
  EXPECT_EQ(RawPictureHeight(Params(640, 72)), 144);
  EXPECT_EQ(RawPictureHeight(Params(INT_MAX, INT_MAX / 2)), INT_MAX / 2);  // no overflow
}

// A grey ramp rising by one step per row, from 140 where the companding keeps
// every step apart.
std::vector<uint8_t> RowRamp(int w, int h) {
  std::vector<uint8_t> rgb(static_cast<std::size_t>(w) * h * 3);
  for (int y = 0; y < h; ++y)
    for (int i = 0; i < w * 3; ++i) rgb[static_cast<std::size_t>(y) * w * 3 + i] = static_cast<uint8_t>(140 + y);
  return rgb;
}

// The scene row a stored row of a RowRamp frame shows, read at a green site
// (x = 1 on even rows, x = 0 on odd rows).
int SceneRowOf(const std::vector<uint8_t>& frame, int w, int h, int stored_row) {
  const uint8_t sample = frame[static_cast<std::size_t>(stored_row) * w + (stored_row % 2 ? 0 : 1)];
  for (int y = 0; y < h; ++y)
    if (CompandSample(DisplayToLinear((140 + y) / 255.0), 0) == sample) return y;
  return -1;
}

TEST(ImagingRawFormat, NarrowFramesTravelWithRowsOneAndTwoOfEachFourExchanged) {
  // Heights of 4k + 2: the last group is short, its rows 1 and 2 do not both
  // exist, and it stays as it is.
  for (auto [w, h] : {std::pair{176, 90}, {88, 46}, {160, 82}}) {
    std::vector<uint8_t> frame = EncodeRawFrame(RowRamp(w, h).data(), Params(w, h));
    for (int y = 0; y < h; ++y) {
      const int group = y - y % 4;
      const bool exchanged = group + 2 < h && (y % 4 == 1 || y % 4 == 2);
      const int shown = !exchanged ? y : y % 4 == 1 ? y + 1 : y - 1;
      ASSERT_EQ(SceneRowOf(frame, w, h, y), shown) << w << "x" << h << " row " << y;
    }
    ExchangeMosaicRows(frame.data(), w, h);
    for (int y = 0; y < h; ++y) ASSERT_EQ(SceneRowOf(frame, w, h, y), y) << w << "x" << h << " row " << y;
    EXPECT_EQ(frame[static_cast<std::size_t>(w) * h + 3], TrailerCheck(64, 64, 0));  // the trailer stays put
  }
  // From 352 on, rows travel in order.
  const std::vector<uint8_t> wide = EncodeRawFrame(RowRamp(352, 176).data(), Params(352, 176));
  for (int y = 0; y < 100; ++y) ASSERT_EQ(SceneRowOf(wide, 352, 176, y), y) << y;
}

TEST(ImagingRawFormat, HalfHeightFramesBinRowPairsInLinearLight) {
  // Black and white rows alternate; each stored row holds half the light.
  const int w = 352, h = 4;
  std::vector<uint8_t> rgb(static_cast<std::size_t>(w) * 2 * h * 3);
  for (int y = 0; y < 2 * h; ++y)
    for (int i = 0; i < w * 3; ++i) rgb[static_cast<std::size_t>(y) * w * 3 + i] = y % 2 ? 255 : 0;
  const std::vector<uint8_t> frame = EncodeRawFrame(rgb.data(), Params(w, h));
  for (int i = 0; i < w * h; ++i) ASSERT_EQ(frame[i], CompandSample(0.5, 0)) << i;
}

TEST(ImagingRawFormat, ColourFilterPhaseFollowsModeAndMirrorRunsRightToLeft) {
  // A pure red scene lights only the red sites.
  const int w = 352, h = 176;
  const std::vector<uint8_t> red = Flat(w, h, 255, 0, 0);
  for (int mode : {0, 1, 2, 3, 4, 13}) {
    RawFrameParams p = Params(w, h);
    p.mode = mode;
    const std::vector<uint8_t> frame = EncodeRawFrame(red.data(), p);
    for (int y = 0; y < 2; ++y)
      for (int x = 0; x < 2; ++x)
        EXPECT_EQ(frame[static_cast<std::size_t>(y) * w + x] == 255, MosaicColourAt(x, y, mode) == kMosaicRed)
            << "mode " << mode << " at " << x << "," << y;
  }
  EXPECT_EQ(MosaicColourAt(0, 0, 0), kMosaicRed);
  EXPECT_EQ(MosaicColourAt(0, 0, 1), kMosaicGreen);
  EXPECT_EQ(MosaicColourAt(1, 0, 1), kMosaicRed);
  EXPECT_EQ(MosaicColourAt(0, 1, 2), kMosaicRed);
  EXPECT_EQ(MosaicColourAt(0, 0, 3), kMosaicBlue);

  // Mirrored: stored column 0 shows the scene's last column.
  std::vector<uint8_t> edge = Flat(w, h, 0, 0, 0);
  for (int y = 0; y < h; ++y) edge[(static_cast<std::size_t>(y) * w + w - 2) * 3] = 255;  // red in column w-2
  RawFrameParams p = Params(w, h);
  p.param11_flag = 1;
  const std::vector<uint8_t> frame = EncodeRawFrame(edge.data(), p);
  EXPECT_EQ(frame[1], 0);  // stored column 1 shows scene column w-2, but is a green site
  p.mode = 1;              // now stored column 1 of row 0 is a red site
  EXPECT_EQ(EncodeRawFrame(edge.data(), p)[1], 255);
}

TEST(ImagingRawFormat, SamplesAreSquareRootCompandedOverTheBlackLevel) {
  EXPECT_EQ(CompandSample(0.0, 0), 0);
  EXPECT_EQ(CompandSample(1.0, 0), 255);
  EXPECT_EQ(CompandSample(0.25, 0), 128);  // a quarter of the light, half the code range
  EXPECT_EQ(CompandSample(0.0, 40), 40);
  EXPECT_EQ(CompandSample(2.0, 40), 255);  // a saturated site
  EXPECT_EQ(BlackLevel(200), 64);
  EXPECT_EQ(BlackLevel(-5), 0);
  for (int black : {0, 16, 64})
    for (int v = black; v < 256; ++v) EXPECT_EQ(CompandSample(ExpandSample(v, black), black), v);
  EXPECT_EQ(ExpandSample(10, 16), 0.0);  // below the black level: no light
}

}  // namespace
