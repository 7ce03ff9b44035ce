// Byte-level facts of the encoder's streams.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "export/jpeg_block.h"
#include "export/jpeg_encoder.h"
#include "export/jpeg_tables.h"

namespace {

using Bytes = std::vector<uint8_t>;

constexpr std::size_t kColourHeader = 2 + 134 + 420 + 19 + 14;
constexpr std::size_t kGrayHeader = 2 + 134 + 420 + 13 + 10;

// Encodes into a buffer of exactly the promised bound, so a sanitizer sees
// any write past it.
Bytes Encode(Bytes input, unsigned format, unsigned width, unsigned height, unsigned scale = 256) {
  Bytes out(JpegOutputBound(format, width, height));
  EXPECT_FALSE(out.empty());
  EXPECT_EQ(input.size(), JpegInputSize(format, width, height));
  uint8_t* end = EncodeJpeg(input.data(), out.data(), scale, format, width, height);
  EXPECT_NE(end, nullptr);
  if (end == nullptr) return {};
  out.resize(static_cast<std::size_t>(end - out.data()));
  return out;
}

Bytes EntropyData(const Bytes& stream, unsigned format) {
  const std::size_t header = format == JPEG_GRAY ? kGrayHeader : kColourHeader;
  return Bytes(stream.begin() + static_cast<std::ptrdiff_t>(header), stream.end() - 2);
}

Bytes Slice(const Bytes& bytes, std::size_t at, std::size_t count) {
  return Bytes(bytes.begin() + static_cast<std::ptrdiff_t>(at),
               bytes.begin() + static_cast<std::ptrdiff_t>(at + count));
}

// Entropy-coded bytes of a run of blocks given as coefficients.
Bytes CodeBlocks(const std::vector<std::pair<std::vector<int16_t>, int>>& blocks) {
  JpegQuantTables tables;
  BuildJpegQuantTables(256, &tables);
  Bytes out(4096);
  JpegBlockCoder coder(out.data(), tables);
  for (const auto& [values, component] : blocks) {
    int16_t coefficients[64] = {};
    std::copy(values.begin(), values.end(), coefficients);
    coder.CodeCoefficients(coefficients, component);
  }
  out.resize(static_cast<std::size_t>(coder.Finish() - out.data()));
  return out;
}

TEST(JpegStream, UniformGreyIsTheSmallestColourStream) {
  Bytes stream = Encode(Bytes(16 * 8 * 3, 128), JPEG_BGR, 16, 8);
  ASSERT_EQ(stream.size(), 594u);
  EXPECT_EQ(Slice(stream, 0, 7), (Bytes{0xFF, 0xD8, 0xFF, 0xDB, 0x00, 0x84, 0x00}));
  // First DQT bytes: the luminance table divided by four, zigzag order.
  EXPECT_EQ(Slice(stream, 6, 9), (Bytes{0x00, 0x04, 0x03, 0x03, 0x04, 0x03, 0x03, 0x04, 0x04}));
  EXPECT_EQ(stream[6 + 65], 0x01);
  EXPECT_EQ(Slice(stream, 136, 420), Bytes(kJpegDhtSegment.begin(), kJpegDhtSegment.end()));
  EXPECT_EQ(Slice(stream, 556, 19), (Bytes{0xFF, 0xC0, 0x00, 0x11, 0x08, 0x00, 0x08, 0x00, 0x10, 0x03, 0x01,
                                           0x21, 0x00, 0x02, 0x11, 0x01, 0x03, 0x11, 0x01}));
  EXPECT_EQ(Slice(stream, 575, 14),
            (Bytes{0xFF, 0xDA, 0x00, 0x0C, 0x03, 0x01, 0x00, 0x02, 0x11, 0x03, 0x11, 0x00, 0x3F, 0x00}));
  EXPECT_EQ(EntropyData(stream, JPEG_BGR), (Bytes{0x28, 0xA0, 0x00}));
  EXPECT_EQ(Slice(stream, 592, 2), (Bytes{0xFF, 0xD9}));
}

TEST(JpegStream, FrameHeaderPerFormat) {
  struct Case {
    unsigned format, width, height;
    Bytes sof0;
  };
  const Case cases[] = {
      {JPEG_BGR, 320, 240, {0xFF, 0xC0, 0x00, 0x11, 0x08, 0x00, 0xF0, 0x01, 0x40, 0x03, 0x01, 0x21, 0x00,
                            0x02, 0x11, 0x01, 0x03, 0x11, 0x01}},
      {JPEG_YCC420, 16, 16, {0xFF, 0xC0, 0x00, 0x11, 0x08, 0x00, 0x10, 0x00, 0x10, 0x03, 0x01, 0x22, 0x00,
                             0x02, 0x11, 0x01, 0x03, 0x11, 0x01}},
      {JPEG_YCC444, 8, 8, {0xFF, 0xC0, 0x00, 0x11, 0x08, 0x00, 0x08, 0x00, 0x08, 0x03, 0x01, 0x11, 0x00,
                           0x02, 0x11, 0x01, 0x03, 0x11, 0x01}},
      {JPEG_GRAY, 300, 2, {0xFF, 0xC0, 0x00, 0x0B, 0x08, 0x00, 0x02, 0x01, 0x2C, 0x01, 0x01, 0x11, 0x00}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.format);
    Bytes stream = Encode(Bytes(JpegInputSize(c.format, c.width, c.height), 90), c.format, c.width, c.height);
    EXPECT_EQ(Slice(stream, 556, c.sof0.size()), c.sof0);
  }
  Bytes gray = Encode(Bytes(64, 90), JPEG_GRAY, 8, 8);
  EXPECT_EQ(Slice(gray, 569, 10), (Bytes{0xFF, 0xDA, 0x00, 0x08, 0x01, 0x01, 0x00, 0x00, 0x3F, 0x00}));
}

TEST(JpegStream, QuantisationTablesFromScale) {
  JpegQuantTables tables;
  BuildJpegQuantTables(256, &tables);
  auto natural_row = [&](int table) {
    Bytes row;
    for (int i = 0; i < 8; ++i) row.push_back(tables.dqt[table][kJpegZigzag[i]]);
    return row;
  };
  EXPECT_EQ(natural_row(0), (Bytes{4, 3, 3, 4, 6, 10, 13, 15}));
  EXPECT_EQ(natural_row(1), (Bytes{4, 5, 6, 12, 25, 25, 25, 25}));
  EXPECT_EQ(tables.reciprocal[0][0], 32767 / 4);  // 8191: one below the power of two

  BuildJpegQuantTables(0, &tables);  // every Q would be 0: kept at 1
  EXPECT_TRUE(std::all_of(&tables.dqt[0][0], &tables.dqt[1][63] + 1, [](uint8_t q) { return q == 1; }));
  EXPECT_EQ(tables.reciprocal[1][63], 32767);

  BuildJpegQuantTables(1024 * 8, &tables);  // kept at 255
  EXPECT_EQ(tables.dqt[0][kJpegZigzag[0]], 128);
  EXPECT_EQ(tables.dqt[0][kJpegZigzag[63]], 255);
  EXPECT_EQ(tables.reciprocal[0][63], 32767 / 255);
}

TEST(JpegStream, FlatBlockTransformsToDcOnly) {
  for (int v : {-128, -1, 0, 1, 57, 127}) {
    int16_t block[64];
    std::fill(block, block + 64, static_cast<int16_t>(v));
    ForwardDct(block);
    EXPECT_EQ(block[0], 8 * v);
    EXPECT_TRUE(std::all_of(block + 1, block + 64, [](int16_t c) { return c == 0; }));
  }
}

TEST(JpegStream, HuffmanCodingOfRunsAndStuffing) {
  struct Case {
    const char* what;
    std::vector<std::pair<std::vector<int16_t>, int>> blocks;
    Bytes expected;
  };
  std::vector<int16_t> run20(22, 0);
  run20[21] = 1;
  std::vector<int16_t> last_nonzero(64, 0);
  last_nonzero[63] = -1;
  const Case cases[] = {
      // DC 00, zero run of sixteen 11111111001, run 4 size 1 111011 + 1, end of block 1010.
      {"twenty zeros then a one", {{run20, 0}}, {0x3F, 0xCF, 0x7A}},
      // DC 00, three runs of sixteen, run 14 size 1 1111111111101011 + 0 (-1), no end of block.
      {"coefficient 63 needs no end of block", {{last_nonzero, 0}}, {0x3F, 0xCF, 0xF9, 0xFF, 0x00, 0x3F, 0xFD, 0x60}},
      // DC diff 1023: 11111110 + 1111111111, end of block 1010: FF in the final flush.
      {"stuffing in the final flush", {{{1023}, 0}}, {0xFE, 0xFF, 0x00, 0xE8}},
      // Then diff -1023: 11111110 + 0000000000 and 1010: FF inside a full 32-bit write.
      {"stuffing in a full write", {{{1023}, 0}, {{0}, 0}}, {0xFE, 0xFF, 0x00, 0xEB, 0xF8, 0x00, 0xA0}},
      // DC 4: 110 + 100, end of block 00; each chrominance component keeps its own predictor.
      {"predictor per component", {{{4}, 1}, {{4}, 2}, {{4}, 1}}, {0xD0, 0xD0, 0x00}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(CodeBlocks(c.blocks), c.expected);
  }
}

// Planes of an image, each sample given per pixel or per chroma sample of the
// format, turned into the format's input bytes.
struct Planes {
  unsigned width, height, chroma_width, chroma_height;
  std::vector<uint8_t> y, cb, cr;
};

Planes MakePlanes(unsigned format, unsigned width, unsigned height, uint32_t seed) {
  Planes p{width, height, width, height, {}, {}, {}};
  if (format == JPEG_YCC422 || format == JPEG_YCC420) p.chroma_width = (width + 1) / 2;
  if (format == JPEG_YCC420) p.chroma_height = (height + 1) / 2;
  uint32_t state = seed;
  auto next = [&] {
    state = state * 1664525u + 1013904223u;
    return static_cast<uint8_t>(state >> 24);
  };
  p.y.resize(static_cast<std::size_t>(width) * height);
  for (auto& s : p.y) s = next();
  p.cb.resize(static_cast<std::size_t>(p.chroma_width) * p.chroma_height);
  p.cr.resize(p.cb.size());
  for (auto& s : p.cb) s = next();
  for (auto& s : p.cr) s = next();
  return p;
}

// The same planes grown to the given size by repeating the last column and row.
Planes Extend(const Planes& p, unsigned format, unsigned width, unsigned height) {
  Planes e = MakePlanes(format, width, height, 0);
  for (unsigned y = 0; y < height; ++y)
    for (unsigned x = 0; x < width; ++x)
      e.y[y * width + x] = p.y[std::min(y, p.height - 1) * p.width + std::min(x, p.width - 1)];
  for (unsigned y = 0; y < e.chroma_height; ++y)
    for (unsigned x = 0; x < e.chroma_width; ++x) {
      const std::size_t from = std::min(y, p.chroma_height - 1) * p.chroma_width + std::min(x, p.chroma_width - 1);
      e.cb[y * e.chroma_width + x] = p.cb[from];
      e.cr[y * e.chroma_width + x] = p.cr[from];
    }
  return e;
}

Bytes ToInput(const Planes& p, unsigned format) {
  Bytes in;
  const unsigned w = p.width, h = p.height;
  switch (format) {
    case JPEG_GRAY: return p.y;
    case JPEG_YCC444:
      for (std::size_t i = 0; i < p.y.size(); ++i) in.insert(in.end(), {p.y[i], p.cb[i], p.cr[i]});
      return in;
    case JPEG_YCC422:
      for (unsigned y = 0; y < h; ++y)
        for (unsigned x = 0; x < w; x += 2) {
          const std::size_t c = y * p.chroma_width + x / 2;
          if (x + 1 < w) {
            in.insert(in.end(), {p.y[y * w + x], p.cb[c], p.y[y * w + x + 1], p.cr[c]});
          } else {
            in.insert(in.end(), {p.y[y * w + x], p.cb[c], p.cr[c]});
          }
        }
      return in;
    case JPEG_YCC420:
      for (unsigned sy = 0; sy < p.chroma_height; ++sy)
        for (unsigned sx = 0; sx < p.chroma_width; ++sx) {
          auto luma = [&](unsigned dx, unsigned dy) {
            const unsigned x = 2 * sx + dx, y = 2 * sy + dy;
            return x < w && y < h ? p.y[y * w + x] : uint8_t{0};  // outside the picture: never read
          };
          const std::size_t c = sy * p.chroma_width + sx;
          in.insert(in.end(), {luma(0, 0), luma(1, 0), luma(0, 1), luma(1, 1), p.cb[c], p.cr[c]});
        }
      return in;
  }
  return in;
}

TEST(JpegStream, PartialMcusArePaddedByRepetition) {
  struct Case {
    unsigned format, width, height;
    uint32_t mcus_across, mcus_down, last_width, last_height;
  };
  const Case cases[] = {
      {JPEG_YCC422, 100, 60, 7, 8, 4, 4},  {JPEG_YCC422, 99, 61, 7, 8, 3, 5}, {JPEG_YCC422, 1, 1, 1, 1, 1, 1},
      {JPEG_YCC420, 100, 60, 7, 4, 4, 12}, {JPEG_YCC420, 37, 5, 3, 1, 5, 5},  {JPEG_YCC444, 100, 60, 13, 8, 4, 4},
      {JPEG_GRAY, 13, 3, 2, 1, 5, 3},      {JPEG_YCC422, 320, 240, 20, 30, 16, 8},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.format << " " << c.width << "x" << c.height);
    JpegGeometry g;
    ASSERT_TRUE(BuildJpegGeometry(c.format, c.width, c.height, &g));
    EXPECT_EQ(g.mcus_across, c.mcus_across);
    EXPECT_EQ(g.mcus_down, c.mcus_down);
    EXPECT_EQ(g.last_width, c.last_width);
    EXPECT_EQ(g.last_height, c.last_height);
    // Coding the picture grown to whole MCUs by repetition gives the same data.
    const unsigned full_width = g.mcus_across * g.mcu_width, full_height = g.mcus_down * g.mcu_height;
    const Planes planes = MakePlanes(c.format, c.width, c.height, c.width * 31 + c.height);
    const Bytes partial = Encode(ToInput(planes, c.format), c.format, c.width, c.height);
    const Bytes whole = Encode(ToInput(Extend(planes, c.format, full_width, full_height), c.format), c.format,
                               full_width, full_height);
    EXPECT_EQ(EntropyData(partial, c.format), EntropyData(whole, c.format));
  }
}

TEST(JpegStream, BgrIsConvertedInPlaceDroppingTheSecondChroma) {
  // Two rows of three pixels: a pair and a single pixel each.
  Bytes bgr = {255, 0, 0, 0, 0, 255, 0, 255, 0,  //
               10, 20, 30, 40, 50, 60, 200, 100, 0};
  auto y = [](int b, int g, int r) { return (29 * b + 150 * g + 77 * r) >> 8; };
  auto cb = [](int b, int g, int r) { return std::clamp(((128 * b - 43 * r - 85 * g) >> 8) + 128, 0, 255); };
  auto cr = [](int b, int g, int r) { return std::clamp(((128 * r - 21 * b - 107 * g) >> 8) + 128, 0, 255); };
  const Bytes expected = {
      uint8_t(y(255, 0, 0)),     uint8_t(cb(255, 0, 0)),   uint8_t(y(0, 0, 255)),    uint8_t(cr(255, 0, 0)),
      uint8_t(y(0, 255, 0)),     uint8_t(cb(0, 255, 0)),   uint8_t(cr(0, 255, 0)),   //
      uint8_t(y(10, 20, 30)),    uint8_t(cb(10, 20, 30)),  uint8_t(y(40, 50, 60)),   uint8_t(cr(10, 20, 30)),
      uint8_t(y(200, 100, 0)),   uint8_t(cb(200, 100, 0)), uint8_t(cr(200, 100, 0))};
  Bytes converted = bgr;
  Bytes out(JpegOutputBound(JPEG_BGR, 3, 2));
  ASSERT_NE(EncodeJpeg(converted.data(), out.data(), 256, JPEG_BGR, 3, 2), nullptr);
  EXPECT_EQ(Slice(converted, 0, expected.size()), expected);
  // Encoding the converted bytes as JPEG_YCC422 gives the same stream.
  Bytes again = Encode(Slice(converted, 0, expected.size()), JPEG_YCC422, 3, 2);
  Bytes first = Encode(bgr, JPEG_BGR, 3, 2);
  EXPECT_EQ(first, again);
  // Blue is clamped: Cb of pure blue is 128 + 127.
  EXPECT_EQ(expected[1], 255);
}

TEST(JpegStream, RefusesWhatCannotBeEncoded) {
  Bytes in(64, 0), out(4096, 0xAA);
  struct Case {
    unsigned format, width, height;
  };
  for (const Case& c : {Case{5, 8, 8}, Case{JPEG_BGR, 0, 8}, Case{JPEG_BGR, 8, 0}, Case{JPEG_GRAY, 65536, 1},
                        Case{JPEG_GRAY, 1, 65536}}) {
    EXPECT_EQ(EncodeJpeg(in.data(), out.data(), 256, c.format, c.width, c.height), nullptr);
    EXPECT_EQ(JpegOutputBound(c.format, c.width, c.height), 0u);
    EXPECT_EQ(JpegInputSize(c.format, c.width, c.height), 0u);
  }
  EXPECT_EQ(EncodeJpeg(nullptr, out.data(), 256, JPEG_GRAY, 8, 8), nullptr);
  EXPECT_EQ(EncodeJpeg(in.data(), nullptr, 256, JPEG_GRAY, 8, 8), nullptr);
  EXPECT_TRUE(std::all_of(out.begin(), out.end(), [](uint8_t b) { return b == 0xAA; }));
}

}  // namespace

