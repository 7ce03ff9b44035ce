#include "export/photo_export.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

#include "camera/decoding.h"
#include "camera/picture_table.h"
#include "export/bmp_writer.h"
#include "export/clip_export.h"
#include "export/file_replace.h"
#include "export/jpeg_encoder.h"
#include "export/save_target.h"
#include "platform/clock.h"
#include "platform/memory.h"
#include "ui/progress.h"
#include "ui/resources/language_state.h"
#include "ui/resources/strings.h"
#include "ui/ui_state.h"

SaveMessageBox save_message_box = ShowMessageBox;

void ResetSaveMessageBox() { save_message_box = ShowMessageBox; }

namespace {

// The pause that lets the user see the full counter before the dialog goes.
constexpr uint32_t kProgressLingerMs = 250;

std::string Text(int id, std::size_t max_chars) {
  return ResourceText(id + language_state.language_offset, max_chars);
}

// The resource's one "%s" replaced by `path`; the format comes from our own
// table, but it is treated as text all the same.
std::string WithPath(const std::string& format, const std::string& path) {
  const std::size_t at = format.find("%s");
  if (at == std::string::npos) return format;
  return format.substr(0, at) + path + format.substr(at + 2);
}

}  // namespace

int ConfirmOverwrite(const std::string& path) {
  std::FILE* file = std::fopen(path.c_str(), "r+b");
  if (file == nullptr) {
    std::error_code error;
    // Something is there that we may not replace: say so rather than let a
    // rename quietly put a new file over a protected one.
    return std::filesystem::exists(path, error) ? 2 : 0;
  }
  std::fclose(file);
  PumpMessages(ui_state.main_window);
  const std::string caption = Text(kSaveCaptionText, kMessageCaptionChars);
  const std::string question = WithPath(Text(kReplaceQuestionText, kMessageFormatChars), path);
  MessageAnswer answer =
      save_message_box(ProgressDialogWindow(), caption, question, MessageButtons::YesNo, MessageIcon::Question);
  return answer == MessageAnswer::Yes ? 0 : 1;
}

bool WritePhotoFile(const std::string& path, int save_type, uint8_t* bits, int width, int height) {
  const std::string temporary = ReserveTemporaryFile(path);
  if (temporary.empty()) return false;
  bool written = save_type == 1
                     ? SaveJpegFile(temporary.c_str(), bits, static_cast<unsigned>(width), static_cast<unsigned>(height))
                     : WriteBmpFile(temporary.c_str(), bits, width, height) == 1;
  if (!written) {
    DiscardTemporaryFile(temporary);
    return false;
  }
  return CommitTemporaryFile(temporary, path);
}

namespace {

// Decodes the current picture as the host would get it and writes it; false
// when there was nothing to write or the file did not get written.
bool SaveCurrentPhoto(const std::string& path) {
  void* bitmap = DecodeCurrentPicture();
  if (bitmap == nullptr) return false;
  bitmap = UpscalePicture(bitmap);
  if (bitmap == nullptr) return false;
  bool written = false;
  auto* header = static_cast<uint8_t*>(LockBlock(bitmap));
  const int32_t width = BitmapWidth(header);
  const int32_t height = BitmapHeight(header);
  // The block must hold every row the header promises.
  if (width > 0 && height > 0 && width <= 16384 && height <= 16384 &&
      BlockSize(bitmap) >= kBitmapHeaderSize + static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3) {
    written = WritePhotoFile(path, save_target.save_type, header + kBitmapHeaderSize, width, height);
  }
  UnlockBlock(bitmap);
  FreeBlock(bitmap);
  return written;
}

}  // namespace

void SaveSelectedPhotos(SaveReport* report) {
  int n = 1;
  for (int i = 0; i < picture_table.picture_count && i < kMaxPictures; ++i) {
    picture_table.current_picture = i;
    const PictureRecord& record = picture_table.records[i];
    if (record.selected == 0 || record.kind != kPicturePhoto) continue;
    const std::string path = PhotoFileName(save_target, n);
    ++n;
    const int overwrite = ConfirmOverwrite(path);
    if (overwrite == 0) {
      if (SaveCurrentPhoto(path)) {
        ++report->written;
      } else {
        report->Failed(path);
      }
    } else if (overwrite == 2) {
      report->Failed(path);
    }
    ProgressStep();
  }
}

void SaveSelectedPictures(SaveWindow& window) {
  uint16_t photos = 0;
  uint16_t clips = 0;
  CountSelected(&photos, &clips);
  if (ChooseSaveTarget(window.DialogOwner()) == 0) return;

  window.EnableButton(kTransferButton, false);
  window.EnableButton(kSaveButton, false);
  OpenProgressDialog(window.DialogOwner());
  ProgressBegin(photos + clips);
  PumpMessages(ProgressDialogWindow());

  SaveReport report;
  if (clips > 0) SaveSelectedClips(window, &report);
  if (photos > 0) SaveSelectedPhotos(&report);

  if (ProgressDialogWindow() != nullptr) {
    SleepMs(kProgressLingerMs);
    CloseProgressDialog();
  }
  window.EnableButton(kSaveButton, true);
  if (!window.LauncherMode()) window.EnableButton(kTransferButton, true);

  const std::string caption = Text(kSaveCaptionText, kMessageCaptionChars);
  if (report.failed > 0) {
    save_message_box(window.DialogOwner(), caption,
                     WithPath(Text(kNotSavedText, kMessageFormatChars), report.first_failed), MessageButtons::Ok,
                     MessageIcon::Warning);
  }
  if (report.written > 0) {
    save_message_box(window.DialogOwner(), caption, Text(kSavedText, kSavedTextChars), MessageButtons::Ok,
                     MessageIcon::Information);
  }
}
