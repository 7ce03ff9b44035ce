#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "ui/resources/skin_region.h"

namespace {

// An 8-bit skin drawn from text: '.' is the key colour (index 0), '#' opaque
// (index 1), 'r' index 2, which holds the key's colour again.
struct TextSkin {
  std::vector<std::uint8_t> pixels;
  std::uint32_t table[3] = {0x00FF0000, 0x00336699, 0x00FF0000};
  SkinPixels skin;

  explicit TextSkin(const std::vector<std::string>& rows) {
    for (const std::string& row : rows) {
      for (char c : row) pixels.push_back(c == '.' ? 0 : c == '#' ? 1 : 2);
    }
    skin.width = static_cast<int>(rows[0].size());
    skin.height = static_cast<int>(rows.size());
    skin.bits_per_pixel = 8;
    skin.rows = pixels.data();
    skin.stride = rows[0].size();
    skin.colour_table = table;
    skin.colour_count = 3;
  }
};

TEST(SkinRegion, RunsPerRowInScanOrder) {
  TextSkin t({
      "......",  // wholly transparent: nothing
      "######",  // wholly opaque: one rectangle as wide as the skin
      "##..##",  // opaque, transparent, opaque: two
      ".#.#.#",  // a run still open at the row's end closes at the width
      "r#r#rr",  // index 2 has the key's colour, so it is transparent too
  });
  std::vector<RegionRect> rects;
  ASSERT_TRUE(BuildSkinRectangles(t.skin, &rects));
  const std::vector<RegionRect> expected = {
      {0, 1, 6, 2}, {0, 2, 2, 3}, {4, 2, 6, 3}, {1, 3, 2, 4}, {3, 3, 4, 4},
      {5, 3, 6, 4}, {1, 4, 2, 5}, {3, 4, 4, 5},
  };
  EXPECT_EQ(rects, expected);
  EXPECT_TRUE(RegionCoversRect(rects, 0, 1, 2, 2));
  EXPECT_FALSE(RegionCoversRect(rects, 0, 1, 3, 2));  // row 2 has a gap at x = 2
  EXPECT_FALSE(RegionCoversRect(rects, 0, 0, 1, 1));
  EXPECT_FALSE(RegionCoversRect(rects, 0, 1, 0, 1));
}

TEST(SkinRegion, KeyIsTheTopLeftPixelWhateverItsColour) {
  TextSkin t({"#..", "#.#"});
  std::vector<RegionRect> rects;
  ASSERT_TRUE(BuildSkinRectangles(t.skin, &rects));
  // Index 1 is the key now; red pixels are the opaque ones.
  const std::vector<RegionRect> expected = {{1, 0, 3, 1}, {1, 1, 2, 2}};
  EXPECT_EQ(rects, expected);
}

TEST(SkinRegion, ManyRunsGrowTheListInStepsOfForty) {
  // 471 x 349 with 100 runs per row: far more than one place per row.
  const int width = 471, height = 349;
  std::vector<std::string> rows(height, std::string(width, '.'));
  for (std::string& row : rows) {
    for (int x = 1; x < 400; x += 4) row[x] = '#';
  }
  TextSkin t(rows);
  std::vector<RegionRect> rects;
  ASSERT_TRUE(BuildSkinRectangles(t.skin, &rects));
  EXPECT_EQ(rects.size(), 100u * height);
  EXPECT_EQ((rects.capacity() - height) % 40, 0u);
  EXPECT_LT(rects.capacity() - rects.size(), 40u);
}

TEST(SkinRegion, OtherDepthsCompareWholePixels) {
  // 24 bits: the key is all three bytes; a pixel differing in one byte is opaque.
  const std::uint8_t rgb[] = {0, 0, 255, 0, 0, 255, 1, 0, 255, 0, 0, 255};
  SkinPixels skin{4, 1, 24, rgb, sizeof rgb, nullptr, 0};
  std::vector<RegionRect> rects;
  ASSERT_TRUE(BuildSkinRectangles(skin, &rects));
  EXPECT_EQ(rects, (std::vector<RegionRect>{{2, 0, 3, 1}}));

  // 32 bits: the fourth byte counts as well.
  const std::uint8_t rgba[] = {0, 0, 255, 0, 0, 0, 255, 7, 0, 0, 255, 0};
  skin = {3, 1, 32, rgba, sizeof rgba, nullptr, 0};
  ASSERT_TRUE(BuildSkinRectangles(skin, &rects));
  EXPECT_EQ(rects, (std::vector<RegionRect>{{1, 0, 2, 1}}));

  // 16 bits, two rows with padding between them.
  const std::uint8_t rgb565[] = {0x00, 0xF8, 0x1F, 0x00, 0xAA, 0xBB, 0x00, 0xF8, 0x00, 0xF8, 0xAA, 0xBB};
  skin = {2, 2, 16, rgb565, 6, nullptr, 0};
  ASSERT_TRUE(BuildSkinRectangles(skin, &rects));
  EXPECT_EQ(rects, (std::vector<RegionRect>{{1, 0, 2, 1}}));
}

TEST(SkinRegion, RefusesWhatItCannotRead) {
  std::vector<RegionRect> rects = {{0, 0, 1, 1}};
  const std::uint8_t bytes[16] = {};
  SkinPixels skin{4, 1, 4, bytes, 16, nullptr, 0};
  EXPECT_FALSE(BuildSkinRectangles(skin, &rects));  // no rule for 4 bits
  EXPECT_TRUE(rects.empty());
  skin = {4, 1, 24, bytes, 8, nullptr, 0};  // stride shorter than a row
  EXPECT_FALSE(BuildSkinRectangles(skin, &rects));
  skin = {4, 1, 8, bytes, 4, nullptr, 0};  // 8 bits without a colour table
  EXPECT_FALSE(BuildSkinRectangles(skin, &rects));
  // An index beyond the colour table is not a colour.
  TextSkin t({"..#"});
  t.skin.colour_count = 1;
  EXPECT_FALSE(BuildSkinRectangles(t.skin, &rects));
  EXPECT_TRUE(rects.empty());
  skin = {0, 0, 24, bytes, 0, nullptr, 0};
  EXPECT_FALSE(BuildSkinRectangles(skin, &rects));
}

}  // namespace
