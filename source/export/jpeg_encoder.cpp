#include "export/jpeg_encoder.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "camera/whole_file.h"
#include "export/jpeg_block.h"
#include "export/jpeg_color.h"
#include "export/jpeg_tables.h"

// SNAPSRC_JPEG_PLAIN builds the one-value-at-a-time forms only, so tests can
// hold both forms to the same bytes.
#if defined(__SSE2__) && !defined(SNAPSRC_JPEG_PLAIN)
#include <emmintrin.h>
#define SNAPSRC_JPEG_SSE2 1
#endif

namespace {

constexpr unsigned kMaxSide = 65535;

// Stream bytes around the entropy-coded data: SOI, DQT, DHT, SOF0, SOS, EOI.
constexpr std::size_t HeaderBytes(unsigned format) {
  return 2 + 134 + kJpegDhtSegment.size() + (format == JPEG_GRAY ? 13 + 10 : 19 + 14) + 2;
}

// The longest a block can code to: a DC code of at most 11 bits with 11 extra
// bits, and 63 AC codes of at most 16 bits with 10 extra bits each (a run of
// sixteen zeros costs less than the coefficients it replaces).
constexpr std::size_t kMaxBlockBits = 11 + 11 + 63 * (16 + 10);

unsigned BlocksPerMcu(unsigned format) {
  switch (format) {
    case JPEG_GRAY: return 1;
    case JPEG_YCC420: return 6;
    case JPEG_YCC444: return 3;
    default: return 4;
  }
}

void PutBigEndian16(uint8_t*& out, unsigned value) {
  *out++ = static_cast<uint8_t>(value >> 8);
  *out++ = static_cast<uint8_t>(value);
}

uint8_t* WriteHeaders(uint8_t* out, unsigned format, unsigned width, unsigned height,
                      const JpegQuantTables& tables) {
  *out++ = 0xFF;
  *out++ = 0xD8;

  *out++ = 0xFF;
  *out++ = 0xDB;
  PutBigEndian16(out, 132);
  for (int t = 0; t < 2; ++t) {
    *out++ = static_cast<uint8_t>(t);
    std::memcpy(out, tables.dqt[t], 64);
    out += 64;
  }

  std::memcpy(out, kJpegDhtSegment.data(), kJpegDhtSegment.size());
  out += kJpegDhtSegment.size();

  const bool gray = format == JPEG_GRAY;
  const uint8_t luminance_factors = format == JPEG_YCC420 ? 0x22 : (format == JPEG_YCC422 ? 0x21 : 0x11);
  *out++ = 0xFF;
  *out++ = 0xC0;
  PutBigEndian16(out, gray ? 11 : 17);
  *out++ = 8;
  PutBigEndian16(out, height);
  PutBigEndian16(out, width);
  *out++ = gray ? 1 : 3;
  *out++ = 1;
  *out++ = luminance_factors;
  *out++ = 0;
  if (!gray) {
    for (uint8_t component : {2, 3}) {
      *out++ = component;
      *out++ = 0x11;
      *out++ = 1;
    }
  }

  *out++ = 0xFF;
  *out++ = 0xDA;
  PutBigEndian16(out, gray ? 8 : 12);
  *out++ = gray ? 1 : 3;
  *out++ = 1;
  *out++ = 0x00;
  if (!gray) {
    for (uint8_t component : {2, 3}) {
      *out++ = component;
      *out++ = 0x11;
    }
  }
  *out++ = 0;
  *out++ = 63;
  *out++ = 0;
  return out;
}

// Fills the blocks of one MCU whose top-left input byte is `mcu`, `width` ×
// `height` pixels of it real, repeating the last real sample of every line to
// the right and the last real line downwards.
void ReadMcu(unsigned format, const uint8_t* mcu, std::size_t row_bytes, unsigned width, unsigned height,
             JpegBlocks& blocks) {
  auto clamp_x = [&](unsigned x) { return std::min(x, width - 1); };
  auto clamp_y = [&](unsigned y) { return std::min(y, height - 1); };
  switch (format) {
    case JPEG_GRAY:
      for (unsigned y = 0; y < 8; ++y) {
        const uint8_t* line = mcu + clamp_y(y) * row_bytes;
        for (unsigned x = 0; x < 8; ++x) blocks[0][y * 8 + x] = line[clamp_x(x)];
      }
      break;
    case JPEG_YCC444:
      for (unsigned y = 0; y < 8; ++y) {
        const uint8_t* line = mcu + clamp_y(y) * row_bytes;
        for (unsigned x = 0; x < 8; ++x) {
          const uint8_t* pixel = line + 3 * clamp_x(x);
          for (int c = 0; c < 3; ++c) blocks[c][y * 8 + x] = pixel[c];
        }
      }
      break;
    case JPEG_YCC422: {
      // The pixel pairs that hold real samples; with an odd width the last
      // one is a single pixel whose Cr follows its Cb directly.
      const unsigned pairs = (width + 1) / 2;
      const bool single = (width & 1) != 0;
      for (unsigned y = 0; y < 8; ++y) {
        const uint8_t* line = mcu + clamp_y(y) * row_bytes;
        for (unsigned x = 0; x < 16; ++x) blocks[x / 8][y * 8 + x % 8] = line[2 * clamp_x(x)];
        for (unsigned x = 0; x < 8; ++x) {
          const unsigned pair = std::min(x, pairs - 1);
          blocks[2][y * 8 + x] = line[4 * pair + 1];
          blocks[3][y * 8 + x] = line[4 * pair + (single && pair == pairs - 1 ? 2 : 3)];
        }
      }
      break;
    }
    case JPEG_YCC420: {
      const unsigned squares_across = (width + 1) / 2, squares_down = (height + 1) / 2;
      for (unsigned y = 0; y < 16; ++y) {
        const unsigned py = clamp_y(y);
        const uint8_t* line = mcu + (py / 2) * row_bytes + (py & 1) * 2;
        for (unsigned x = 0; x < 16; ++x) {
          const unsigned px = clamp_x(x);
          blocks[(y / 8) * 2 + x / 8][(y % 8) * 8 + x % 8] = line[(px / 2) * 6 + (px & 1)];
        }
      }
      for (unsigned y = 0; y < 8; ++y) {
        const uint8_t* line = mcu + std::min(y, squares_down - 1) * row_bytes;
        for (unsigned x = 0; x < 8; ++x) {
          const uint8_t* square = line + std::min(x, squares_across - 1) * 6;
          blocks[4][y * 8 + x] = square[4];
          blocks[5][y * 8 + x] = square[5];
        }
      }
      break;
    }
  }
}

// The common case of format 2: a whole 16×8 MCU, no padding.
void ReadWholeMcu422(const uint8_t* mcu, std::size_t row_bytes, JpegBlocks& blocks) {
#if defined(SNAPSRC_JPEG_SSE2)
  const __m128i low_bytes = _mm_set1_epi16(0x00FF);
  for (int y = 0; y < 8; ++y, mcu += row_bytes) {
    const __m128i left = _mm_loadu_si128(reinterpret_cast<const __m128i*>(mcu));
    const __m128i right = _mm_loadu_si128(reinterpret_cast<const __m128i*>(mcu + 16));
    _mm_store_si128(reinterpret_cast<__m128i*>(blocks[0] + 8 * y), _mm_and_si128(left, low_bytes));
    _mm_store_si128(reinterpret_cast<__m128i*>(blocks[1] + 8 * y), _mm_and_si128(right, low_bytes));
    // Cb, Cr alternate in the high bytes: as 32-bit lanes, Cb low and Cr high.
    const __m128i chroma_left = _mm_srli_epi16(left, 8), chroma_right = _mm_srli_epi16(right, 8);
    const __m128i cb = _mm_packs_epi32(_mm_srai_epi32(_mm_slli_epi32(chroma_left, 16), 16),
                                       _mm_srai_epi32(_mm_slli_epi32(chroma_right, 16), 16));
    const __m128i cr = _mm_packs_epi32(_mm_srai_epi32(chroma_left, 16), _mm_srai_epi32(chroma_right, 16));
    _mm_store_si128(reinterpret_cast<__m128i*>(blocks[2] + 8 * y), cb);
    _mm_store_si128(reinterpret_cast<__m128i*>(blocks[3] + 8 * y), cr);
  }
#else
  ReadMcu(JPEG_YCC422, mcu, row_bytes, 16, 8, blocks);
#endif
}

}  // namespace

