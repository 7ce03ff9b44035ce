#include "camera/picture_table.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct Entry {
  int kind;
  int selected;
};

void Fill(const std::vector<Entry>& entries) {
  ResetPictureTable();
  for (std::size_t i = 0; i < entries.size(); ++i) {
    picture_table.records[i].kind = entries[i].kind;
    picture_table.records[i].selected = entries[i].selected;
  }
  picture_table.picture_count = static_cast<int32_t>(entries.size());
}

constexpr int P = kPicturePhoto;
constexpr int C = kPictureClipStart;
constexpr int F = kPictureClipFrame;

TEST(PictureRecordTest, KeepsTheOriginalFieldOrderWithPointerSizedHandles) {
  EXPECT_EQ(sizeof(PictureRecord), 72u);
  EXPECT_EQ(kPictureRecordSize, 72);
}

TEST(PictureTableTest, FindItemCountsPhotosAndClipsSeparately) {
  Fill({{P, 1}, {C, 1}, {F, 1}, {P, 1}, {C, 0}, {F, 0}, {F, 0}, {P, 0}});
  const struct {
    int k, record, ordinal;
  } cases[] = {{0, 0, 0}, {1, 1, 0}, {2, 3, 1}, {3, 4, 1}, {4, 7, 2}, {5, -1, 0}, {-1, -1, 0}};
  for (const auto& c : cases) {
    int ordinal = 99;
    EXPECT_EQ(FindItem(c.k, &ordinal), c.record) << c.k;
    EXPECT_EQ(ordinal, c.ordinal) << c.k;
  }
}

TEST(PictureTableTest, CountSelectedCountsItemsOnly) {
  Fill({{P, 1}, {C, 1}, {F, 1}, {F, 1}, {P, 0}, {C, 1}, {F, 0}, {P, 1}, {5, 1}});
  uint16_t photos = 0, clips = 0;
  EXPECT_EQ(CountSelected(&photos, &clips), 4);
  EXPECT_EQ(photos, 2);
  EXPECT_EQ(clips, 2);
  picture_table.picture_count = 2;  // records beyond the count do not count
  EXPECT_EQ(CountSelected(&photos, &clips), 2);
  picture_table.picture_count = 100000;  // a wild counter stays inside the table
  EXPECT_EQ(CountSelected(&photos, &clips), 4);
}

TEST(PictureTableTest, NextSelectedPictureSkipsFramesAndUnselectedRecords) {
  Fill({{P, 1}, {C, 1}, {F, 1}, {P, 0}, {P, 1}, {C, 0}, {F, 1}});
  picture_table.current_picture = 0;
  NextSelectedPicture();
  EXPECT_EQ(picture_table.current_picture, 1);
  NextSelectedPicture();
  EXPECT_EQ(picture_table.current_picture, 4);  // the frame and the unselected photo are passed over
  NextSelectedPicture();
  EXPECT_EQ(picture_table.current_picture, 6);  // nothing left: the last record, whatever it holds
  NextSelectedPicture();
  EXPECT_EQ(picture_table.current_picture, 6);
  picture_table.current_picture = 50;
  NextSelectedPicture();
  EXPECT_EQ(picture_table.current_picture, 50);  // at or past the end: unchanged
}

TEST(PictureTableTest, FirstSelectedItemIsWhereATransferStarts) {
  Fill({{P, 0}, {F, 1}, {C, 1}, {P, 1}});
  EXPECT_EQ(FirstSelectedItem(), 2);
  Fill({{P, 0}, {F, 1}});
  EXPECT_EQ(FirstSelectedItem(), 2);
  Fill({});
  EXPECT_EQ(FirstSelectedItem(), 0);
  picture_table.current_picture = 0;
  NextSelectedPicture();  // an empty table leaves it alone
  EXPECT_EQ(picture_table.current_picture, 0);
}

}  // namespace
