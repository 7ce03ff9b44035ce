#include "camera/download.h"

#include <cstddef>
#include <cstdint>

#include "camera/camera_channel.h"
#include "camera/camera_commands.h"
#include "camera/camera_wire.h"
#include "camera/picture_store.h"
#include "camera/picture_table.h"
#include "platform/memory.h"
#include "platform/message_box.h"
#include "ui/resources/language_state.h"
#include "ui/resources/strings.h"

namespace {

constexpr int kMessageNoPictures = 123;
constexpr std::size_t kMessageSize = 100;
// SelectPicture takes one byte; the camera cannot name a picture beyond it.
constexpr int kCameraIndexLimit = 256;

void ShowNoPictures(void* owner) {
  char text[kMessageSize];
  LoadResourceString(kMessageNoPictures + language_state.language_offset, text, sizeof text);
  ShowMessageBox(owner, "", text, MessageButtons::Ok, MessageIcon::Warning);
}

void SetFailure(DownloadFailure* failure, DownloadFailure value) {
  if (failure != nullptr) *failure = value;
}

// The table as it stands when the store it describes is gone: nothing in it
// may be read.
void ForgetPictures() {
  picture_table.camera_picture_count = 0;
  picture_table.picture_count = 0;
  picture_table.item_count = 0;
  picture_table.photo_count = 0;
  picture_table.clip_count = 0;
  picture_table.current_picture = 0;
}

enum class PictureResult { Skipped, Stored, Stop };

// Steps 2 to 10 of one camera picture: its parameters into record `record`
// and its data into the record's file.
PictureResult DownloadOne(int index, int record, int* subst_counter) {
  SelectPicture(index);
  int width = 0, height = 0, mode = 0, kind = 0, param11_flag = 0, param20 = 0;
  ReadPictureInfo(&width, &height, &mode, &kind, &param11_flag, &param20);
  // Neither a record nor a file: the next accepted picture takes the number.
  if (!AcceptPictureSize(width, height)) return PictureResult::Skipped;

  PictureRecord& r = picture_table.records[record];
  r.record_size = kPictureRecordSize;
  r.width = width;
  r.height = height;
  r.mode = StoredPictureMode(camera_state.camera_model, width, height, mode);
  r.kind = kind;
  r.param20 = param20;
  r.param11_flag = param11_flag;
  r.narrow = width < 352 ? 1 : 0;
  r.half_height = width > 2 * height ? 1 : 0;
  r.use_next = 0;
  r.selected = 1;
  r.buffer = nullptr;
  r.adjust = nullptr;

  // Models 2 and 3 sometimes deliver a clip frame whose data belongs to the
  // next record; the running sum of size codes is how the firmware's own
  // software tells which.
  if (camera_state.subst_check != 0 && (camera_state.camera_model == 2 || camera_state.camera_model == 3)) {
    *subst_counter += SubstitutionSizeCode(width, height);
    if (kind != kPicturePhoto && (*subst_counter == 108 || *subst_counter == 109)) r.use_next = 1;
  }

  const std::size_t transfer = TransferSize(width, height);
  void* block = AllocBlock(transfer);
  // Without a buffer the picture cannot be read; the ones after it would need
  // as much, so the download ends with what it has.
  if (block == nullptr) return PictureResult::Stop;
  r.buffer = block;
  auto* data = static_cast<unsigned char*>(LockBlock(block));
  // What the camera does not deliver stays zero (the block comes zero-filled),
  // so a short read never puts stale memory into a file.
  ReadCameraBlock(data, transfer);
  const BarHeader header{static_cast<uint8_t>(param11_flag), static_cast<uint8_t>(param20),
                         static_cast<uint8_t>(r.mode), width, height};
  StorePicture(record, data, transfer, header);
  UnlockBlock(block);
  FreeBlock(block);
  r.buffer = nullptr;
  return PictureResult::Stored;
}

void FinishWithCamera() {
  CameraCommand(CAMCMD_MODE, 0);
  WaitCameraReady();
  ReleaseCamera();
}

}  // namespace

bool DownloadPictures(void* owner, DownloadPump pump, DownloadFailure* failure) {
  SetFailure(failure, DownloadFailure::None);
  // Writing nowhere would leave a table of pictures that cannot be read:
  // refuse before anything is read from the camera or the table is touched.
  if (!PictureStoreReady()) {
    FinishWithCamera();
    SetFailure(failure, DownloadFailure::NoStore);
    return false;
  }

  const int reported = picture_table.camera_picture_count;
  int subst_counter = 0;
  int downloaded = 0;
  bool store_lost = false;
  for (int index = 0; index < reported && index < kCameraIndexLimit; ++index) {
    // The table has no room for more; the rest of the camera stays unread.
    if (downloaded >= kMaxPictures) break;
    if (pump != nullptr) pump();
    // The window may have been closed from the pump, taking the store with it.
    if (!PictureStoreReady()) {
      store_lost = true;
      break;
    }
    const PictureResult result = DownloadOne(index, downloaded, &subst_counter);
    if (result == PictureResult::Skipped) continue;
    if (result == PictureResult::Stop) break;
    // The file is written, but a camera that can no longer deliver may have
    // sent anything: the picture is not counted.
    if (QueryCameraProperty(CAMPROP_ALIVE) == 0) break;
    ++downloaded;
  }

  if (store_lost) {
    CameraCommand(CAMCMD_MODE, 0);
    ReleaseCamera();
    ForgetPictures();
    SetFailure(failure, DownloadFailure::NoStore);
    return false;
  }

  // Nothing counted, a camera that reported nothing among them: the counts
  // stay as they were.
  if (downloaded == 0) {
    CameraCommand(CAMCMD_MODE, 0);
    ReleaseCamera();
    ShowNoPictures(owner);
    SetFailure(failure, DownloadFailure::NoPictures);
    return false;
  }
  picture_table.camera_picture_count = downloaded;
  picture_table.picture_count = downloaded;
  // Counted from the records even when every picture came: the open counted
  // parameter 10 as the camera answers it, while a picture whose parameter 10
  // is not valid is stored as a photo. Counts that disagree with the table
  // would leave items the pages cannot reach.
  uint16_t photos = 0;
  uint16_t clips = 0;
  CountSelected(&photos, &clips);
  picture_table.photo_count = photos;
  picture_table.clip_count = clips;

  UseBarPath();
  picture_table.item_count = picture_table.photo_count + picture_table.clip_count;
  // The last record has no next file of this download to borrow from: a
  // file of that name is left from an earlier download, or was never written.
  PictureRecord& last = picture_table.records[picture_table.picture_count - 1];
  last.use_next = 0;

  FinishWithCamera();
  return true;
}
