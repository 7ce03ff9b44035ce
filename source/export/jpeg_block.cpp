#include "export/jpeg_block.h"

#include <cstring>

#include "export/jpeg_tables.h"

// SNAPSRC_JPEG_PLAIN builds the one-value-at-a-time forms only, so tests can
// hold both forms to the same bytes.
#if defined(__SSE2__) && !defined(SNAPSRC_JPEG_PLAIN)
#include <emmintrin.h>
#define SNAPSRC_JPEG_SSE2 1
#endif

namespace {

// √2·cos(kπ/16) × 1024 for k = 1, 2, 3, 5, 6, 7.
constexpr int32_t kC1 = 1420, kC2 = 1338, kC3 = 1204, kC5 = 805, kC6 = 554, kC7 = 283;

// One 1-D step over eight values `stride` apart; `shift` is applied to the odd
// and the rotated outputs, `dc_shift` to X0 and X4.
void Dct1d(int16_t* x, int stride, int shift, int dc_shift) {
  const int32_t x0 = x[0], x1 = x[stride], x2 = x[2 * stride], x3 = x[3 * stride];
  const int32_t x4 = x[4 * stride], x5 = x[5 * stride], x6 = x[6 * stride], x7 = x[7 * stride];
  const int32_t s07 = x0 + x7, d07 = x0 - x7, s16 = x1 + x6, d16 = x1 - x6;
  const int32_t s25 = x2 + x5, d25 = x2 - x5, s34 = x3 + x4, d34 = x3 - x4;
  const int32_t t0 = s07 + s34, t3 = s07 - s34, t1 = s16 + s25, t2 = s16 - s25;
  x[0] = static_cast<int16_t>((t0 + t1) >> dc_shift);
  x[4 * stride] = static_cast<int16_t>((t0 - t1) >> dc_shift);
  x[2 * stride] = static_cast<int16_t>((kC6 * t2 + kC2 * t3) >> shift);
  x[6 * stride] = static_cast<int16_t>((kC6 * t3 - kC2 * t2) >> shift);
  x[1 * stride] = static_cast<int16_t>((kC1 * d07 + kC3 * d16 + kC5 * d25 + kC7 * d34) >> shift);
  x[3 * stride] = static_cast<int16_t>((kC3 * d07 - kC7 * d16 - kC1 * d25 - kC5 * d34) >> shift);
  x[5 * stride] = static_cast<int16_t>((kC5 * d07 - kC1 * d16 + kC7 * d25 + kC3 * d34) >> shift);
  x[7 * stride] = static_cast<int16_t>((kC7 * d07 - kC5 * d16 + kC3 * d25 - kC1 * d34) >> shift);
}

#if defined(SNAPSRC_JPEG_SSE2)

// The same step on eight vectors at once, one block line per lane. Samples
// and first-pass results fit 16 bits with room to spare (|x| ≤ 1024 after the
// rows, sums of eight ≤ 8192), so the sums stay in 16-bit lanes; the products
// go through pmaddwd, which gives the exact 32-bit sums of two products.
inline __m128i Pair(int a, int b) {
  return _mm_set1_epi32(static_cast<int32_t>((static_cast<uint32_t>(b) << 16) | (static_cast<uint32_t>(a) & 0xFFFF)));
}

template <int kShift>
inline __m128i Rotate(__m128i lo_pairs, __m128i hi_pairs, __m128i k) {
  return _mm_packs_epi32(_mm_srai_epi32(_mm_madd_epi16(lo_pairs, k), kShift),
                         _mm_srai_epi32(_mm_madd_epi16(hi_pairs, k), kShift));
}

template <int kShift>
inline __m128i Odd(__m128i p_lo, __m128i p_hi, __m128i q_lo, __m128i q_hi, __m128i kp, __m128i kq) {
  const __m128i lo = _mm_add_epi32(_mm_madd_epi16(p_lo, kp), _mm_madd_epi16(q_lo, kq));
  const __m128i hi = _mm_add_epi32(_mm_madd_epi16(p_hi, kp), _mm_madd_epi16(q_hi, kq));
  return _mm_packs_epi32(_mm_srai_epi32(lo, kShift), _mm_srai_epi32(hi, kShift));
}

template <int kShift, int kDcShift>
__attribute__((always_inline)) inline void Dct1dLanes(__m128i* x) {
  const __m128i s07 = _mm_add_epi16(x[0], x[7]), d07 = _mm_sub_epi16(x[0], x[7]);
  const __m128i s16 = _mm_add_epi16(x[1], x[6]), d16 = _mm_sub_epi16(x[1], x[6]);
  const __m128i s25 = _mm_add_epi16(x[2], x[5]), d25 = _mm_sub_epi16(x[2], x[5]);
  const __m128i s34 = _mm_add_epi16(x[3], x[4]), d34 = _mm_sub_epi16(x[3], x[4]);
  const __m128i t0 = _mm_add_epi16(s07, s34), t3 = _mm_sub_epi16(s07, s34);
  const __m128i t1 = _mm_add_epi16(s16, s25), t2 = _mm_sub_epi16(s16, s25);
  x[0] = _mm_srai_epi16(_mm_add_epi16(t0, t1), kDcShift);
  x[4] = _mm_srai_epi16(_mm_sub_epi16(t0, t1), kDcShift);
  const __m128i t_lo = _mm_unpacklo_epi16(t2, t3), t_hi = _mm_unpackhi_epi16(t2, t3);
  x[2] = Rotate<kShift>(t_lo, t_hi, Pair(kC6, kC2));
  x[6] = Rotate<kShift>(t_lo, t_hi, Pair(-kC2, kC6));
  const __m128i p_lo = _mm_unpacklo_epi16(d07, d16), p_hi = _mm_unpackhi_epi16(d07, d16);
  const __m128i q_lo = _mm_unpacklo_epi16(d25, d34), q_hi = _mm_unpackhi_epi16(d25, d34);
  x[1] = Odd<kShift>(p_lo, p_hi, q_lo, q_hi, Pair(kC1, kC3), Pair(kC5, kC7));
  x[3] = Odd<kShift>(p_lo, p_hi, q_lo, q_hi, Pair(kC3, -kC7), Pair(-kC1, -kC5));
  x[5] = Odd<kShift>(p_lo, p_hi, q_lo, q_hi, Pair(kC5, -kC1), Pair(kC7, kC3));
  x[7] = Odd<kShift>(p_lo, p_hi, q_lo, q_hi, Pair(kC7, -kC5), Pair(kC3, -kC1));
}

__attribute__((always_inline)) inline void Transpose(__m128i* r) {
  const __m128i a0 = _mm_unpacklo_epi16(r[0], r[1]), a1 = _mm_unpackhi_epi16(r[0], r[1]);
  const __m128i a2 = _mm_unpacklo_epi16(r[2], r[3]), a3 = _mm_unpackhi_epi16(r[2], r[3]);
  const __m128i a4 = _mm_unpacklo_epi16(r[4], r[5]), a5 = _mm_unpackhi_epi16(r[4], r[5]);
  const __m128i a6 = _mm_unpacklo_epi16(r[6], r[7]), a7 = _mm_unpackhi_epi16(r[6], r[7]);
  const __m128i b0 = _mm_unpacklo_epi32(a0, a2), b1 = _mm_unpackhi_epi32(a0, a2);
  const __m128i b2 = _mm_unpacklo_epi32(a1, a3), b3 = _mm_unpackhi_epi32(a1, a3);
  const __m128i b4 = _mm_unpacklo_epi32(a4, a6), b5 = _mm_unpackhi_epi32(a4, a6);
  const __m128i b6 = _mm_unpacklo_epi32(a5, a7), b7 = _mm_unpackhi_epi32(a5, a7);
  r[0] = _mm_unpacklo_epi64(b0, b4);
  r[1] = _mm_unpackhi_epi64(b0, b4);
  r[2] = _mm_unpacklo_epi64(b1, b5);
  r[3] = _mm_unpackhi_epi64(b1, b5);
  r[4] = _mm_unpacklo_epi64(b2, b6);
  r[5] = _mm_unpackhi_epi64(b2, b6);
  r[6] = _mm_unpacklo_epi64(b3, b7);
  r[7] = _mm_unpackhi_epi64(b3, b7);
}

// Rows first (the lanes hold the rows after the transpose), then columns.
inline void DctLanes(__m128i* v) {
  Transpose(v);
  Dct1dLanes<10, 0>(v);
  Transpose(v);
  Dct1dLanes<13, 3>(v);
}

#endif

}  // namespace

