#include "export_fixture.h"

#include <sys/stat.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "camera/camera_commands.h"
#include "camera/decoding.h"
#include "camera/imaging_library.h"
#include "camera/picture_store.h"
#include "camera/picture_table.h"
#include "camera/whole_file.h"
#include "export/save_target.h"
#include "imaging_scene.h"
#include "raw_format.h"
#include "platform/qt_host.h"
#include "ui/progress.h"
#include "ui/progress_layout.h"
#include "ui/resources/language_state.h"
#include "ui/save_dialog.h"
#include "ui/ui_state.h"

namespace {
void ResetEverything() {
  ResetPictureTable();
  ResetPictureStore();
  ResetSaveTarget();
  ResetSaveDialogState();
  ResetSaveMessageBox();
  ResetLanguageState();
  ResetImageAdjustments();
  ResetCameraState();
  ResetProgressState();
  ResetUiState();
}
}  // namespace

void ExportFixture::SetUp() {
  ResetEverything();
  // The command runs inside a window's application; its progress dialog needs one.
  ASSERT_TRUE(EnsureQtApplication());
  store_dir_ = dir_.File("store");
  out_dir_ = dir_.File("out");
  ASSERT_EQ(mkdir(store_dir_.c_str(), 0700), 0);
  ASSERT_EQ(mkdir(out_dir_.c_str(), 0700), 0);
  std::snprintf(picture_store.picture_dir, sizeof picture_store.picture_dir, "%s", store_dir_.c_str());
  std::snprintf(picture_store.store_dir, sizeof picture_store.store_dir, "%s", store_dir_.c_str());
  setenv("SNAPSRC_UNATTENDED", dir_.File("boxes.log").c_str(), 1);
  unsetenv("SNAPSRC_SAVE_AS");
  LoadImagingLibraryFrom(SNAPSRC_BIN_DIR);
  ASSERT_NE(imaging_library.IP_pRGB24, nullptr);
  ASSERT_NE(imaging_library.IP_hDIB, nullptr);
}

void ExportFixture::TearDown() {
  CloseProgressDialog();
  UnloadImagingLibrary();
  ResetEverything();
  unsetenv("SNAPSRC_UNATTENDED");
  unsetenv("SNAPSRC_SAVE_AS");
}

void ExportFixture::Store(const std::vector<StoredPicture>& pictures) {
  ResetPictureTable();
  raw_frames_.clear();
  int frame_number = 0;
  for (std::size_t i = 0; i < pictures.size(); ++i) {
    const StoredPicture& p = pictures[i];
    RawFrameParams params;
    params.width = p.width;
    params.height = p.height;
    params.param20 = 8;
    params.frame_number = p.kind == kPicturePhoto ? 0 : ++frame_number;
    std::vector<uint8_t> scene = MakeScene(p.width, RawPictureHeight(params), p.variant + static_cast<int>(i));
    std::vector<uint8_t> raw = EncodeRawFrame(scene.data(), params);
    ASSERT_FALSE(raw.empty());

    std::vector<uint8_t> file(kBarHeaderSize);
    WriteBarHeader(file.data(), BarHeader{0, 8, 0, p.width, p.height});
    file.insert(file.end(), raw.begin(), raw.end());
    file.insert(file.end(), std::begin(kFrameEndMarker), std::end(kFrameEndMarker));
    char path[kStorePathSize];
    ASSERT_TRUE(PicturePath(static_cast<int>(i), path, sizeof path));
    ASSERT_TRUE(WriteWholeFile(path, file.data(), file.size()));

    if (p.width < 352) ExchangeMosaicRows(raw.data(), p.width, p.height);
    raw_frames_.push_back(std::move(raw));

    PictureRecord& record = picture_table.records[i];
    record.width = p.width;
    record.height = p.height;
    record.kind = p.kind;
    record.param20 = 8;
    record.narrow = p.width < 352 ? 1 : 0;
    record.half_height = p.width > 2 * p.height ? 1 : 0;
    record.selected = p.selected ? 1 : 0;
    if (p.kind == kPicturePhoto) ++picture_table.photo_count;
    if (p.kind == kPictureClipStart) ++picture_table.clip_count;
  }
  picture_table.picture_count = static_cast<int32_t>(pictures.size());
  picture_table.camera_picture_count = picture_table.picture_count;
  picture_table.item_count = picture_table.photo_count + picture_table.clip_count;
}

void ExportFixture::TruncateRawFile(int record, std::size_t bytes) {
  char path[kStorePathSize];
  ASSERT_TRUE(PicturePath(record, path, sizeof path));
  std::filesystem::resize_file(path, bytes);
}

void ExportFixture::RemoveRawFile(int record) {
  char path[kStorePathSize];
  ASSERT_TRUE(PicturePath(record, path, sizeof path));
  ASSERT_EQ(std::remove(path), 0);
}

void ExportFixture::AnswerSaveAs(const std::string& answer) {
  if (answer.empty()) {
    unsetenv("SNAPSRC_SAVE_AS");
  } else {
    setenv("SNAPSRC_SAVE_AS", answer.c_str(), 1);
  }
}

std::vector<std::string> ExportFixture::Boxes() const {
  std::vector<std::string> lines;
  std::ifstream in(dir_.File("boxes.log"));
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

std::vector<uint8_t> ExportFixture::DevelopPhoto(int record, int* width, int* height) const {
  PictureRecord copy = picture_table.records[record];
  copy.record_size = kPictureRecordSize;
  copy.adjust = nullptr;
  auto* bitmap = static_cast<uint8_t*>(imaging_library.IP_hDIB(&copy, raw_frames_[record].data()));
  if (bitmap == nullptr) return {};
  *width = BitmapWidth(bitmap);
  *height = BitmapHeight(bitmap);
  std::vector<uint8_t> rows(bitmap + kBitmapHeaderSize,
                            bitmap + kBitmapHeaderSize + static_cast<std::size_t>(*width) * *height * 3);
  std::free(bitmap);
  return rows;
}

std::vector<uint8_t> ExportFixture::DevelopFrame(int clip_start, int record) const {
  PictureRecord copy = picture_table.records[clip_start];
  copy.record_size = kPictureRecordSize;
  copy.adjust = nullptr;
  std::vector<uint8_t> pixels(static_cast<std::size_t>(copy.width) * copy.height * 3);
  if (imaging_library.IP_pRGB24(&copy, raw_frames_[record].data(), pixels.data()) != 1) return {};
  return pixels;
}

std::vector<std::string> ExportFixture::OutFiles() const {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(out_dir_)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

bool FileExists(const std::string& path) {
  std::error_code error;
  return std::filesystem::exists(path, error);
}

std::vector<uint8_t> ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

double Psnr(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
  if (a.size() != b.size() || a.empty()) return 0.0;
  double sum = 0.0;
  for (std::size_t i = 0; i < a.size(); ++i) {
    const double d = static_cast<double>(a[i]) - static_cast<double>(b[i]);
    sum += d * d;
  }
  if (sum == 0.0) return 99.0;
  const double mse = sum / static_cast<double>(a.size());
  return 10.0 * std::log10(255.0 * 255.0 / mse);
}
