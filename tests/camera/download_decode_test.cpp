// From the camera to the picture: a download from a virtual camera, then every
// photo decoded through the built imaging library and compared with the scene
// the camera holds.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <sys/stat.h>

#include "camera/decoding.h"
#include "camera/download.h"
#include "camera/imaging_library.h"
#include "camera/picture_store.h"
#include "camera_fixture.h"
#include "platform/memory.h"
#include "raw_format.h"
#include "scenes.h"

namespace {

void NoPump() {}

// PSNR of a bottom-up BGR bitmap's pixels against a top-down RGB scene.
double Psnr(const std::vector<uint8_t>& scene, const uint8_t* bgr, int width, int height) {
  double sum = 0;
  for (int y = 0; y < height; ++y) {
    const uint8_t* row = bgr + static_cast<std::size_t>(height - 1 - y) * width * 3;
    for (int x = 0; x < width; ++x) {
      for (int c = 0; c < 3; ++c) {
        const double d = double(row[x * 3 + 2 - c]) - scene[(static_cast<std::size_t>(y) * width + x) * 3 + c];
        sum += d * d;
      }
    }
  }
  const double mse = sum / (double(width) * height * 3);
  return mse == 0 ? 99.0 : 10.0 * std::log10(255.0 * 255.0 / mse);
}

class DownloadDecodeTest : public CameraFixture {
 protected:
  void SetUp() override {
    CameraFixture::SetUp();
    const std::string tmp = dir_.File("tmp");
    ASSERT_EQ(mkdir(tmp.c_str(), 0700), 0);
    setenv("TMPDIR", tmp.c_str(), 1);
    ResetPictureStore();
    ResetImageAdjustments();
    ASSERT_TRUE(CreatePictureStore());
    LoadImagingLibraryFrom(SNAPSRC_BIN_DIR);
    ASSERT_NE(imaging_library.IP_hDIB, nullptr);
  }
  void TearDown() override {
    ResetImagingLibrary();
    DeletePictureStore();
    ResetPictureStore();
    unsetenv("TMPDIR");
    CameraFixture::TearDown();
  }
};

TEST_F(DownloadDecodeTest, DownloadedPhotosDecodeCloseToTheCamerasScenes) {
  SimCamConfig config;
  config.pictures = {MakePhoto(640, 480, 11), MakePhoto(352, 288, 12), MakePhoto(176, 144, 13),
                     MakePhoto(352, 144, 14)};
  Serve(config);
  ASSERT_TRUE(OpenCamera(nullptr));
  ASSERT_TRUE(DownloadPictures(nullptr, NoPump));
  ASSERT_EQ(picture_table.picture_count, 4);

  const double floor[] = {35.0, 34.0, 30.0, 31.0};
  for (int r = 0; r < 4; ++r) {
    const SimPicture& p = config.pictures[static_cast<std::size_t>(r)];
    RawFrameParams params;
    params.width = p.width;
    params.height = p.height;
    const int height = RawPictureHeight(params);
    picture_table.current_picture = r;
    void* bitmap = DecodeCurrentPicture();
    ASSERT_NE(bitmap, nullptr) << "record " << r;
    ASSERT_EQ(BitmapWidth(bitmap), p.width);
    ASSERT_EQ(BitmapHeight(bitmap), height);
    const double psnr = Psnr(RenderScene(p.scene, p.width, height),
                             static_cast<const uint8_t*>(LockBlock(bitmap)) + kBitmapHeaderSize, p.width, height);
    std::printf("[ PSNR     ] %dx%d from the camera: %.2f dB\n", p.width, height, psnr);
    EXPECT_GE(psnr, floor[r]) << p.width << "x" << p.height;
    FreeBlock(bitmap);
  }
}

}  // namespace