void BuildJpegQuantTables(unsigned scale, JpegQuantTables* tables) {
  const std::array<uint8_t, 64>* annex_k[2] = {&kJpegLuminanceQuant, &kJpegChrominanceQuant};
  for (int t = 0; t < 2; ++t) {
    for (int i = 0; i < 64; ++i) {
      uint32_t q = (static_cast<uint32_t>((*annex_k[t])[i]) * scale + 512) >> 10;
      if (q == 0) q = 1;
      if (q > 255) q = 255;
      tables->dqt[t][kJpegZigzag[i]] = static_cast<uint8_t>(q);
      tables->reciprocal[t][i] = static_cast<uint16_t>(32767 / q);
    }
  }
}

void ForwardDctPlain(int16_t* block) {
  for (int row = 0; row < 8; ++row) Dct1d(block + row * 8, 1, 10, 0);
  for (int column = 0; column < 8; ++column) Dct1d(block + column, 8, 13, 3);
}

void ForwardDct(int16_t* block) {
#if defined(SNAPSRC_JPEG_SSE2)
  __m128i v[8];
  for (int i = 0; i < 8; ++i) v[i] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(block + 8 * i));
  DctLanes(v);
  for (int i = 0; i < 8; ++i) _mm_storeu_si128(reinterpret_cast<__m128i*>(block + 8 * i), v[i]);
