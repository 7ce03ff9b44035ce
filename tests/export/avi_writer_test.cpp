// The AVI writer and the IYUV conversion on their own, read back by ffprobe
// and ffmpeg.
#include <gtest/gtest.h>

#include <cstring>
#include <iostream>

#include "avi_probe.h"
#include "export/avi_writer.h"
#include "export/iyuv_convert.h"
#include "export_fixture.h"
#include "imaging_scene.h"
#include "support/temp_dir.h"

namespace {

uint32_t U32At(const std::vector<uint8_t>& bytes, std::size_t at) {
  return uint32_t{bytes[at]} | uint32_t{bytes[at + 1]} << 8 | uint32_t{bytes[at + 2]} << 16 |
         uint32_t{bytes[at + 3]} << 24;
}

std::string TagAt(const std::vector<uint8_t>& bytes, std::size_t at) {
  return std::string(bytes.begin() + static_cast<std::ptrdiff_t>(at), bytes.begin() + static_cast<std::ptrdiff_t>(at + 4));
}

// A scene as the decoder gives it: bottom-up blue-green-red.
std::vector<uint8_t> BottomUpScene(int width, int height, int variant) {
  std::vector<uint8_t> rgb = MakeScene(width, height, variant);
  std::vector<uint8_t> bgr(rgb.size());
  for (std::size_t p = 0; p < rgb.size(); p += 3) {
    bgr[p] = rgb[p + 2];
    bgr[p + 1] = rgb[p + 1];
    bgr[p + 2] = rgb[p];
  }
  return FlipRows(bgr, width, height);
}

}  // namespace

TEST(IyuvTest, ColoursThroughTheLimitedRangeMatrix) {
  struct Case {
    int r, g, b;
    int y, u, v;
  };
  // BT.601 limited range, rounded: 16 + 219 Y' and 128 + 224 of each difference.
  const Case cases[] = {
      {0, 0, 0, 16, 128, 128},  {255, 255, 255, 235, 128, 128}, {255, 0, 0, 81, 90, 240},
      {0, 255, 0, 145, 54, 34}, {0, 0, 255, 41, 240, 110},      {128, 128, 128, 126, 128, 128},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.r << "," << c.g << "," << c.b);
    EXPECT_EQ(LumaOf(c.r, c.g, c.b), c.y);
    EXPECT_EQ(BlueDifferenceOf(c.r, c.g, c.b, 1), c.u);
    EXPECT_EQ(RedDifferenceOf(c.r, c.g, c.b, 1), c.v);
  }
}

TEST(IyuvTest, PlanesAreTopDownAndChromaAveragesEachSquare) {
  // 4 x 2 bottom-up: the bottom row (first in memory) is blue, the top row red
  // on the left square and white on the right.
  const int w = 4, h = 2;
  std::vector<uint8_t> bgr(static_cast<std::size_t>(w) * h * 3);
  auto put = [&](int x, int row_in_memory, int r, int g, int b) {
    uint8_t* p = &bgr[(static_cast<std::size_t>(row_in_memory) * w + x) * 3];
    p[0] = static_cast<uint8_t>(b);
    p[1] = static_cast<uint8_t>(g);
    p[2] = static_cast<uint8_t>(r);
  };
  for (int x = 0; x < w; ++x) put(x, 0, 0, 0, 255);
  for (int x = 0; x < 2; ++x) put(x, 1, 255, 0, 0);
  for (int x = 2; x < 4; ++x) put(x, 1, 255, 255, 255);
  std::vector<uint8_t> out(IyuvFrameBytes(w, h));
  ASSERT_EQ(out.size(), 8u + 2u + 2u);
  BgrToIyuv(bgr.data(), w, h, out.data());
  EXPECT_EQ(out[0], LumaOf(255, 0, 0));      // top row first
  EXPECT_EQ(out[2], LumaOf(255, 255, 255));
  EXPECT_EQ(out[4], LumaOf(0, 0, 255));
  EXPECT_EQ(out[8], BlueDifferenceOf(2 * 255, 0, 2 * 255, 4));  // red + blue
  EXPECT_EQ(out[9], BlueDifferenceOf(2 * 255, 2 * 255, 4 * 255, 4));
  EXPECT_EQ(out[10], RedDifferenceOf(2 * 255, 0, 2 * 255, 4));
  EXPECT_EQ(out[11], RedDifferenceOf(2 * 255, 2 * 255, 4 * 255, 4));
}

