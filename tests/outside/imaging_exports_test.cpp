// The library's three exports: what they hand back, what they refuse, what
// the adjustments do, and that the built file exports nothing else.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "imaging_scene.h"
#include "kx3300_ip.h"
#include "raw_format.h"

namespace {

const std::string kBuiltLibrary = std::string(SNAPSRC_BIN_DIR) + "/KX3300_IP.DLL";

uint32_t Read32(const uint8_t* p) { return p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24; }
uint16_t Read16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }

using Block = std::unique_ptr<uint8_t, decltype(&std::free)>;

// A frame of a natural scene with its record, as the source prepares them.
struct Picture {
  RawFrameParams params;
  std::vector<uint8_t> raw;
  double adjust[3] = {1.0, 1.0, 1.0};
  KX3300_PictureRecordPrefix record{};

  Picture(int w, int h, const std::vector<uint8_t>* scene = nullptr) {
    params.width = w;
    params.height = h;
    const std::vector<uint8_t> made = scene ? *scene : MakeScene(w, RawPictureHeight(params), 2);
    raw = EncodeRawFrame(made.data(), params);
    if (w < 352) ExchangeMosaicRows(raw.data(), w, h);
    record.record_size = sizeof record;
    record.width = w;
    record.height = h;
    record.narrow = w < 352;
    record.half_height = w > 2 * h;
    record.adjust = adjust;
  }
  Block Develop() { return Block(static_cast<uint8_t*>(IP_hDIB(&record, raw.data())), &std::free); }
};

double MeanOf(const uint8_t* p, std::size_t n) {
  double sum = 0;
  for (std::size_t i = 0; i < n; ++i) sum += p[i];
  return sum / n;
}

TEST(ImagingExports, BitmapIsAPackedBottomUpDib) {
  const struct {
    int w, h, rows;
  } cases[] = {{352, 288, 288}, {640, 480, 480}, {352, 144, 288}, {640, 240, 480}, {176, 144, 144}, {88, 72, 72}};
  for (const auto& c : cases) {
    Picture picture(c.w, c.h);
    Block block = picture.Develop();
    ASSERT_TRUE(block) << c.w << "x" << c.h;
    const uint8_t* header = block.get();
    EXPECT_EQ(Read32(header + 0), 40u);
    EXPECT_EQ(Read32(header + 4), static_cast<uint32_t>(c.w));
    EXPECT_EQ(Read32(header + 8), static_cast<uint32_t>(c.rows));
    EXPECT_EQ(Read16(header + 12), 1);
    EXPECT_EQ(Read16(header + 14), 24);
    EXPECT_EQ(Read32(header + 16), 0u);
    EXPECT_EQ(Read32(header + 20), static_cast<uint32_t>(c.w * 3 * c.rows));
    EXPECT_EQ(Read32(header + 32), 0u);  // no colour table
  }
}

TEST(ImagingExports, OddSizesDevelopWithoutRowPadding) {
  for (auto [w, h] : {std::pair{1, 1}, {2, 1}, {1, 3}, {3, 5}, {5, 2}, {7, 1}, {13, 11}, {4096, 2}}) {
    Picture picture(w, h);
    Block block = picture.Develop();
    ASSERT_TRUE(block) << w << "x" << h;
    const int rows = w > 2 * h ? 2 * h : h;
    EXPECT_EQ(Read32(block.get() + 20), static_cast<uint32_t>(w * 3 * rows)) << w << "x" << h;
  }
}

TEST(ImagingExports, UnusableRecordsGiveNothing) {
  Picture picture(352, 288);
  EXPECT_EQ(IP_hDIB(nullptr, picture.raw.data()), nullptr);
  EXPECT_EQ(IP_hDIB(&picture.record, nullptr), nullptr);

  const struct {
    int record_size, width, height;
  } cases[] = {
      {56, 352, 288},  // a record shorter than the fields the library reads
      {0, 352, 288},   {72, 0, 288}, {72, 352, 0}, {72, -352, 288}, {72, 352, -288},
      {72, KX3300_IP_MAX_SIDE + 1, 2}, {72, 2, KX3300_IP_MAX_SIDE + 1},
  };
  std::vector<uint8_t> pixels(16, 0xEE);
  for (const auto& c : cases) {
    KX3300_PictureRecordPrefix record = picture.record;
    record.record_size = c.record_size;
    record.width = c.width;
    record.height = c.height;
    EXPECT_EQ(IP_hDIB(&record, picture.raw.data()), nullptr) << c.record_size << " " << c.width << "x" << c.height;
    EXPECT_EQ(IP_pRGB24(&record, picture.raw.data(), pixels.data()), 0);
  }
  EXPECT_EQ(pixels, std::vector<uint8_t>(16, 0xEE));  // refused calls leave the buffer alone
  EXPECT_EQ(IP_pRGB24(&picture.record, picture.raw.data(), nullptr), 0);
}

