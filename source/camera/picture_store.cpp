#include "camera/picture_store.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

#include "camera/settings.h"
#include "camera/whole_file.h"
#include "platform/directories.h"

PictureStoreState picture_store = {};

namespace {

bool CopyPath(char* field, std::string_view path) {
  if (path.size() >= kStorePathSize) return false;
  std::memcpy(field, path.data(), path.size());
  field[path.size()] = '\0';
  return true;
}

bool FormatRecordPath(const char* dir, int record, char* buffer, std::size_t size) {
  if (buffer == nullptr || size == 0) return false;
  buffer[0] = '\0';
  if (dir[0] == '\0' || record < 0 || record >= kStoreFileCount) return false;
  int n = std::snprintf(buffer, size, "%s/%04d.bar", dir, record);
  if (n < 0 || static_cast<std::size_t>(n) >= size) {
    buffer[0] = '\0';
    return false;
  }
  return true;
}

bool HasMarker(const unsigned char* at, const unsigned char (&marker)[kFrameMarkerSize]) {
  return std::memcmp(at, marker, kFrameMarkerSize) == 0;
}

}  // namespace

void ResetPictureStore() { picture_store = {}; }

// One reading of the clock, so every try shares the minute in its name.
bool CreatePictureStore() { return CreatePictureStoreAt(CurrentLocalTime()); }

bool CreatePictureStoreAt(const LocalTime& now) {
  ResetPictureStore();
  std::string base = TemporaryDirectory();
  if (base.back() != '/') base += '/';
  for (int n = 0; n < kStoreNameTries; ++n) {
    char name[32];
    std::snprintf(name, sizeof name, "%02d%02d%02d%02d.%03d", now.month, now.day, now.hour, now.minute, n);
    std::string dir = base + name;
    if (dir.size() >= kStorePathSize) return false;
    switch (MakePrivateDirectory(dir.c_str())) {
      case MakeDirectoryResult::Created:
        CopyPath(picture_store.store_dir, dir);
        CopyPath(picture_store.picture_dir, dir);
        return true;
      case MakeDirectoryResult::Exists:
        continue;  // a store of an earlier window in the same minute, or anyone's entry
      case MakeDirectoryResult::Failed:
        // No write access, no such directory, a full disk: the next name fares no better.
        return false;
    }
  }
  return false;
}

bool PictureStoreReady() { return picture_store.store_dir[0] != '\0'; }

void DeletePictureStore() {
  if (ReadSettingNumber("NotDelete") != 0) return;
  if (!PictureStoreReady()) return;
  char path[kStorePathSize + 16];
  // Only the names a download writes: anything else someone put there stays,
  // and with it the directory.
  for (int record = 0; record < kStoreFileCount; ++record) {
    if (FormatRecordPath(picture_store.store_dir, record, path, sizeof path)) RemoveFile(path);
  }
  RemoveEmptyDirectory(picture_store.store_dir);
  ResetPictureStore();
}

void UseBarPath() {
  char bar_path[kSettingStringSize];
  std::size_t stored = ReadSettingString("bar_path", bar_path, sizeof bar_path);
  std::string_view dir = stored > 1 ? std::string_view(bar_path, stored - 1) : std::string_view();
  while (dir.size() > 1 && dir.back() == '/') dir.remove_suffix(1);
  // An empty value would turn every read into one from the root directory.
  if (dir.empty() || !CopyPath(picture_store.picture_dir, dir)) {
    CopyPath(picture_store.picture_dir, picture_store.store_dir);
  }
}

bool StorePicturePath(int record, char* buffer, std::size_t size) {
  return FormatRecordPath(picture_store.store_dir, record, buffer, size);
}

bool PicturePath(int record, char* buffer, std::size_t size) {
  return FormatRecordPath(picture_store.picture_dir, record, buffer, size);
}

bool WritePictureFile(int record, const void* data, std::size_t length) {
  char path[kStorePathSize + 16];
  if (!StorePicturePath(record, path, sizeof path)) return false;
  return WriteWholeFile(path, data, length);
}

bool AcceptPictureSize(int width, int height) {
  constexpr int kWidths[] = {88, 160, 176, 320, 352, 640};
  constexpr int kHeights[] = {72, 120, 144, 240, 288, 480};
  bool width_ok = false;
  bool height_ok = false;
  for (int w : kWidths) width_ok = width_ok || w == width;
  for (int h : kHeights) height_ok = height_ok || h == height;
  return width_ok && height_ok;
}

bool AlignFrame(unsigned char* buffer, std::size_t length, int width, int height) {
  if (buffer == nullptr || width <= 0 || height <= 0) return false;
  const std::size_t area = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
  const std::size_t frame = area + kFrameOverhead;
  if (frame < area || frame > length) return false;
  const std::size_t end_marker = area + 9;
  for (std::size_t s = 0; s + frame <= length; ++s) {
    if (HasMarker(buffer + s, kFrameStartMarker) && HasMarker(buffer + s + end_marker, kFrameEndMarker)) {
      if (s > 0) std::memmove(buffer, buffer + s, frame);
      return true;
    }
  }
  return false;
}

void WriteBarHeader(unsigned char* buffer, const BarHeader& header) {
  buffer[kBarParam11FlagOffset] = header.param11_flag;
  buffer[kBarParam20Offset] = header.param20;
  buffer[kBarModeOffset] = header.mode;
  buffer[kBarWidthOffset] = static_cast<uint8_t>((static_cast<unsigned>(header.width) >> 4) & 0xFF);
  buffer[kBarHeightOffset] = static_cast<uint8_t>((static_cast<unsigned>(header.height) >> 4) & 0xFF);
}

bool StorePicture(int record, unsigned char* buffer, std::size_t length, const BarHeader& header) {
  if (buffer == nullptr || length < kBarHeaderSize) return false;
  AlignFrame(buffer, length, header.width, header.height);
  WriteBarHeader(buffer, header);
  return WritePictureFile(record, buffer, length);
}

int StoredPictureMode(int camera_model, int width, int height, int mode) {
  if (camera_model == 12 && !(width == 352 && height == 288)) return 1;
  return mode;
}

int SubstitutionSizeCode(int width, int height) {
  const bool half_height = width > 2 * height;
  if (width < 352) return half_height ? 1 : 2;
  return half_height ? 4 : 8;
}