TEST(IyuvTest, OddSizesAverageWhatIsThere) {
  const int w = 3, h = 3;
  std::vector<uint8_t> bgr(static_cast<std::size_t>(w) * h * 3, 0);
  // Only the bottom-right pixel (first row in memory, last column) is red.
  bgr[2 * 3 + 2] = 255;
  std::vector<uint8_t> out(IyuvFrameBytes(w, h), 0xAA);
  ASSERT_EQ(out.size(), 9u + 4u + 4u);
  BgrToIyuv(bgr.data(), w, h, out.data());
  EXPECT_EQ(out[8], LumaOf(255, 0, 0));
  // The lone corner square holds that pixel alone.
  EXPECT_EQ(out[9 + 3], BlueDifferenceOf(255, 0, 0, 1));
  EXPECT_EQ(out[13 + 3], RedDifferenceOf(255, 0, 0, 1));
  EXPECT_EQ(out[9], 128);
}

TEST(AviHeaderTest, FieldsWhereReadersLookForThem) {
  AviStreamInfo info{320, 240, 6, 30, 30 * (8 + 115200)};
  std::vector<uint8_t> h = BuildAviHeader(info);
  ASSERT_EQ(h.size(), kAviHeaderBytes);
  EXPECT_EQ(TagAt(h, 0), "RIFF");
  EXPECT_EQ(TagAt(h, 8), "AVI ");
  EXPECT_EQ(TagAt(h, 12), "LIST");
  EXPECT_EQ(TagAt(h, 20), "hdrl");
  EXPECT_EQ(TagAt(h, 24), "avih");
  EXPECT_EQ(U32At(h, 32), 166667u);  // microseconds per frame
  EXPECT_EQ(U32At(h, 44), kAviHasIndex);
  EXPECT_EQ(U32At(h, 48), 30u);      // frames
  EXPECT_EQ(U32At(h, 56), 1u);       // streams
  EXPECT_EQ(U32At(h, 60), 320u * 240 * 3);
  EXPECT_EQ(TagAt(h, 88), "LIST");
  EXPECT_EQ(TagAt(h, 96), "strl");
  EXPECT_EQ(TagAt(h, 100), "strh");
  EXPECT_EQ(TagAt(h, 108), "vids");
  EXPECT_EQ(TagAt(h, 112), "IYUV");
  EXPECT_EQ(U32At(h, 128), 1000u);  // scale
  EXPECT_EQ(U32At(h, 132), 6000u);  // rate
  EXPECT_EQ(U32At(h, 140), 30u);    // length
  EXPECT_EQ(U32At(h, 144), 320u * 240 * 3);
  EXPECT_EQ(U32At(h, 156), 0u);                 // left, top
  EXPECT_EQ(U32At(h, 160), 320u | 240u << 16);  // right, bottom
  EXPECT_EQ(TagAt(h, 164), "strf");
  EXPECT_EQ(U32At(h, 172), 40u);
  EXPECT_EQ(U32At(h, 176), 320u);
  EXPECT_EQ(U32At(h, 180), 240u);
  EXPECT_EQ(U32At(h, 184), 1u | 12u << 16);
  EXPECT_EQ(TagAt(h, 188), "IYUV");
  EXPECT_EQ(U32At(h, 192), 115200u);
  EXPECT_EQ(TagAt(h, 212), "LIST");
  EXPECT_EQ(U32At(h, 216), 4 + info.movi_bytes);
  EXPECT_EQ(TagAt(h, 220), "movi");
  EXPECT_EQ(U32At(h, 4), 4 + (8 + 192) + (8 + 4 + info.movi_bytes) + (8 + 16 * 30));
}

TEST(AviWriterTest, RefusesWhatNoClipHas) {
  TempDir dir;
  AviWriter writer;
  EXPECT_FALSE(writer.Open(dir.File("a.avi"), 6, 0, 240));
  EXPECT_FALSE(writer.Open(dir.File("a.avi"), 0, 320, 240));
  EXPECT_FALSE(writer.Open(dir.File("no/such/a.avi"), 6, 320, 240));
  ASSERT_TRUE(writer.Open(dir.File("a.avi"), 6, 8, 8));
  std::vector<uint8_t> frame(8 * 8 * 3);
  EXPECT_FALSE(writer.WriteFrame(0, frame.data(), frame.size() - 1));
  EXPECT_TRUE(writer.WriteFrame(0, frame.data(), frame.size()));
  EXPECT_FALSE(writer.WriteFrame(0, frame.data(), frame.size()));  // already written
  EXPECT_TRUE(writer.Finish());
}

