// The "Save photos" command: the save dialog, then every selected clip as an
// AVI file and every selected photo as a numbered JPEG or BMP file, with a
// progress dialog, a question before replacing a file, and a closing message.
//
// A file counts as saved only when it really reached the disk. A replaced file
// is written beside the old one first and renamed over it when complete, so a
// failed save never loses what was there.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/message_box.h"

// What the command needs of the main window.
class SaveWindow {
 public:
  virtual ~SaveWindow() = default;
  // The window that owns the dialogs and messages.
  virtual void* DialogOwner() = 0;
  virtual void EnableButton(int id, bool enabled) = 0;
  virtual bool LauncherMode() = 0;
  // The wait cursor, on while a clip file is written: no events are pumped
  // between its frames, so nothing else shows that work goes on.
  virtual void ShowWaitCursor(bool on) { (void)on; }
};

constexpr int kTransferButton = 123;
constexpr int kSaveButton = 127;

// Resource ids, before the language offset.
constexpr int kSaveCaptionText = 118;
constexpr int kReplaceQuestionText = 120;
constexpr int kSavedText = 121;
constexpr int kNotSavedText = 124;

// The outcome of one command.
struct SaveReport {
  int written = 0;           // files that reached the disk
  int failed = 0;            // files that should have been written and were not
  std::string first_failed;  // the path of the first of those
  void Failed(const std::string& path) {
    if (failed++ == 0) first_failed = path;
  }
};

// How the command asks and tells; ShowMessageBox unless a test installs its own.
using SaveMessageBox = MessageAnswer (*)(void* owner, std::string_view caption, std::string_view text,
                                         MessageButtons buttons, MessageIcon icon);
extern SaveMessageBox save_message_box;
void ResetSaveMessageBox();

// The whole command, run by the window's save button.
void SaveSelectedPictures(SaveWindow& window);

// Every selected photo into save_target's numbered files.
void SaveSelectedPhotos(SaveReport* report);

// Before writing `path`: 0 go ahead (no such file, or the user agreed to
// replace it; the old file stays until the new one is complete), 1 the user
// keeps the existing file, 2 a file or folder of that name exists that cannot
// be replaced (not writable, a folder).
int ConfirmOverwrite(const std::string& path);

// The writer of one photo: decodes nothing, only writes `bits` (bottom-up
// 24-bit rows) as `save_type` says, through a temporary file. True when the
// file is in place.
bool WritePhotoFile(const std::string& path, int save_type, uint8_t* bits, int width, int height);
