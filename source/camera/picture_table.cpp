#include "camera/picture_table.h"

#include <algorithm>
#include <cstring>

PictureTable picture_table;

namespace {

// The table's bound, kept inside the array whatever the counter holds.
int ValidRecords() { return std::clamp<int32_t>(picture_table.picture_count, 0, kMaxPictures); }

}  // namespace

void ResetPictureTable() { std::memset(&picture_table, 0, sizeof picture_table); }

int CountSelected(uint16_t* photos, uint16_t* clips) {
  uint16_t p = 0;
  uint16_t c = 0;
  const int n = ValidRecords();
  for (int i = 0; i < n; ++i) {
    const PictureRecord& r = picture_table.records[i];
    if (!r.selected) continue;
    if (r.kind == kPicturePhoto) ++p;
    if (r.kind == kPictureClipStart) ++c;
  }
  if (photos != nullptr) *photos = p;
  if (clips != nullptr) *clips = c;
  return p + c;
}

void NextSelectedPicture() {
  const int last = ValidRecords() - 1;
  int i = picture_table.current_picture;
  if (i >= last) return;
  // A current_picture below the table (never set) starts the search at record 0.
  for (i = std::max(i + 1, 0); i < last; ++i) {
    const PictureRecord& r = picture_table.records[i];
    if (r.selected && IsPictureItem(r)) break;
  }
  picture_table.current_picture = i;
}

int FirstSelectedItem() {
  const int n = ValidRecords();
  for (int i = 0; i < n; ++i) {
    const PictureRecord& r = picture_table.records[i];
    if (r.selected && IsPictureItem(r)) return i;
  }
  return picture_table.picture_count;
}

int FindItem(int k, int* ordinal) {
  if (ordinal != nullptr) *ordinal = 0;
  if (k < 0) return -1;
  int photos = 0;
  int clips = 0;
  const int n = ValidRecords();
  for (int i = 0; i < n; ++i) {
    const PictureRecord& r = picture_table.records[i];
    if (!IsPictureItem(r)) continue;
    int& own = r.kind == kPicturePhoto ? photos : clips;
    if (photos + clips == k) {
      if (ordinal != nullptr) *ordinal = own;
      return i;
    }
    ++own;
  }
  return -1;
}