bool BuildJpegGeometry(unsigned format, unsigned width, unsigned height, JpegGeometry* geometry) {
  if (format > JPEG_BGR || width == 0 || height == 0 || width > kMaxSide || height > kMaxSide) return false;
  if (format == JPEG_BGR) format = JPEG_YCC422;
  JpegGeometry g;
  g.mcu_width = format == JPEG_GRAY || format == JPEG_YCC444 ? 8 : 16;
  g.mcu_height = format == JPEG_YCC420 ? 16 : 8;
  g.mcus_across = (width + g.mcu_width - 1) / g.mcu_width;
  g.mcus_down = (height + g.mcu_height - 1) / g.mcu_height;
  g.last_width = width - g.mcu_width * (g.mcus_across - 1);
  g.last_height = height - g.mcu_height * (g.mcus_down - 1);
  switch (format) {
    case JPEG_GRAY:
      g.row_bytes = width;
      g.mcu_step = 8;
      break;
    case JPEG_YCC420:
      g.row_bytes = 6 * static_cast<std::size_t>((width + 1) / 2);
      g.mcu_step = 6 * 8;
      break;
    case JPEG_YCC422:
      g.row_bytes = 2 * static_cast<std::size_t>(width) + (width & 1);
      g.mcu_step = 2 * 16;
      break;
    case JPEG_YCC444:
      g.row_bytes = 3 * static_cast<std::size_t>(width);
      g.mcu_step = 3 * 8;
      break;
  }
  // Eight input rows make an MCU row in every format: a row of format 1 holds
  // two pixel rows.
  g.band_bytes = 8 * g.row_bytes;
  *geometry = g;
  return true;
}