TEST(AviWriterTest, FullDiskIsAFailure) {
  AviWriter writer;
  ASSERT_TRUE(writer.Open("/dev/full", 6, 64, 48));
  std::vector<uint8_t> frame(64 * 48 * 3, 100);
  for (uint32_t j = 0; j < 4; ++j) writer.WriteFrame(j, frame.data(), frame.size());
  EXPECT_FALSE(writer.Finish());
}

TEST(AviWriterTest, FfmpegReadsWhatWasWritten) {
  TempDir dir;
  const std::string path = dir.File("clip.avi");
  const int w = 320, h = 240, frames = 30;
  std::vector<std::vector<uint8_t>> pictures;
  for (int j = 0; j < frames; ++j) pictures.push_back(BottomUpScene(w, h, j % 4));
  AviWriter writer;
  ASSERT_TRUE(writer.Open(path, 6, w, h));
  for (int j = 0; j < frames; ++j) ASSERT_TRUE(writer.WriteFrame(j, pictures[j].data(), pictures[j].size()));
  ASSERT_TRUE(writer.Finish());

  AviProbe probe;
  ASSERT_TRUE(ProbeAvi(path, &probe));
  EXPECT_EQ(probe.complaints, "");
  EXPECT_EQ(probe.codec_name, "rawvideo");
  EXPECT_EQ(probe.codec_tag, "IYUV");
  EXPECT_EQ(probe.frame_rate, "6/1");
  EXPECT_EQ(probe.frames, 30);
  EXPECT_EQ(probe.width, w);
  EXPECT_EQ(probe.height, h);
  EXPECT_NEAR(probe.duration, 5.0, 1e-3);

  std::vector<std::vector<uint8_t>> decoded = DecodeAviFrames(path, w, h);
  ASSERT_EQ(decoded.size(), 30u);
  double worst = 99.0;
  for (int j = 0; j < frames; ++j) worst = std::min(worst, Psnr(decoded[j], FlipRows(pictures[j], w, h)));
  std::cout << "[ figures ] natural scene 320x240 through IYUV and ffmpeg: worst PSNR " << worst << " dB\n";
  EXPECT_GT(worst, 35.0);
}

TEST(AviWriterTest, SkippedFramesKeepTheirTime) {
  TempDir dir;
  const std::string path = dir.File("gaps.avi");
  const int w = 64, h = 48;
  std::vector<uint8_t> a = BottomUpScene(w, h, 0), b = BottomUpScene(w, h, 1);
  AviWriter writer;
  ASSERT_TRUE(writer.Open(path, 6, w, h));
  // Frame 0 missing (black), 1 = a, 2 missing (a again), 3 = b, 4 and 5 missing (b).
  ASSERT_TRUE(writer.WriteFrame(1, a.data(), a.size()));
  ASSERT_TRUE(writer.WriteFrame(3, b.data(), b.size()));
  ASSERT_TRUE(writer.PadTo(6));
  ASSERT_TRUE(writer.Finish());

  AviProbe probe;
  ASSERT_TRUE(ProbeAvi(path, &probe));
  EXPECT_EQ(probe.complaints, "");
  EXPECT_EQ(probe.frames, 6);
  EXPECT_NEAR(probe.duration, 1.0, 1e-3);
  std::vector<std::vector<uint8_t>> decoded = DecodeAviFrames(path, w, h);
  ASSERT_EQ(decoded.size(), 6u);
  EXPECT_LT(*std::max_element(decoded[0].begin(), decoded[0].end()), 2);  // black
  EXPECT_EQ(decoded[2], decoded[1]);
  EXPECT_EQ(decoded[4], decoded[3]);
  EXPECT_EQ(decoded[5], decoded[3]);
  EXPECT_GT(Psnr(decoded[3], FlipRows(b, w, h)), 30.0);
}
