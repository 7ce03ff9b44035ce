// The save command after a real download: a virtual camera served in-process,
// OpenCamera and DownloadPictures into a raw store, then every selected clip
// and photo saved and read back by independent readers.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <QImage>
#include <iostream>

#include "avi_probe.h"
#include "camera/camera_commands.h"
#include "camera/camera_fixture.h"
#include "camera/decoding.h"
#include "camera/download.h"
#include "camera/imaging_library.h"
#include "camera/picture_store.h"
#include "camera/pixel_scaling.h"
#include "camera/whole_file.h"
#include "export/save_target.h"
#include "export_fixture.h"
#include "platform/memory.h"
#include "platform/qt_host.h"
#include "ui/progress.h"
#include "ui/progress_layout.h"
#include "ui/save_dialog.h"

namespace {

void NoPump() {}

class SaveDownloadTest : public CameraFixture {
 protected:
  void SetUp() override {
    CameraFixture::SetUp();
    ASSERT_TRUE(EnsureQtApplication());
    const std::string tmp = dir_.File("tmp");
    out_ = dir_.File("out");
    ASSERT_EQ(mkdir(tmp.c_str(), 0700), 0);
    ASSERT_EQ(mkdir(out_.c_str(), 0700), 0);
    setenv("TMPDIR", tmp.c_str(), 1);
    ResetPictureStore();
    ResetImageAdjustments();
    ResetSaveTarget();
    ResetSaveDialogState();
    ResetProgressState();
    ASSERT_TRUE(CreatePictureStore());
    LoadImagingLibraryFrom(SNAPSRC_BIN_DIR);
    ASSERT_NE(imaging_library.IP_pRGB24, nullptr);
  }
  void TearDown() override {
    CloseProgressDialog();
    ResetImagingLibrary();
    DeletePictureStore();
    ResetPictureStore();
    unsetenv("TMPDIR");
    unsetenv("SNAPSRC_SAVE_AS");
    CameraFixture::TearDown();
  }

  // Frame `record` of the clip at `start` as the clip export develops it.
  std::vector<uint8_t> DevelopFrame(int start, int record) {
    const PictureRecord& clip = picture_table.records[start];
    char path[kStorePathSize];
    EXPECT_TRUE(PicturePath(record, path, sizeof path));
    std::size_t length = 0;
    void* block = ReadWholeFile(path, &length);
    if (block == nullptr) return {};
    auto* raw = static_cast<uint8_t*>(LockBlock(block)) + kBarDataOffset;
    if (clip.narrow != 0) ExchangeRowPairs(raw, clip.width, clip.height);
    PictureRecord copy = clip;
    copy.record_size = kPictureRecordSize;
    copy.adjust = nullptr;
    std::vector<uint8_t> pixels(static_cast<std::size_t>(clip.width) * clip.height * 3);
    const int ok = imaging_library.IP_pRGB24(&copy, raw, pixels.data());
    FreeBlock(block);
    return ok == 1 ? pixels : std::vector<uint8_t>{};
  }

  std::string out_;
};

}  // namespace