std::size_t JpegInputSize(unsigned format, unsigned width, unsigned height) {
  JpegGeometry g;
  if (!BuildJpegGeometry(format, width, height, &g)) return 0;
  if (format == JPEG_BGR) return 3 * static_cast<std::size_t>(width) * height;
  const std::size_t rows = format == JPEG_YCC420 ? (height + 1) / 2 : height;
  return rows * g.row_bytes;
}

std::size_t JpegOutputBound(unsigned format, unsigned width, unsigned height) {
  JpegGeometry g;
  if (!BuildJpegGeometry(format, width, height, &g)) return 0;
  const std::size_t blocks = static_cast<std::size_t>(g.mcus_across) * g.mcus_down * BlocksPerMcu(format);
  // Every byte of entropy-coded data may need a stuffed zero after it.
  const std::size_t data = (blocks * kMaxBlockBits + 7) / 8;
  return HeaderBytes(format) + 2 * data;
}

uint8_t* EncodeJpeg(uint8_t* input, uint8_t* output, unsigned scale, unsigned format, unsigned width,
                    unsigned height) {
  JpegGeometry g;
  if (input == nullptr || output == nullptr || !BuildJpegGeometry(format, width, height, &g)) return nullptr;
  const bool convert = format == JPEG_BGR;
  if (convert) format = JPEG_YCC422;
  JpegQuantTables tables;
  BuildJpegQuantTables(scale, &tables);
  uint8_t* out = WriteHeaders(output, format, width, height, tables);

  JpegBlockCoder coder(out, tables);
  alignas(16) JpegBlocks blocks;
  const unsigned luminance_blocks = BlocksPerMcu(format) == 1 ? 1 : BlocksPerMcu(format) - 2;
  for (uint32_t my = 0; my < g.mcus_down; ++my) {
    const unsigned mcu_height = my + 1 == g.mcus_down ? g.last_height : g.mcu_height;
    // Each band of rows is converted just before it is coded, while it is
    // still in the cache; the rows below it are still blue-green-red.
    if (convert) ConvertBgrToYcc422(input, width, my * 8, mcu_height);
    const uint8_t* band = input + my * g.band_bytes;
    for (uint32_t mx = 0; mx < g.mcus_across; ++mx) {
      const unsigned mcu_width = mx + 1 == g.mcus_across ? g.last_width : g.mcu_width;
      const uint8_t* mcu = band + mx * g.mcu_step;
      if (format == JPEG_YCC422 && mcu_width == 16 && mcu_height == 8) {
        ReadWholeMcu422(mcu, g.row_bytes, blocks);
      } else {
        ReadMcu(format, mcu, g.row_bytes, mcu_width, mcu_height, blocks);
      }
      for (unsigned b = 0; b < luminance_blocks; ++b) coder.Code(blocks[b], 0);
      if (format != JPEG_GRAY) {
        coder.Code(blocks[luminance_blocks], 1);
        coder.Code(blocks[luminance_blocks + 1], 2);
      }
    }
  }
  out = coder.Finish();
  *out++ = 0xFF;
  *out++ = 0xD9;
  return out;
}

bool SaveJpegFile(const char* path, uint8_t* bits, unsigned width, unsigned height) {
  if (path == nullptr || bits == nullptr) return false;
  const std::size_t size = JpegOutputBound(JPEG_BGR, width, height);
  if (size == 0) return false;
  // The bound is for the worst case; the pages a real photo leaves untouched
  // cost nothing.
  std::unique_ptr<uint8_t, decltype(&std::free)> buffer(static_cast<uint8_t*>(std::malloc(size)), &std::free);
  if (!buffer) return false;
  const std::size_t row = 3 * static_cast<std::size_t>(width);
  for (unsigned i = 0; i < height / 2; ++i) {
    std::swap_ranges(bits + i * row, bits + (i + 1) * row, bits + (height - 1 - i) * row);
  }
  const uint8_t* end = EncodeJpeg(bits, buffer.get(), 256, JPEG_BGR, width, height);
  if (end == nullptr) return false;
  return WriteWholeFile(path, buffer.get(), static_cast<std::size_t>(end - buffer.get()));
}