namespace {

// The vector DCT against the plain one, on blocks that reach the extremes the
// 16-bit lanes must hold.
TEST(JpegStream, VectorDctMatchesThePlainOne) {
  uint32_t state = 99;
  auto next = [&] {
    state = state * 1664525u + 1013904223u;
    return state >> 8;
  };
  for (int n = 0; n < 4000; ++n) {
    int16_t block[64], plain[64];
    for (int i = 0; i < 64; ++i) {
      const int r = i / 8, c = i % 8;
      switch (n % 5) {
        case 0: block[i] = static_cast<int16_t>(static_cast<int>(next() % 256) - 128); break;
        case 1: block[i] = static_cast<int16_t>((r + c) % 2 ? 127 : -128); break;               // checkerboard
        case 2: block[i] = static_cast<int16_t>(((r ^ c) & (n >> 3)) % 2 ? -128 : 127); break;  // patterns
        case 3: block[i] = static_cast<int16_t>(next() % 2 ? 127 : -128); break;                // extreme noise
        default: block[i] = static_cast<int16_t>((r % 2 ? 1 : -1) * (c < (n % 8) ? 127 : -128)); break;
      }
    }
    std::copy(block, block + 64, plain);
    ForwardDct(block);
    ForwardDctPlain(plain);
    ASSERT_TRUE(std::equal(block, block + 64, plain)) << "block " << n;
  }
}

}  // namespace
