// The encoder's exact output, pinned. The hashes were taken from the first,
// plain version of the encoder (one sample at a time, 32-bit bit writer);
// every faster version must reproduce them byte for byte.
#include <gtest/gtest.h>

#include <cstdio>
#include <vector>

#include "export/jpeg_encoder.h"
#include "export/jpeg_test_images.h"

namespace {

uint64_t Fnv1a(const uint8_t* data, std::size_t size) {
  uint64_t hash = 14695981039346656037ull;
  for (std::size_t i = 0; i < size; ++i) hash = (hash ^ data[i]) * 1099511628211ull;
  return hash;
}

struct Case {
  const char* picture;  // "natural" or "noise"
  unsigned format, width, height, scale;
  std::size_t size;
  uint64_t hash;
};

constexpr Case kCases[] = {
    {"natural", JPEG_BGR, 320, 240, 256, 9092, 0x0e4d2af182a102d5ull},
    {"noise", JPEG_BGR, 640, 480, 256, 355707, 0x9fd7ce6610e9a81dull},
    {"natural", JPEG_BGR, 1280, 960, 256, 70889, 0x57fd5ff82ab2d948ull},
    {"natural", JPEG_BGR, 640, 240, 256, 14757, 0x94d73ccf7c752b51ull},
    {"noise", JPEG_BGR, 99, 61, 256, 8483, 0xfff0fb75a9850e0full},
    {"natural", JPEG_BGR, 1, 1, 256, 598, 0x6696d37bd94669d0ull},
    {"natural", JPEG_GRAY, 333, 77, 1024, 5123, 0x927e3e57f59698f7ull},
    {"noise", JPEG_YCC420, 50, 38, 0, 6175, 0x9694223e7a078dc3ull},
    {"natural", JPEG_YCC444, 41, 23, 5000, 702, 0x1cecda6e5536e90eull},
    {"noise", JPEG_YCC422, 64, 16, 100000000, 835, 0x64b9416cbc624a51ull},
    {"natural", JPEG_YCC422, 31, 9, 256, 905, 0xbb7a809889d1c1baull},
};

TEST(JpegPinned, OutputBytesNeverChange) {
  for (const Case& c : kCases) {
    SCOPED_TRACE(testing::Message() << c.picture << " " << c.format << " " << c.width << "x" << c.height);
    std::vector<uint8_t> input = std::string(c.picture) == "noise" ? MakeNoiseBgr(c.width, c.height, 3)
                                                                    : MakeNaturalBgr(c.width, c.height);
    input.resize(JpegInputSize(c.format, c.width, c.height));
    std::vector<uint8_t> out(JpegOutputBound(c.format, c.width, c.height));
    const uint8_t* end = EncodeJpeg(input.data(), out.data(), c.scale, c.format, c.width, c.height);
    ASSERT_NE(end, nullptr);
    const auto size = static_cast<std::size_t>(end - out.data());
    const uint64_t hash = Fnv1a(out.data(), size);
    if (size != c.size || hash != c.hash) {
      std::printf("    {\"%s\", %u, %u, %u, %u, %zu, 0x%016llxull},\n", c.picture, c.format, c.width, c.height,
                  c.scale, size, static_cast<unsigned long long>(hash));
    }
    EXPECT_EQ(size, c.size);
    EXPECT_EQ(hash, c.hash);
  }
}

}  // namespace
