// SaveJpegFile: bottom-up bitmaps to files, and failures reported as such.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "camera/whole_file.h"
#include "export/jpeg_encoder.h"
#include "export/jpeg_test_images.h"
#include "export/libjpeg_codec.h"
#include "platform/memory.h"
#include "support/temp_dir.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes ReadFile(const std::string& path) {
  std::size_t length = 0;
  void* block = ReadWholeFile(path.c_str(), &length);
  if (block == nullptr) return {};
  Bytes bytes(static_cast<uint8_t*>(block), static_cast<uint8_t*>(block) + length);
  FreeBlock(block);
  return bytes;
}

Bytes FlipRows(const Bytes& pixels, unsigned width, unsigned height) {
  Bytes flipped(pixels.size());
  const std::size_t row = 3 * static_cast<std::size_t>(width);
  for (unsigned y = 0; y < height; ++y) {
    std::copy_n(pixels.begin() + static_cast<std::ptrdiff_t>(y * row), row,
                flipped.begin() + static_cast<std::ptrdiff_t>((height - 1 - y) * row));
  }
  return flipped;
}

TEST(SaveJpegFile, WritesTheUprightPicture) {
  TempDir dir;
  struct Size {
    unsigned width, height;
  };
  // Odd heights keep their middle row where it is.
  for (const Size s : {Size{320, 240}, Size{16, 5}, Size{7, 3}, Size{1, 1}}) {
    SCOPED_TRACE(testing::Message() << s.width << "x" << s.height);
    const Bytes upright = MakeNaturalBgr(s.width, s.height);
    Bytes bitmap = FlipRows(upright, s.width, s.height);
    const std::string path = dir.File("photo001.jpg");
    ASSERT_TRUE(SaveJpegFile(path.c_str(), bitmap.data(), s.width, s.height));

    Bytes expected_pixels = upright;
    Bytes expected(JpegOutputBound(JPEG_BGR, s.width, s.height));
    const uint8_t* end = EncodeJpeg(expected_pixels.data(), expected.data(), 256, JPEG_BGR, s.width, s.height);
    ASSERT_NE(end, nullptr);
    expected.resize(static_cast<std::size_t>(end - expected.data()));
    const Bytes file = ReadFile(path);
    EXPECT_EQ(file, expected);
    // The caller's rows are left upright and converted.
    EXPECT_EQ(bitmap, expected_pixels);

    const DecodedJpeg decoded = DecodeWithLibjpeg(file.data(), file.size(), DecodeAs::kBgr);
    ASSERT_TRUE(decoded.ok) << decoded.error;
    if (s.width >= 100) {
      EXPECT_GT(Psnr(upright.data(), decoded.pixels.data(), upright.size()), 35.0);
    }
  }
}

TEST(SaveJpegFile, ReportsWhatWasNotWritten) {
  TempDir dir;
  Bytes bitmap = MakeNoiseBgr(64, 48);
  EXPECT_FALSE(SaveJpegFile(dir.File("missing/photo001.jpg").c_str(), bitmap.data(), 64, 48));
  EXPECT_FALSE(SaveJpegFile(dir.path().c_str(), bitmap.data(), 64, 48));
  EXPECT_FALSE(SaveJpegFile("/dev/full", bitmap.data(), 64, 48));
  EXPECT_FALSE(SaveJpegFile(dir.File("empty.jpg").c_str(), bitmap.data(), 0, 48));
  EXPECT_FALSE(SaveJpegFile(dir.File("null.jpg").c_str(), nullptr, 64, 48));
  EXPECT_FALSE(SaveJpegFile(nullptr, bitmap.data(), 64, 48));
  EXPECT_TRUE(ReadFile(dir.File("empty.jpg")).empty());
}

}  // namespace