TEST_F(SaveDownloadTest, DownloadedClipsAndPhotosAreSaved) {
  SimCamConfig config;
  config.pictures.push_back(MakePhoto(320, 240, 21));
  for (SimPicture& frame : MakeClip(160, 120, 30, 22)) config.pictures.push_back(frame);
  config.pictures.push_back(MakePhoto(352, 288, 23));
  for (SimPicture& frame : MakeClip(176, 144, 4, 24)) config.pictures.push_back(frame);
  for (SimPicture& frame : MakeClip(352, 288, 3, 25)) config.pictures.push_back(frame);
  config.pictures.push_back(MakePhoto(640, 480, 26));
  Serve(config);
  ASSERT_TRUE(OpenCamera(nullptr));
  ASSERT_TRUE(DownloadPictures(nullptr, NoPump));
  ASSERT_EQ(picture_table.picture_count, static_cast<int>(config.pictures.size()));
  // Leave out the second photo and the middle clip.
  const int second_photo = 31, middle_clip = 32, last_clip = 36, last_photo = 39;
  ASSERT_EQ(picture_table.records[second_photo].kind, kPicturePhoto);
  ASSERT_EQ(picture_table.records[middle_clip].kind, kPictureClipStart);
  ASSERT_EQ(picture_table.records[last_clip].kind, kPictureClipStart);
  picture_table.records[second_photo].selected = 0;
  picture_table.records[middle_clip].selected = 0;

  FakeSaveWindow window;
  setenv("SNAPSRC_SAVE_AS", (out_ + "/photo.jpg").c_str(), 1);
  SaveSelectedPictures(window);

  EXPECT_EQ(progress_state.done, 4);
  EXPECT_EQ(progress_state.total, 4);
  EXPECT_EQ(Boxes(), std::vector<std::string>{"Save photos\tFiles are saved completely.\tOK\tOK"});
  for (const char* name : {"video001.avi", "video002.avi", "photo001.jpg", "photo002.jpg"}) {
    EXPECT_TRUE(FileExists(out_ + "/" + name)) << name;
  }
  EXPECT_FALSE(FileExists(out_ + "/video003.avi"));
  EXPECT_FALSE(FileExists(out_ + "/photo003.jpg"));

  struct Clip {
    const char* name;
    int start;
    int frames;
    double seconds;
  };
  for (const Clip& c : {Clip{"video001.avi", 1, 30, 5.0}, Clip{"video002.avi", last_clip, 3, 0.5}}) {
    SCOPED_TRACE(c.name);
    const PictureRecord& clip = picture_table.records[c.start];
    AviProbe probe;
    ASSERT_TRUE(ProbeAvi(out_ + "/" + c.name, &probe));
    EXPECT_EQ(probe.complaints, "");
    EXPECT_EQ(probe.codec_name, "rawvideo");
    EXPECT_EQ(probe.codec_tag, "IYUV");
    EXPECT_EQ(probe.frame_rate, "6/1");
    EXPECT_EQ(probe.frames, c.frames);
    EXPECT_NEAR(probe.duration, c.seconds, 1e-3);
    EXPECT_EQ(probe.width, clip.width);
    EXPECT_EQ(probe.height, clip.height);
    const auto decoded = DecodeAviFrames(out_ + "/" + c.name, clip.width, clip.height);
    ASSERT_EQ(decoded.size(), static_cast<std::size_t>(c.frames));
    double worst = 99.0, sum = 0.0;
    for (int j = 0; j < c.frames; ++j) {
      const double psnr = Psnr(decoded[j], FlipRows(DevelopFrame(c.start, c.start + j), clip.width, clip.height));
      worst = std::min(worst, psnr);
      sum += psnr;
    }
    std::cout << "[ figures ] downloaded " << c.name << " (" << clip.width << "x" << clip.height << ", "
              << c.frames << " frames) against the developed frames: mean PSNR " << sum / c.frames << " dB, worst "
              << worst << " dB\n";
    EXPECT_GT(worst, 30.0);
  }

  // The photos are the decoded pictures, through our JPEG encoder.
  struct Photo {
    const char* name;
    int record;
  };
  for (const Photo& p : {Photo{"photo001.jpg", 0}, Photo{"photo002.jpg", last_photo}}) {
    SCOPED_TRACE(p.name);
    picture_table.current_picture = p.record;
    void* bitmap = DecodeCurrentPicture();
    ASSERT_NE(bitmap, nullptr);
    const int w = BitmapWidth(bitmap), h = BitmapHeight(bitmap);
    const auto* rows = static_cast<const uint8_t*>(bitmap) + kBitmapHeaderSize;
    QImage image(QString::fromStdString(out_ + "/" + p.name));
    ASSERT_EQ(image.size(), QSize(w, h));
    image = image.convertToFormat(QImage::Format_RGB888);
    std::vector<uint8_t> from_file, decoded;
    for (int y = 0; y < h; ++y) {
      const uint8_t* line = image.constScanLine(y);
      const uint8_t* row = rows + static_cast<std::size_t>(h - 1 - y) * w * 3;
      for (int x = 0; x < w; ++x) {
        for (int c = 0; c < 3; ++c) {
          from_file.push_back(line[x * 3 + c]);
          decoded.push_back(row[x * 3 + 2 - c]);
        }
      }
    }
    FreeBlock(bitmap);
    const double psnr = Psnr(from_file, decoded);
    std::cout << "[ figures ] downloaded " << p.name << " (" << w << "x" << h << ") JPEG against the decoded picture: PSNR "
              << psnr << " dB\n";
    EXPECT_GT(psnr, 28.0);
  }
}