TEST(ImagingExports, ALargerRecordIsReadByItsPrefix) {
  // The source's record may grow; the library reads only what it declares.
  Picture picture(160, 120);
  std::vector<uint8_t> bigger(sizeof picture.record + 24, 0);
  KX3300_PictureRecordPrefix record = picture.record;
  record.record_size = static_cast<int32_t>(bigger.size());
  std::memcpy(bigger.data(), &record, sizeof record);
  Block a(static_cast<uint8_t*>(IP_hDIB(bigger.data(), picture.raw.data())), &std::free);
  Block b = picture.Develop();
  ASSERT_TRUE(a && b);
  EXPECT_EQ(std::memcmp(a.get(), b.get(), 40 + 160 * 120 * 3), 0);
}

TEST(ImagingExports, ClipFrameFillsTheCallersBufferAtTheStoredHeight) {
  for (auto [w, h] : {std::pair{352, 288}, {176, 144}, {352, 144}, {640, 240}}) {
    Picture picture(w, h);
    const std::size_t bytes = static_cast<std::size_t>(w) * h * 3;
    std::vector<uint8_t> pixels(bytes, 0);
    ASSERT_EQ(IP_pRGB24(&picture.record, picture.raw.data(), pixels.data()), 1);
    if (w > 2 * h) {
      // Half-height frames stay at the stored height: not blank, and not the
      // top half of the restored photo either.
      EXPECT_GT(MeanOf(pixels.data(), bytes), 20.0);
    } else {
      Block block = picture.Develop();
      ASSERT_TRUE(block);
      EXPECT_EQ(std::memcmp(pixels.data(), block.get() + 40, bytes), 0) << w << "x" << h;
    }
  }
}

TEST(ImagingExports, MissingAdjustmentsMeanAsShot) {
  Picture picture(176, 144);
  Block shot = picture.Develop();
  picture.record.adjust = nullptr;
  Block plain = picture.Develop();
  const double nan = std::numeric_limits<double>::quiet_NaN();
  picture.adjust[0] = picture.adjust[1] = picture.adjust[2] = nan;
  picture.record.adjust = picture.adjust;
  Block not_numbers = picture.Develop();
  ASSERT_TRUE(shot && plain && not_numbers);
  const std::size_t bytes = 40 + 176 * 144 * 3;
  EXPECT_EQ(std::memcmp(shot.get(), plain.get(), bytes), 0);
  EXPECT_EQ(std::memcmp(shot.get(), not_numbers.get(), bytes), 0);
}

TEST(ImagingExports, BrightnessAndContrastWorkOnTheWholePicture) {
  const std::size_t bytes = 352 * 288 * 3;
  auto develop = [&](double brightness, double contrast) {
    Picture picture(352, 288);
    picture.adjust[0] = brightness;
    picture.adjust[1] = contrast;
    Block block = picture.Develop();
    return std::vector<uint8_t>(block.get() + 40, block.get() + 40 + bytes);
  };
  const std::vector<uint8_t> as_shot = develop(1.0, 1.0);
  EXPECT_EQ(develop(0.0, 1.0), std::vector<uint8_t>(bytes, 0));      // no light
  EXPECT_EQ(develop(1.0, 0.0), std::vector<uint8_t>(bytes, 128));    // no contrast: mid-grey
  EXPECT_GT(MeanOf(develop(1.5, 1.0).data(), bytes), MeanOf(as_shot.data(), bytes) + 10);
  EXPECT_LT(MeanOf(develop(0.5, 1.0).data(), bytes), MeanOf(as_shot.data(), bytes) - 10);

  // Contrast spreads tones away from mid-grey.
  auto spread = [&](const std::vector<uint8_t>& p) {
    double s = 0;
    for (uint8_t v : p) s += std::fabs(v - 128.0);
    return s / p.size();
  };
  EXPECT_GT(spread(develop(1.0, 1.5)), spread(as_shot) + 5);
  EXPECT_LT(spread(develop(1.0, 0.5)), spread(as_shot) - 5);
  // Out-of-range values are held to the ends of their ranges.
  EXPECT_EQ(develop(-3.0, 1.0), develop(0.0, 1.0));
  EXPECT_EQ(develop(1.0, 1e300), develop(1.0, 4.0));
}

TEST(ImagingExports, HighQualityIsADifferentAndBetterDevelopment) {
  for (auto [w, h] : {std::pair{640, 480}, {352, 144}}) {
    RawFrameParams p;
    p.width = w;
    p.height = h;
    const std::vector<uint8_t> scene = MakeScene(w, RawPictureHeight(p), 3);
    Picture picture(w, h, &scene);
    Block normal = picture.Develop();
    picture.adjust[2] = 1.25;
    Block high = picture.Develop();
    ASSERT_TRUE(normal && high);
    const int rows = RawPictureHeight(p);
    EXPECT_NE(std::memcmp(normal.get() + 40, high.get() + 40, static_cast<std::size_t>(w) * 3 * rows), 0);
    EXPECT_GT(PictureSnr(scene, high.get() + 40, w, rows), PictureSnr(scene, normal.get() + 40, w, rows) + 0.5)
        << w << "x" << h;
  }
}