#else
  ForwardDctPlain(block);
#endif
}

namespace {

// Inline, as the plain x86-64 instruction set has no population count and the
// library call costs more than this.
inline unsigned CountBits(uint64_t x) {
  x = x - ((x >> 1) & 0x5555555555555555ull);
  x = (x & 0x3333333333333333ull) + ((x >> 2) & 0x3333333333333333ull);
  x = (x + (x >> 4)) & 0x0F0F0F0F0F0F0F0Full;
  return static_cast<unsigned>((x * 0x0101010101010101ull) >> 56);
}

// Bits a magnitude below 2048 needs: its size category.
inline unsigned SizeOf(unsigned magnitude) { return magnitude == 0 ? 0 : 32 - __builtin_clz(magnitude); }

// Extra bits: the low `size` bits of the value, or of value − 1 when negative.
inline uint32_t ExtraBits(int value, unsigned size) {
  return static_cast<uint32_t>(value - (value < 0 ? 1 : 0)) & ((1u << size) - 1);
}

// Bit k of the result is set when coefficient k is not zero.
inline uint64_t NonZeroMask(const int16_t* coefficients) {
#if defined(SNAPSRC_JPEG_SSE2)
  uint64_t zero = 0;
  const __m128i none = _mm_setzero_si128();
  for (int i = 0; i < 4; ++i) {
    const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(coefficients + 16 * i));
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(coefficients + 16 * i + 8));
    const __m128i eq = _mm_packs_epi16(_mm_cmpeq_epi16(a, none), _mm_cmpeq_epi16(b, none));
    zero |= static_cast<uint64_t>(static_cast<uint32_t>(_mm_movemask_epi8(eq))) << (16 * i);
  }
  return ~zero;
#else
  uint64_t mask = 0;
  for (int k = 0; k < 64; ++k) mask |= static_cast<uint64_t>(coefficients[k] != 0) << k;
  return mask;
#endif
}

}  // namespace

