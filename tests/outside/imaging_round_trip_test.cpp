// A natural scene made into a raw frame by the camera's rules and developed by
// the library comes back close to the original, at every size the source
// accepts and in every readout the camera uses.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "imaging_scene.h"
#include "kx3300_ip.h"
#include "raw_format.h"

namespace {

constexpr int kWidths[] = {88, 160, 176, 320, 352, 640};
constexpr int kHeights[] = {72, 120, 144, 240, 288, 480};

struct Developed {
  int width = 0, height = 0;
  std::unique_ptr<uint8_t, decltype(&std::free)> block{nullptr, &std::free};
  const uint8_t* pixels() const { return block.get() + 40; }
};

KX3300_PictureRecordPrefix RecordFor(const RawFrameParams& p, const double* adjust) {
  KX3300_PictureRecordPrefix r{};
  r.record_size = sizeof r;
  r.width = p.width;
  r.height = p.height;
  r.mode = p.mode;
  r.param20 = p.param20;
  r.param11_flag = p.param11_flag;
  r.narrow = p.width < 352;
  r.half_height = p.width > 2 * p.height;
  r.adjust = adjust;
  return r;
}

// What the source does: the frame as the camera sends it, rows put back in
// order for a narrow picture, then IP_hDIB.
Developed RoundTrip(const std::vector<uint8_t>& scene, const RawFrameParams& p, const double* adjust) {
  std::vector<uint8_t> raw = EncodeRawFrame(scene.data(), p);
  if (p.width < 352) ExchangeMosaicRows(raw.data(), p.width, p.height);
  KX3300_PictureRecordPrefix record = RecordFor(p, adjust);
  Developed d;
  d.block.reset(static_cast<uint8_t*>(IP_hDIB(&record, raw.data())));
  if (d.block) {
    std::memcpy(&d.width, d.block.get() + 4, 4);
    std::memcpy(&d.height, d.block.get() + 8, 4);
  }
  return d;
}

double SnrAt(const std::vector<uint8_t>& scene, const RawFrameParams& p, double quality) {
  const int picture_height = RawPictureHeight(p);
  const double adjust[3] = {1.0, 1.0, quality};
  Developed d = RoundTrip(scene, p, adjust);
  if (!d.block || d.width != p.width || d.height != picture_height) return 0;
  return PictureSnr(scene, d.pixels(), p.width, picture_height);
}

TEST(ImagingRoundTrip, EveryAcceptedSizeComesBackClose) {
  std::printf("  size       picture    normal dB  high dB\n");
  for (int w : kWidths) {
    for (int h : kHeights) {
      RawFrameParams p;
      p.width = w;
      p.height = h;
      const std::vector<uint8_t> scene = MakeScene(w, RawPictureHeight(p));
      const double normal = SnrAt(scene, p, 1.0);
      const double high = SnrAt(scene, p, 1.25);
      std::printf("  %3dx%-3d -> %3dx%-3d    %5.1f     %5.1f\n", w, h, w, RawPictureHeight(p), normal, high);
      EXPECT_GE(normal, 30.0) << w << "x" << h;
      EXPECT_GE(high, 30.0) << w << "x" << h;
    }
  }
}

TEST(ImagingRoundTrip, EveryReadoutComesBackClose) {
  // Colour filter phases, mirrored readout, black levels (64 is the most the
  // format uses), a white balance far from neutral and the bits of mode that
  // change nothing.
  struct Case {
    int mode, param20, param11_flag, red_gain, blue_gain;
  } cases[] = {
      {0, 0, 0, 96, 80},  {1, 0, 0, 96, 80},  {2, 0, 0, 96, 80},   {3, 0, 0, 96, 80},    {0, 0, 1, 96, 80},
      {3, 0, 1, 96, 80},  {0, 16, 0, 96, 80}, {1, 200, 0, 96, 80}, {0, 0, 0, 64, 64},    {0, 0, 0, 160, 128},
      {12, 0, 0, 96, 80}, {5, 0, 0, 96, 80},  {0, 0, 0, 0, 0},     {2, 30, 1, 120, 100},
  };
  const int sizes[3][2] = {{352, 288}, {176, 144}, {640, 240}};  // wide, narrow, half height
  std::vector<uint8_t> scenes[3];
  for (int i = 0; i < 3; ++i) scenes[i] = MakeScene(sizes[i][0], sizes[i][1] * (i == 2 ? 2 : 1), 1);
  for (const auto& c : cases) {
    for (int size = 0; size < 3; ++size) {
      RawFrameParams p;
      p.width = sizes[size][0];
      p.height = sizes[size][1];
      p.mode = c.mode;
      p.param20 = c.param20;
      p.param11_flag = c.param11_flag;
      p.red_gain = c.red_gain;
      p.blue_gain = c.blue_gain;
      EXPECT_GE(SnrAt(scenes[size], p, 1.0), 30.0) << "mode " << c.mode << " black " << c.param20 << " mirrored "
                                        << c.param11_flag << " size " << p.width << "x" << p.height;
    }
  }
}

}  // namespace
