// Where the "Save photos" command writes: the base name chosen in the save
// dialog, the file type, and where the file name starts in the path. Kept
// until the next save command chooses again. Paths use "/".
#pragma once

#include <string>

// The longest path the command accepts from the dialog, in bytes. Longer
// paths are refused rather than cut, which would write somewhere else.
constexpr std::size_t kMaxSavePath = 4000;

struct SaveTarget {
  std::string save_base;     // the chosen path without its last extension
  int save_type = 1;         // 1 JPEG, otherwise BMP (the dialog's filter index)
  int save_name_offset = 0;  // bytes of the path before the file name
};

extern SaveTarget save_target;
void ResetSaveTarget();

// The rule that turns the dialog's answer into a target: the file name loses
// its last dot and what follows when at least one character follows it
// ("my.trip.jpg" -> "my.trip", "trip" and "trip." stay whole). The typed
// extension never decides the type; the filter does. False for an empty path,
// one that ends in "/", or one longer than kMaxSavePath.
bool ApplySavePath(const std::string& path, int filter_index, SaveTarget* target);

// Opens the save dialog owned by `owner`; 1 and `save_target` filled when the
// user confirmed, 0 when cancelled.
int ChooseSaveTarget(void* owner);

// save_base + n with at least three digits + ".jpg" or ".bmp".
std::string PhotoFileName(const SaveTarget& target, int n);

// The folder the clips go to: save_base cut before the "/" that precedes the
// file name ("" for a file in the root, so clips land in "/"); "." when the
// chosen path named no folder at all.
std::string ClipFolder(const SaveTarget& target);

// ClipFolder + "/video" + n with at least three digits + ".avi".
std::string ClipFileName(const SaveTarget& target, int n);