void JpegBlockCoder::Code(const int16_t* samples, int component) {
  const uint16_t* reciprocal = tables_.reciprocal[component == 0 ? 0 : 1];
  alignas(16) int16_t quantised[64];
#if defined(SNAPSRC_JPEG_SSE2)
  __m128i v[8];
  const __m128i level = _mm_set1_epi16(128);
  for (int i = 0; i < 8; ++i) {
    v[i] = _mm_sub_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(samples + 8 * i)), level);
  }
  DctLanes(v);
  // (C × R + 0x4000) >> 15 from the two halves of the 32-bit products.
  const __m128i round = _mm_set1_epi32(0x4000);
  for (int i = 0; i < 8; ++i) {
    const __m128i r = _mm_loadu_si128(reinterpret_cast<const __m128i*>(reciprocal + 8 * i));
    const __m128i lo = _mm_mullo_epi16(v[i], r), hi = _mm_mulhi_epi16(v[i], r);
    const __m128i p0 = _mm_srai_epi32(_mm_add_epi32(_mm_unpacklo_epi16(lo, hi), round), 15);
    const __m128i p1 = _mm_srai_epi32(_mm_add_epi32(_mm_unpackhi_epi16(lo, hi), round), 15);
    _mm_store_si128(reinterpret_cast<__m128i*>(quantised + 8 * i), _mm_packs_epi32(p0, p1));
  }
#else
  int16_t block[64];
  for (int i = 0; i < 64; ++i) block[i] = static_cast<int16_t>(samples[i] - 128);
  ForwardDctPlain(block);
  for (int i = 0; i < 64; ++i) {
    quantised[i] = static_cast<int16_t>((block[i] * int32_t{reciprocal[i]} + 0x4000) >> 15);
  }
#endif
  // Into zigzag order. Most blocks of a photo keep few coefficients: then
  // only those move, and only the positions in the mask are ever read.
  alignas(16) int16_t coefficients[64];
  const uint64_t natural = NonZeroMask(quantised);
  uint64_t zigzag;
  if (CountBits(natural) <= 24) {
    zigzag = 1;
    coefficients[0] = quantised[0];
    for (uint64_t left = natural & ~uint64_t{1}; left != 0; left &= left - 1) {
      const unsigned n = static_cast<unsigned>(__builtin_ctzll(left));
      const unsigned k = kJpegZigzag[n];
      coefficients[k] = quantised[n];
      zigzag |= uint64_t{1} << k;
    }
  } else {
    for (int k = 0; k < 64; ++k) coefficients[k] = quantised[kJpegZigzagToNatural[k]];
    zigzag = NonZeroMask(coefficients);
  }
  // A block taken the sparse way never counts as busy in CodeZigzag, so the
  // positions left unwritten are never read.
  CodeZigzag(coefficients, zigzag, component);
}

void JpegBlockCoder::CodeCoefficients(const int16_t* coefficients, int component) {
  CodeZigzag(coefficients, NonZeroMask(coefficients), component);
}

namespace {

#if defined(SNAPSRC_JPEG_SSE2)
// For a block that keeps most of its coefficients: the size category and the
// extra bits of all 64 at once. The extra bits of a negative value are those
// of value − 1, that is |value| with its `size` low bits flipped; the size is
// read from the exponent of |value| as a float (exact below 2^24).
void PrepareDense(const int16_t* coefficients, uint16_t* sizes, uint16_t* extras) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i bias = _mm_set1_epi16(126);
  for (int i = 0; i < 8; ++i) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(coefficients + 8 * i));
    const __m128i sign = _mm_srai_epi16(v, 15);
    const __m128i magnitude = _mm_sub_epi16(_mm_xor_si128(v, sign), sign);
    __m128i smear = _mm_or_si128(magnitude, _mm_srli_epi16(magnitude, 1));
    smear = _mm_or_si128(smear, _mm_srli_epi16(smear, 2));
    smear = _mm_or_si128(smear, _mm_srli_epi16(smear, 4));
    smear = _mm_or_si128(smear, _mm_srli_epi16(smear, 8));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(extras + 8 * i), _mm_xor_si128(magnitude, _mm_and_si128(smear, sign)));
    const __m128i lo = _mm_castps_si128(_mm_cvtepi32_ps(_mm_unpacklo_epi16(magnitude, zero)));
    const __m128i hi = _mm_castps_si128(_mm_cvtepi32_ps(_mm_unpackhi_epi16(magnitude, zero)));
    const __m128i exponent = _mm_packs_epi32(_mm_srli_epi32(lo, 23), _mm_srli_epi32(hi, 23));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(sizes + 8 * i), _mm_max_epi16(_mm_sub_epi16(exponent, bias), zero));
  }
}
#endif

}  // namespace

