// The encoder's streams as an independent decoder (libjpeg) reads them.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <vector>

#include <jpeglib.h>

#include "export/jpeg_encoder.h"
#include "export/jpeg_tables.h"
#include "export/jpeg_test_images.h"
#include "export/libjpeg_codec.h"

namespace {

using Bytes = std::vector<uint8_t>;

// The output buffer holds exactly the promised bound and is left
// uninitialised: the bound of a big picture is large, and pages never
// written cost nothing.
Bytes EncodeBgr(Bytes bgr, unsigned width, unsigned height) {
  const std::size_t bound = JpegOutputBound(JPEG_BGR, width, height);
  std::unique_ptr<uint8_t[]> out(new uint8_t[bound]);
  uint8_t* end = EncodeJpeg(bgr.data(), out.get(), 256, JPEG_BGR, width, height);
  if (end == nullptr) return {};
  return Bytes(out.get(), end);
}

int Clamp(int v) { return v < 0 ? 0 : (v > 255 ? 255 : v); }

// What the encoder should have coded: per pixel Y, and per pixel the chroma of
// the first pixel of its pair, as a decoder repeating chroma samples returns it.
Bytes ExpectedYcc(const Bytes& bgr, unsigned width, unsigned height) {
  Bytes ycc(bgr.size());
  for (unsigned y = 0; y < height; ++y) {
    for (unsigned x = 0; x < width; ++x) {
      const uint8_t* p = &bgr[3 * (static_cast<std::size_t>(y) * width + x)];
      const uint8_t* first = &bgr[3 * (static_cast<std::size_t>(y) * width + (x & ~1u))];
      uint8_t* q = &ycc[3 * (static_cast<std::size_t>(y) * width + x)];
      q[0] = static_cast<uint8_t>((29 * p[0] + 150 * p[1] + 77 * p[2]) >> 8);
      q[1] = static_cast<uint8_t>(Clamp(((128 * first[0] - 43 * first[2] - 85 * first[1]) >> 8) + 128));
      q[2] = static_cast<uint8_t>(Clamp(((128 * first[2] - 21 * first[0] - 107 * first[1]) >> 8) + 128));
    }
  }
  return ycc;
}

struct Quality {
  double rgb = 0, luminance = 0, chrominance = 0;
};

// Encodes, decodes twice with libjpeg and compares with the input.
Quality RoundTrip(const Bytes& bgr, unsigned width, unsigned height) {
  Quality q;
  const Bytes stream = EncodeBgr(bgr, width, height);
  EXPECT_FALSE(stream.empty());
  EXPECT_LE(stream.size(), JpegOutputBound(JPEG_BGR, width, height));

  const DecodedJpeg ycc = DecodeWithLibjpeg(stream.data(), stream.size(), DecodeAs::kYcc);
  EXPECT_TRUE(ycc.ok) << ycc.error;
  EXPECT_EQ(ycc.width, width);
  EXPECT_EQ(ycc.height, height);
  EXPECT_EQ(ycc.components, 3u);
  const DecodedJpeg rgb = DecodeWithLibjpeg(stream.data(), stream.size(), DecodeAs::kBgr);
  EXPECT_TRUE(rgb.ok) << rgb.error;
  if (ycc.pixels.size() != bgr.size() || rgb.pixels.size() != bgr.size()) return q;

  const Bytes expected = ExpectedYcc(bgr, width, height);
  const std::size_t pixels = static_cast<std::size_t>(width) * height;
  q.luminance = Psnr(expected.data(), ycc.pixels.data(), pixels, 3);
  q.chrominance = std::min(Psnr(expected.data() + 1, ycc.pixels.data() + 1, pixels, 3),
                           Psnr(expected.data() + 2, ycc.pixels.data() + 2, pixels, 3));
  q.rgb = Psnr(bgr.data(), rgb.pixels.data(), bgr.size());
  return q;
}

struct Size {
  unsigned width, height;
};

// The camera's picture sizes, their half-height forms, and odd ones.
constexpr Size kCameraSizes[] = {{320, 240}, {352, 288}, {640, 480}, {1280, 960},
                                 {320, 120}, {352, 144}, {640, 240}, {1280, 480}};
constexpr Size kOddSizes[] = {{1, 1},  {1, 9},   {9, 1},   {2, 2},   {3, 3},   {15, 7},
                              {17, 9}, {33, 17}, {99, 61}, {101, 3}, {257, 129}};

TEST(JpegDecode, NaturalScenesMatchTheInput) {
  for (const Size s : kCameraSizes) {
    SCOPED_TRACE(testing::Message() << s.width << "x" << s.height);
    const Quality q = RoundTrip(MakeNaturalBgr(s.width, s.height), s.width, s.height);
    std::printf("natural %4ux%-4u  RGB %.2f dB  Y %.2f dB  CbCr %.2f dB\n", s.width, s.height, q.rgb, q.luminance,
                q.chrominance);
    EXPECT_GT(q.rgb, 38.0);
    EXPECT_GT(q.luminance, 45.0);
    EXPECT_GT(q.chrominance, 45.0);
  }
}

TEST(JpegDecode, NoiseMatchesWhatWasCoded) {
  for (const Size s : kCameraSizes) {
    SCOPED_TRACE(testing::Message() << s.width << "x" << s.height);
    const Quality q = RoundTrip(MakeNoiseBgr(s.width, s.height), s.width, s.height);
    std::printf("noise   %4ux%-4u  RGB %.2f dB  Y %.2f dB  CbCr %.2f dB\n", s.width, s.height, q.rgb, q.luminance,
                q.chrominance);
    // Noise loses its fine chroma to 4:2:2 and its high frequencies to the
    // quantiser; against what was meant to be coded it stays close.
    EXPECT_GT(q.luminance, 30.0);
    EXPECT_GT(q.chrominance, 30.0);
  }
}

TEST(JpegDecode, OddSizesKeepEveryPixel) {
  for (const Size s : kOddSizes) {
    SCOPED_TRACE(testing::Message() << s.width << "x" << s.height);
    // A smooth picture shows a misplaced column or row at once; noise shows
    // every sample that went astray.
    const Quality smooth = RoundTrip(MakeGradientBgr(s.width, s.height), s.width, s.height);
    const Quality noise = RoundTrip(MakeNoiseBgr(s.width, s.height, s.width * s.height), s.width, s.height);
    std::printf("odd     %4ux%-4u  ramp Y %.2f dB CbCr %.2f dB  noise Y %.2f dB CbCr %.2f dB\n", s.width,
                s.height, smooth.luminance, smooth.chrominance, noise.luminance, noise.chrominance);
    EXPECT_GT(smooth.luminance, 40.0);
    EXPECT_GT(smooth.chrominance, 35.0);
    EXPECT_GT(noise.luminance, 30.0);
    EXPECT_GT(noise.chrominance, 28.0);
  }
}

TEST(JpegDecode, LargeNoiseStaysWithinTheBound) {
  for (const Size s : {Size{1280, 960}, Size{4000, 3000}}) {
    Bytes noise = MakeNoiseBgr(s.width, s.height, 7);
    const Bytes stream = EncodeBgr(noise, s.width, s.height);
    ASSERT_FALSE(stream.empty());
    EXPECT_GT(stream.size(), 1048576u);  // more than a fixed 1 MiB buffer would hold
    const DecodedJpeg decoded = DecodeWithLibjpeg(stream.data(), stream.size(), DecodeAs::kYcc);
    EXPECT_TRUE(decoded.ok) << decoded.error;
    EXPECT_EQ(decoded.width, s.width);
    EXPECT_EQ(decoded.height, s.height);
  }
}

TEST(JpegDecode, EveryFormatDecodes) {
  // Luminance ramps with flat chroma: every format must give the ramp back.
  const unsigned width = 45, height = 27;
  for (unsigned format : {JPEG_GRAY, JPEG_YCC420, JPEG_YCC422, JPEG_YCC444}) {
    SCOPED_TRACE(format);
    Bytes input(JpegInputSize(format, width, height), 128);
    Bytes luma(static_cast<std::size_t>(width) * height);
    for (unsigned y = 0; y < height; ++y)
      for (unsigned x = 0; x < width; ++x) luma[y * width + x] = static_cast<uint8_t>(40 + 3 * x + 2 * y);
    for (unsigned y = 0; y < height; ++y) {
      for (unsigned x = 0; x < width; ++x) {
        const uint8_t v = luma[y * width + x];
        switch (format) {
          case JPEG_GRAY: input[y * width + x] = v; break;
          case JPEG_YCC444: input[3 * (y * width + x)] = v; break;
          case JPEG_YCC422: input[y * (2 * width + 1) + 2 * x] = v; break;
          case JPEG_YCC420:
            input[((y / 2) * ((width + 1) / 2) + x / 2) * 6 + (y & 1) * 2 + (x & 1)] = v;
            break;
        }
      }
    }
    Bytes out(JpegOutputBound(format, width, height));
    uint8_t* end = EncodeJpeg(input.data(), out.data(), 256, format, width, height);
    ASSERT_NE(end, nullptr);
    const DecodedJpeg decoded =
        DecodeWithLibjpeg(out.data(), static_cast<std::size_t>(end - out.data()), DecodeAs::kYcc);
    ASSERT_TRUE(decoded.ok) << decoded.error;
    const unsigned components = format == JPEG_GRAY ? 1 : 3;
    ASSERT_EQ(decoded.components, components);
    ASSERT_EQ(decoded.pixels.size(), luma.size() * components);
    Bytes decoded_luma(luma.size()), decoded_cb(luma.size()), flat(luma.size(), 128);
    for (std::size_t i = 0; i < luma.size(); ++i) {
      decoded_luma[i] = decoded.pixels[i * components];
      decoded_cb[i] = decoded.pixels[i * components + (components - 1)];
    }
    EXPECT_GT(Psnr(luma.data(), decoded_luma.data(), luma.size()), 40.0);
    if (format != JPEG_GRAY) {
      EXPECT_GT(Psnr(flat.data(), decoded_cb.data(), luma.size()), 40.0);
    }
  }
}

// The Huffman tables of DHT payloads by class and identifier.
std::map<uint8_t, Bytes> SplitHuffmanTables(const Bytes& payload) {
  std::map<uint8_t, Bytes> tables;
  for (std::size_t at = 0; at + 17 <= payload.size();) {
    std::size_t symbols = 0;
    for (int i = 1; i <= 16; ++i) symbols += payload[at + i];
    const std::size_t end = std::min(payload.size(), at + 17 + symbols);
    tables[payload[at]] = Bytes(payload.begin() + static_cast<std::ptrdiff_t>(at + 1),
                                payload.begin() + static_cast<std::ptrdiff_t>(end));
    at = end;
  }
  return tables;
}

// libjpeg's own writer holds the Annex K tables too: its standard Huffman
// tables and its quantisation tables at 25 % must be byte for byte ours.
TEST(JpegDecode, TablesAgreeWithLibjpeg) {
  jpeg_compress_struct info{};
  jpeg_error_mgr errors{};
  info.err = jpeg_std_error(&errors);
  jpeg_create_compress(&info);
  unsigned char* data = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&info, &data, &size);
  info.image_width = 8;
  info.image_height = 8;
  info.input_components = 3;
  info.in_color_space = JCS_RGB;
  jpeg_set_defaults(&info);
  info.write_JFIF_header = FALSE;
  jpeg_set_linear_quality(&info, 25, TRUE);
  jpeg_start_compress(&info, TRUE);
  uint8_t row[24] = {};
  JSAMPROW rows[1] = {row};
  for (int y = 0; y < 8; ++y) jpeg_write_scanlines(&info, rows, 1);
  jpeg_finish_compress(&info);
  jpeg_destroy_compress(&info);
  const Bytes theirs(data, data + size);
  std::free(data);

  // Their DQT and DHT payloads (one table per segment), in order.
  Bytes dqt, dht;
  for (std::size_t at = 2; at + 4 <= theirs.size() && theirs[at] == 0xFF;) {
    const uint8_t marker = theirs[at + 1];
    const std::size_t length = theirs[at + 2] * 256u + theirs[at + 3];
    if (marker == 0xDB) dqt.insert(dqt.end(), theirs.begin() + at + 4, theirs.begin() + at + 2 + length);
    if (marker == 0xC4) dht.insert(dht.end(), theirs.begin() + at + 4, theirs.begin() + at + 2 + length);
    if (marker == 0xDA) break;
    at += 2 + length;
  }
  EXPECT_EQ(SplitHuffmanTables(dht), SplitHuffmanTables(Bytes(kJpegDhtSegment.begin() + 4, kJpegDhtSegment.end())));

  Bytes grey(8 * 8 * 3, 128), ours(JpegOutputBound(JPEG_YCC444, 8, 8));
  ASSERT_NE(EncodeJpeg(grey.data(), ours.data(), 256, JPEG_YCC444, 8, 8), nullptr);
  EXPECT_EQ(dqt, Bytes(ours.begin() + 6, ours.begin() + 6 + 130));
}

}  // namespace
