// The picture table: what the last download put into the raw picture store.
// The download fills it; decoding, the pages, the viewer, the export and the
// host transfer read it. Items are the records a user sees: photos and the
// first frames of clips; further clip frames belong to the item before them.
#pragma once

#include <cstdint>

#include "camera/picture_record.h"

constexpr int kMaxPictures = 208;

struct PictureTable {
  PictureRecord records[kMaxPictures];
  // Pictures the camera reported at open; after a download, those downloaded.
  int32_t camera_picture_count;
  uint16_t photo_count;  // kind 0
  uint16_t clip_count;   // kind 17, one per clip
  // Records 0 .. picture_count - 1 are valid; every loop over the table runs to it.
  int32_t picture_count;
  int32_t item_count;  // photo_count + clip_count
  // The record decoding, saving and the host transfer work on.
  int32_t current_picture;
};

extern PictureTable picture_table;
void ResetPictureTable();  // empty, all counters 0, as at load

// True for the kinds that are items (photos and clip starts).
inline bool IsPictureItem(const PictureRecord& record) {
  return record.kind == kPicturePhoto || record.kind == kPictureClipStart;
}

// Over the valid records that are selected: photos and clips; returns their sum.
int CountSelected(uint16_t* photos, uint16_t* clips);

// Moves current_picture to the next selected item after it; when there is
// none, to the last record. Nothing changes when it is already at or past
// the last record.
void NextSelectedPicture();

// The first selected item, or picture_count when none is selected: where a
// transfer starts.
int FirstSelectedItem();

// The record of the k-th item (0-based, in table order) and its number among
// the items of its own kind; -1 (ordinal 0) when there is no such item.
int FindItem(int k, int* ordinal);