void JpegBlockCoder::CodeZigzag(const int16_t* coefficients, uint64_t nonzero, int component) {
  const bool luminance = component == 0;
  const auto& dc_codes = luminance ? kJpegDcLuminanceCodes : kJpegDcChrominanceCodes;
  const auto& ac_codes = luminance ? kJpegAcLuminanceCodes : kJpegAcChrominanceCodes;

  // A copy the compiler can keep in registers: stores through the output
  // pointer could otherwise alias the coder's members.
  JpegBitWriter w = writer_;
  const int16_t diff = static_cast<int16_t>(coefficients[0] - dc_pred_[component]);
  dc_pred_[component] = coefficients[0];
  const unsigned dc_size = SizeOf(static_cast<unsigned>(diff < 0 ? -diff : diff));
  w.Put((uint32_t{dc_codes.code[dc_size]} << dc_size) | ExtraBits(diff, dc_size), dc_codes.length[dc_size] + dc_size);

  // The coefficients that are not zero, in zigzag order; the gaps between
  // them are the zero runs.
  nonzero &= ~uint64_t{1};
  unsigned last = 0;
  auto code = [&](unsigned k, unsigned size, uint32_t extra) {
    unsigned run = k - last - 1;
    last = k;
    for (; run >= 16; run -= 16) w.Put(ac_codes.code[kJpegAcZeroRun16], ac_codes.length[kJpegAcZeroRun16]);
    const unsigned entry = run * 10 + size;
    w.Put((uint32_t{ac_codes.code[entry]} << size) | extra, ac_codes.length[entry] + size);
  };
#if defined(SNAPSRC_JPEG_SSE2)
  if (CountBits(nonzero) > 24) {
    alignas(16) uint16_t sizes[64], extras[64];
    PrepareDense(coefficients, sizes, extras);
    for (; nonzero != 0; nonzero &= nonzero - 1) {
      const unsigned k = static_cast<unsigned>(__builtin_ctzll(nonzero));
      code(k, sizes[k], extras[k]);
    }
  }
#endif
  for (; nonzero != 0; nonzero &= nonzero - 1) {
    const unsigned k = static_cast<unsigned>(__builtin_ctzll(nonzero));
    const int value = coefficients[k];
    const unsigned size = SizeOf(static_cast<unsigned>(value < 0 ? -value : value));
    code(k, size, ExtraBits(value, size));
  }
  if (last != 63) w.Put(ac_codes.code[kJpegAcEndOfBlock], ac_codes.length[kJpegAcEndOfBlock]);
  writer_ = w;
}

uint8_t* WriteStuffedBytes(uint8_t* out, uint64_t value, unsigned bytes) {
  for (unsigned n = 0; n < bytes; ++n) {
    const uint8_t byte = static_cast<uint8_t>(value >> (56 - 8 * n));
    *out++ = byte;
    if (byte == 0xFF) *out++ = 0x00;
  }
  return out;
}

uint8_t* JpegBlockCoder::Finish() {
  JpegBitWriter& w = writer_;
  if (w.count > 0) w.out = WriteStuffedBytes(w.out, w.accumulator << (64 - w.count), (w.count + 7) / 8);
  w.count = 0;
  return w.out;
}
