#include "camera/pixel_scaling.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(ScalePixels, BlendsAndClampsAtTheEdges) {
  // Positions 0, 0.5, 1.0 and 1.5 source pixels; the last two hold at the right edge.
  const std::vector<uint8_t> src = {0, 0, 0, 255, 255, 255};
  std::vector<uint8_t> dst(4 * 3);
  ScalePixels(src.data(), 2, 1, dst.data(), 4, 1);
  EXPECT_EQ(dst, (std::vector<uint8_t>{0, 0, 0, 127, 127, 127, 255, 255, 255, 255, 255, 255}));
}

TEST(ScalePixels, VerticalBlendAndIdentity) {
  const std::vector<uint8_t> src = {10, 20, 30, 110, 120, 130};  // one column, two rows
  std::vector<uint8_t> dst(1 * 4 * 3);
  ScalePixels(src.data(), 1, 2, dst.data(), 1, 4);
  EXPECT_EQ(dst, (std::vector<uint8_t>{10, 20, 30, 60, 70, 80, 110, 120, 130, 110, 120, 130}));

  std::vector<uint8_t> same(src.size());
  ScalePixels(src.data(), 1, 2, same.data(), 1, 2);
  EXPECT_EQ(same, src);
}

TEST(ScalePixels, ShrinksAPhotoToAThumbnailWithoutReadingPastIt) {
  const int w = 640, h = 480;
  std::vector<uint8_t> src(static_cast<size_t>(w) * h * 3);
  for (size_t i = 0; i < src.size(); ++i) src[i] = static_cast<uint8_t>(i / 3 % w * 255 / (w - 1));
  std::vector<uint8_t> thumb(80 * 60 * 3);
  ScalePixels(src.data(), w, h, thumb.data(), 80, 60);
  EXPECT_EQ(thumb[0], 0);
  EXPECT_NEAR(thumb[79 * 3], 255 * 632 / 639, 1);  // the last thumbnail column samples source column 632
}

TEST(ExchangeRowPairs, SwapsRowsOneAndTwoOfEachGroupOfFour) {
  std::vector<uint8_t> rows = {0, 0, 1, 1, 2, 2, 3, 3, 4, 4, 5, 5, 6, 6};  // 7 rows of 2 bytes
  ExchangeRowPairs(rows.data(), 2, 7);
  EXPECT_EQ(rows, (std::vector<uint8_t>{0, 0, 2, 2, 1, 1, 3, 3, 4, 4, 6, 6, 5, 5}));

  std::vector<uint8_t> two = {0, 1};  // a group cut short: row 2 does not exist
  ExchangeRowPairs(two.data(), 1, 2);
  EXPECT_EQ(two, (std::vector<uint8_t>{0, 1}));
}

}  // namespace
