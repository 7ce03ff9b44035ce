// A raw picture store made directly: .bar files of natural scenes through the
// camera's raw format, a filled picture table, the built imaging library, the
// virtual clock, unattended boxes and a folder to save into.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "export/photo_export.h"
#include "platform/virtual_clock.h"
#include "support/temp_dir.h"

struct StoredPicture {
  int kind;  // kPicturePhoto, kPictureClipStart, kPictureClipFrame
  int width;
  int height;
  bool selected;
  int variant = 0;
};

class FakeSaveWindow : public SaveWindow {
 public:
  void* DialogOwner() override { return nullptr; }
  void EnableButton(int id, bool enabled) override { calls.push_back({id, enabled}); }
  bool LauncherMode() override { return launcher; }
  void ShowWaitCursor(bool on) override { wait_cursor.push_back(on); }
  std::vector<bool> wait_cursor;
  std::vector<std::pair<int, bool>> calls;
  bool launcher = false;
};

class ExportFixture : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Fills the table and the store; every record gets its own .bar file.
  void Store(const std::vector<StoredPicture>& pictures);
  // Rewrites record `record`'s .bar file with only its first `bytes` bytes.
  void TruncateRawFile(int record, std::size_t bytes);
  void RemoveRawFile(int record);

  // The save dialog's unattended answer ("<path>[;bmp|;jpg]"), unset for "".
  void AnswerSaveAs(const std::string& answer);
  // Runs the whole command.
  void RunSave() { SaveSelectedPictures(window_); }

  // Message boxes logged so far, as "caption<TAB>text<TAB>buttons<TAB>answer".
  std::vector<std::string> Boxes() const;
  // The developed picture of record `record` as a packed bitmap's rows.
  std::vector<uint8_t> DevelopPhoto(int record, int* width, int* height) const;
  // A clip frame developed as the clip export develops it.
  std::vector<uint8_t> DevelopFrame(int clip_start, int record) const;

  std::string Out(const std::string& name) const { return out_dir_ + "/" + name; }
  std::vector<std::string> OutFiles() const;

  TempDir dir_;
  std::string store_dir_;
  std::string out_dir_;
  ScopedVirtualClock clock_;
  FakeSaveWindow window_;
  std::vector<std::vector<uint8_t>> raw_frames_;  // frame bytes per record, rows as the library wants them
};

bool FileExists(const std::string& path);
std::vector<uint8_t> ReadBytes(const std::string& path);
// Peak signal-to-noise ratio of two equally long byte strings, in dB (99 when equal).
double Psnr(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b);
