// A whole batch as a host sees it, with the camera's real download and
// decoding: four photos downloaded from a virtual camera, three of them
// selected, fetched once with each mechanism, and compared with what decoding
// gives for the same record. Driven in-process through the source's entry:
// until the window has its download and transfer buttons nothing in a host's
// reach fills the store or starts a batch, so the download runs as its
// command will run it and the batch starts as the transfer button starts it.
#include <QImage>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <array>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "camera/camera_fixture.h"
#include "camera/decoding.h"
#include "camera/download.h"
#include "camera/imaging_library.h"
#include "camera/picture_store.h"
#include "camera/picture_table.h"
#include "platform/memory.h"
#include "support/test_host.h"
#include "twain/capability_table.h"
#include "twain/entry.h"
#include "twain/source_state.h"
#include "twain/transfer_state.h"
#include "ui/main_window.h"
#include "ui/progress.h"
#include "ui/progress_layout.h"

namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 480;
constexpr int kPictures = 4;  // record 2 is left unselected
constexpr uint32_t kStride = kWidth * 3;

void NoPump() {}

std::vector<uint8_t> BlockBytes(const void* block, std::size_t n) {
  const auto* p = static_cast<const uint8_t*>(block);
  return std::vector<uint8_t>(p, p + n);
}

// The pixel at (x, y), y from the top, of a bottom-up 24-bit DIB, as r, g, b.
std::array<uint8_t, 3> DibPixel(const std::vector<uint8_t>& dib, int x, int y) {
  const uint8_t* p = dib.data() + 40 + static_cast<std::size_t>(kHeight - 1 - y) * kStride + 3 * x;
  return {p[2], p[1], p[0]};
}

class TransferBatch : public CameraFixture {
 protected:
  void SetUp() override {
    CameraFixture::SetUp();
    ResetSourceState();
    ResetTransferState();
    ResetCapabilities();
    ResetPictureStore();
    ResetProgressState();
    const std::string tmp = dir_.File("tmp");
    ASSERT_EQ(mkdir(tmp.c_str(), 0700), 0);
    setenv("TMPDIR", tmp.c_str(), 1);
    ASSERT_TRUE(CreatePictureStore());
    LoadImagingLibraryFrom(SNAPSRC_BIN_DIR);
    ASSERT_NE(imaging_library.IP_hDIB, nullptr);

    SimCamConfig config;
    for (int i = 0; i < kPictures; ++i) config.pictures.push_back(MakePhoto(kWidth, kHeight, 21 + i));
    Serve(config);
    ASSERT_TRUE(OpenCamera(nullptr));
    ASSERT_TRUE(DownloadPictures(nullptr, NoPump));
    ASSERT_EQ(picture_table.picture_count, kPictures);
    picture_table.records[2].selected = 0;  // every downloaded picture starts selected

    // What decoding gives for each record, fetched the way the transfer will.
    for (int i = 0; i < kPictures; ++i) {
      picture_table.current_picture = i;
      void* dib = UpscalePicture(DecodeCurrentPicture());
      ASSERT_NE(dib, nullptr) << i;
      ASSERT_EQ(BitmapWidth(dib), kWidth);
      ASSERT_EQ(BitmapHeight(dib), kHeight);
      decoded_.push_back(BlockBytes(dib, 40 + static_cast<std::size_t>(kStride) * kHeight));
      FreeBlock(dib);
    }
    picture_table.current_picture = 0;
    // Different pictures, so that a mix-up shows.
    ASSERT_NE(decoded_[0], decoded_[1]);
    ASSERT_NE(decoded_[1], decoded_[3]);
  }

  void TearDown() override {
    if (source_state.main_window != nullptr) {
      ReleaseMainWindow();
      DestroyMainWindow(source_state.main_window);
    }
    CloseProgressDialog();
    ResetImagingLibrary();
    DeletePictureStore();
    ResetPictureStore();
    ResetSourceState();
    ResetTransferState();
    ResetCapabilities();
    unsetenv("TMPDIR");
    CameraFixture::TearDown();
  }

  TW_UINT16 Call(TW_UINT32 dg, TW_UINT16 dat, TW_UINT16 msg, void* data) {
    return SourceEntry(&host_.app, dg, dat, msg, data);
  }

  TW_UINT16 EndXfer() {
    TW_PENDINGXFERS pending{0xBEEF, 0};
    EXPECT_EQ(Call(DG_CONTROL, DAT_PENDINGXFERS, MSG_ENDXFER, &pending), TWRC_SUCCESS);
    EXPECT_EQ(source_state.state, 6);
    return pending.Count;
  }

  void ExpectImageInfo() {
    TW_IMAGEINFO info{};
    ASSERT_EQ(Call(DG_IMAGE, DAT_IMAGEINFO, MSG_GET, &info), TWRC_SUCCESS);
    EXPECT_EQ(TW_INT32{info.ImageWidth}, kWidth);
    EXPECT_EQ(TW_INT32{info.ImageLength}, kHeight);
    EXPECT_EQ(TW_INT16{info.BitsPerPixel}, 24);
  }

  TestHost host_;  // receives the notifications; the boxes go to the fixture's log
  std::vector<std::vector<uint8_t>> decoded_;
};

