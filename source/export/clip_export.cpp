#include "export/clip_export.h"

#include <cstdint>
#include <vector>

#include "camera/camera_commands.h"
#include "camera/decoding.h"
#include "camera/imaging_library.h"
#include "camera/picture_store.h"
#include "camera/picture_table.h"
#include "camera/pixel_scaling.h"
#include "camera/whole_file.h"
#include "export/avi_writer.h"
#include "export/file_replace.h"
#include "export/save_target.h"
#include "platform/memory.h"
#include "ui/progress.h"

int ClipFrameCount(int start) {
  int count = 1;
  while (start + count < picture_table.picture_count && start + count < kMaxPictures &&
         picture_table.records[start + count].kind == kPictureClipFrame) {
    ++count;
  }
  return count;
}

int ClipFrameFile(int start, int frame) {
  int record = start + frame;
  if (record < 0 || record >= picture_table.picture_count || record >= kMaxPictures) return -1;
  if (picture_table.records[record].use_next != 0) ++record;
  return record < picture_table.picture_count && record < kMaxPictures ? record : -1;
}

namespace {

// Decodes one frame into `pixels` (width x height x 3); false when its raw file
// is missing, too short for the frame, or the library cannot develop it.
bool DecodeClipFrame(int start, int frame, uint8_t* pixels) {
  const int file = ClipFrameFile(start, frame);
  char path[kStorePathSize];
  if (file < 0 || !PicturePath(file, path, sizeof path)) return false;
  if (imaging_library.IP_pRGB24 == nullptr) return false;
  PictureRecord& clip = picture_table.records[start];
  std::size_t length = 0;
  void* block = ReadWholeFile(path, &length);
  if (block == nullptr) return false;
  auto* data = static_cast<uint8_t*>(LockBlock(block));
  const std::size_t frame_bytes = static_cast<std::size_t>(clip.width) * static_cast<std::size_t>(clip.height) + 4;
  bool decoded = false;
  // The library reads w x h + 4 bytes behind the header, trusting us for them.
  if (length >= kBarDataOffset + frame_bytes) {
    uint8_t* raw = data + kBarDataOffset;
    if (clip.narrow != 0) ExchangeRowPairs(raw, clip.width, clip.height);
    const double adjust[3] = {image_adjustments.brightness * 0.01, image_adjustments.contrast * 0.01,
                              image_adjustments.quality * 0.01};
    clip.record_size = kPictureRecordSize;
    clip.model = camera_state.camera_model;
    clip.adjust = adjust;
    decoded = imaging_library.IP_pRGB24(&clip, raw, pixels) == 1;
    clip.adjust = nullptr;
  }
  UnlockBlock(block);
  FreeBlock(block);
  return decoded;
}

// Writes the clip at `start` into `path` through a temporary file; true when
// the file is in place with at least one real frame.
bool SaveClip(int start, int frames, const std::string& path) {
  const PictureRecord& clip = picture_table.records[start];
  if (clip.width <= 0 || clip.height <= 0 || clip.width > 4096 || clip.height > 4096) return false;
  const std::string temporary = ReserveTemporaryFile(path);
  if (temporary.empty()) return false;
  bool ok = CreateAviFile(temporary.c_str(), kClipFramesPerSecond, clip.width, clip.height) == 1;
  int decoded = 0;
  if (ok) {
    std::vector<uint8_t> pixels(static_cast<std::size_t>(clip.width) * static_cast<std::size_t>(clip.height) * 3);
    for (int j = 0; j < frames; ++j) {
      if (!DecodeClipFrame(start, j, pixels.data())) continue;
      if (WriteAviFrame(j, pixels.data(), pixels.size()) == 1) ++decoded;
    }
    PadAviFrames(frames);
  }
  ok = CloseAviFile() && ok && decoded > 0;
  if (!ok) {
    DiscardTemporaryFile(temporary);
    return false;
  }
  return CommitTemporaryFile(temporary, path);
}

}  // namespace

void SaveSelectedClips(SaveWindow& window, SaveReport* report) {
  int n = 1;
  for (int i = 0; i < picture_table.picture_count && i < kMaxPictures; ++i) {
    const PictureRecord& record = picture_table.records[i];
    if (record.selected == 0 || record.kind != kPictureClipStart) continue;
    const std::string path = ClipFileName(save_target, n);
    ++n;
    const int frames = ClipFrameCount(i);
    const int overwrite = ConfirmOverwrite(path);
    if (overwrite == 0) {
      window.ShowWaitCursor(true);
      const bool saved = SaveClip(i, frames, path);
      window.ShowWaitCursor(false);
      if (saved) {
        ++report->written;
      } else {
        report->Failed(path);
      }
    } else if (overwrite == 2) {
      report->Failed(path);
    }
    i += frames - 1;
    ProgressStep();
  }
}