TEST(ImagingExports, ABrokenTrailerMeansNeutralGains) {
  // A grey card shot with the camera's white balance comes out grey; with the
  // trailer's check broken the gains are dropped and the sensor's own green
  // cast shows.
  std::vector<uint8_t> grey(64 * 48 * 3, 128);
  Picture picture(64, 48, &grey);
  Block balanced = picture.Develop();
  picture.raw[64 * 48 + 3] ^= 0xFF;
  Block unbalanced = picture.Develop();
  ASSERT_TRUE(balanced && unbalanced);
  const uint8_t* centre = balanced.get() + 40 + (24 * 64 + 32) * 3;  // blue, green, red
  EXPECT_NEAR(centre[0], 128, 1);
  EXPECT_NEAR(centre[1], 128, 1);
  EXPECT_NEAR(centre[2], 128, 1);
  centre = unbalanced.get() + 40 + (24 * 64 + 32) * 3;
  EXPECT_LT(centre[2] + 10, centre[1]);  // red well below green
  EXPECT_LT(centre[0] + 5, centre[1]);   // blue below green
}

TEST(ImagingExports, ResampleScalesWithGoodQuality) {
  std::vector<uint8_t> target(12, 0xEE);
  const uint8_t one[3] = {10, 20, 30};
  EXPECT_EQ(IP_ImageResample(nullptr, 1, 1, target.data(), 2, 2), 0);
  EXPECT_EQ(IP_ImageResample(one, 1, 1, nullptr, 2, 2), 0);
  EXPECT_EQ(IP_ImageResample(one, 0, 1, target.data(), 2, 2), 0);
  EXPECT_EQ(IP_ImageResample(one, 1, 1, target.data(), 2, -2), 0);
  EXPECT_EQ(target, std::vector<uint8_t>(12, 0xEE));
  EXPECT_EQ(IP_ImageResample(one, 1, 1, target.data(), 2, 2), 1);
  EXPECT_EQ(target, (std::vector<uint8_t>{10, 20, 30, 10, 20, 30, 10, 20, 30, 10, 20, 30}));

  // The same size is an exact copy.
  const std::vector<uint8_t> scene = MakeScene(64, 48, 4);
  std::vector<uint8_t> copy(scene.size());
  ASSERT_EQ(IP_ImageResample(scene.data(), 64, 48, copy.data(), 64, 48), 1);
  EXPECT_EQ(copy, scene);

  // Enlarging and shrinking back keeps a natural picture close, as the
  // enlargement of photos (352 x 288 to 640 x 480) needs.
  const std::vector<uint8_t> photo = MakeScene(352, 288, 4);
  std::vector<uint8_t> large(640 * 480 * 3), back(photo.size());
  ASSERT_EQ(IP_ImageResample(photo.data(), 352, 288, large.data(), 640, 480), 1);
  ASSERT_EQ(IP_ImageResample(large.data(), 640, 480, back.data(), 352, 288), 1);
  double squared = 0;
  for (std::size_t i = 0; i < photo.size(); ++i) squared += (photo[i] - back[i]) * (photo[i] - back[i]);
  EXPECT_GT(10 * std::log10(255.0 * 255.0 * photo.size() / squared), 38.0);

  // Shrinking averages: a one-pixel checkerboard, the finest detail there
  // is, becomes a nearly even grey instead of aliasing into a pattern.
  std::vector<uint8_t> checks(32 * 32 * 3);
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 32; ++x)
      for (int c = 0; c < 3; ++c) checks[(y * 32 + x) * 3 + c] = (x + y) % 2 ? 255 : 0;
  std::vector<uint8_t> small(8 * 8 * 3);
  ASSERT_EQ(IP_ImageResample(checks.data(), 32, 32, small.data(), 8, 8), 1);
  for (uint8_t v : small) EXPECT_NEAR(v, 128, 4);
}

TEST(ImagingExports, BuiltLibraryExportsTheThreeEntryPointsAndNothingElse) {
  void* library = dlopen(kBuiltLibrary.c_str(), RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(library, nullptr) << dlerror();
  for (const char* name : {"IP_hDIB", "IP_pRGB24", "IP_ImageResample"}) EXPECT_NE(dlsym(library, name), nullptr) << name;

  // Through the loaded file, not the test's own copy: a developed picture.
  Picture picture(352, 288);
  auto hdib = reinterpret_cast<KX3300_IP_hDIB_Proc>(dlsym(library, "IP_hDIB"));
  Block block(static_cast<uint8_t*>(hdib(&picture.record, picture.raw.data())), &std::free);
  ASSERT_TRUE(block);
  EXPECT_EQ(Read32(block.get() + 8), 288u);
  dlclose(library);

  std::set<std::string> defined;
  FILE* pipe = popen(("nm -D --defined-only " + kBuiltLibrary).c_str(), "r");
  ASSERT_NE(pipe, nullptr);
  char line[512];
  while (std::fgets(line, sizeof line, pipe)) {
    char address[64], type[8], name[256];
    if (std::sscanf(line, "%63s %7s %255s", address, type, name) == 3) defined.insert(name);
  }
  ASSERT_EQ(pclose(pipe), 0);
  EXPECT_EQ(defined, (std::set<std::string>{"IP_ImageResample", "IP_hDIB", "IP_pRGB24"}));
}

}  // namespace