TEST_F(TransferBatch, ThreePhotosOnceWithEachMechanism) {
  TW_IDENTITY self{};
  self.Id = 2;
  ASSERT_EQ(Call(DG_CONTROL, DAT_IDENTITY, MSG_OPENDS, &self), TWRC_SUCCESS);
  TW_USERINTERFACE ui{1, 0, nullptr};
  ASSERT_EQ(Call(DG_CONTROL, DAT_USERINTERFACE, MSG_ENABLEDS, &ui), TWRC_SUCCESS);
  OpenProgressDialog(source_state.main_window);
  ProgressBegin(3);
  TestHost::Notifications().clear();
  ASSERT_EQ(StartTransferBatch(), 3);
  EXPECT_EQ(source_state.state, 6);
  EXPECT_EQ(picture_table.current_picture, 0);

  // Record 0, native: the same DIB, which the host frees.
  ExpectImageInfo();
  TW_HANDLE native = nullptr;
  ASSERT_EQ(Call(DG_IMAGE, DAT_IMAGENATIVEXFER, MSG_GET, &native), TWRC_XFERDONE);
  ASSERT_NE(native, nullptr);
  EXPECT_TRUE(BlockBytes(native, decoded_[0].size()) == decoded_[0]);
  std::free(native);
  EXPECT_EQ(EndXfer(), 2);
  EXPECT_EQ(picture_table.current_picture, 1);

  // Record 1, memory: 65535-byte buffers, each call after one with a buffer
  // shorter than a row, which receives nothing.
  ExpectImageInfo();
  std::vector<uint8_t> rows;
  std::vector<uint8_t> buffer(65535);
  std::vector<uint8_t> short_buffer(kStride - 1, 0xEE);
  TW_UINT16 rc = TWRC_SUCCESS;
  int calls = 0;
  while (rc == TWRC_SUCCESS && calls < 20) {
    TW_IMAGEMEMXFER xfer{};
    xfer.Memory = {TWMF_APPOWNS | TWMF_POINTER, static_cast<TW_UINT32>(short_buffer.size()), short_buffer.data()};
    ASSERT_EQ(Call(DG_IMAGE, DAT_IMAGEMEMXFER, MSG_GET, &xfer), TWRC_SUCCESS);
    EXPECT_EQ(TW_UINT32{xfer.BytesWritten}, 0u);
    EXPECT_EQ(TW_UINT32{xfer.YOffset}, rows.size() / kStride);

    xfer = TW_IMAGEMEMXFER{};
    xfer.Memory = {TWMF_APPOWNS | TWMF_POINTER, static_cast<TW_UINT32>(buffer.size()), buffer.data()};
    rc = Call(DG_IMAGE, DAT_IMAGEMEMXFER, MSG_GET, &xfer);
    ++calls;
    EXPECT_EQ(TW_UINT32{xfer.BytesPerRow}, kStride);
    EXPECT_EQ(TW_UINT32{xfer.Columns}, static_cast<TW_UINT32>(kWidth));
    EXPECT_EQ(TW_UINT32{xfer.YOffset}, rows.size() / kStride);
    rows.insert(rows.end(), buffer.begin(), buffer.begin() + xfer.BytesWritten);
  }
  EXPECT_EQ(rc, TWRC_XFERDONE);
  EXPECT_EQ(calls, 15);
  EXPECT_EQ(short_buffer, std::vector<uint8_t>(kStride - 1, 0xEE));
  ASSERT_EQ(rows.size(), static_cast<std::size_t>(kStride) * kHeight);
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      const uint8_t* p = rows.data() + static_cast<std::size_t>(y) * kStride + 3 * x;
      ASSERT_EQ((std::array<uint8_t, 3>{p[0], p[1], p[2]}), DibPixel(decoded_[1], x, y)) << x << "," << y;
    }
  }
  EXPECT_EQ(EndXfer(), 1);
  EXPECT_EQ(picture_table.current_picture, 3);  // record 2 is not selected

  // Record 3, file: a BMP that Qt reads back with the decoded pixels.
  ExpectImageInfo();
  const std::string file = dir_.File("photo.bmp");
  TW_SETUPFILEXFER setup{};
  std::snprintf(setup.FileName, sizeof setup.FileName, "%s", file.c_str());
  setup.Format = TWFF_TIFF;
  ASSERT_EQ(Call(DG_CONTROL, DAT_SETUPFILEXFER, MSG_SET, &setup), TWRC_SUCCESS);
  ASSERT_EQ(Call(DG_IMAGE, DAT_IMAGEFILEXFER, MSG_GET, nullptr), TWRC_XFERDONE);
  const std::string bytes = ReadTextFile(file);
  ASSERT_EQ(bytes.size(), 921654u);
  uint32_t bf_size = 0;
  std::memcpy(&bf_size, bytes.data() + 2, 4);
  EXPECT_EQ(bf_size, 921654u);
  QImage image(QString::fromStdString(file), "BMP");
  ASSERT_FALSE(image.isNull());
  ASSERT_EQ(image.width(), kWidth);
  ASSERT_EQ(image.height(), kHeight);
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      const QRgb p = image.pixel(x, y);
      ASSERT_EQ((std::array<uint8_t, 3>{static_cast<uint8_t>(qRed(p)), static_cast<uint8_t>(qGreen(p)),
                                        static_cast<uint8_t>(qBlue(p))}),
                DibPixel(decoded_[3], x, y))
          << x << "," << y;
    }
  }

  // The last end: the window drops the progress dialog and asks the host to close.
  EXPECT_EQ(EndXfer(), 0);
  EXPECT_EQ(TestHost::Notifications(), (std::vector<TW_UINT16>{MSG_XFERREADY, MSG_CLOSEDSREQ}));
  EXPECT_EQ(source_state.state, 6);
  EXPECT_EQ(ProgressDialogWindow(), nullptr);
  EXPECT_EQ(progress_state.done, 3);
  EXPECT_TRUE(Boxes().empty());
}

}  // namespace
