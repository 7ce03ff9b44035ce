#include "export/jpeg_block.h"

#include "export/jpeg_tables.h"

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

// Size category of a magnitude below 2048: its number of significant bits.
unsigned SizeOf(unsigned magnitude) {
  return magnitude < 256 ? kJpegBitLength[magnitude] : kJpegBitLength[magnitude >> 8] + 8u;
}

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

void ForwardDct(int16_t* block) {
  for (int row = 0; row < 8; ++row) Dct1d(block + row * 8, 1, 10, 0);
  for (int column = 0; column < 8; ++column) Dct1d(block + column, 8, 13, 3);
}

void JpegBlockCoder::Code(int16_t* samples, int component) {
  for (int i = 0; i < 64; ++i) samples[i] = static_cast<int16_t>(samples[i] - 128);
  ForwardDct(samples);

  const int table = component == 0 ? 0 : 1;
  const uint16_t* reciprocal = tables_.reciprocal[table];
  int16_t coefficients[64];
  for (int i = 0; i < 64; ++i) {
    coefficients[kJpegZigzag[i]] = static_cast<int16_t>((samples[i] * int32_t{reciprocal[i]} + 0x4000) >> 15);
  }
  CodeCoefficients(coefficients, component);
}

void JpegBlockCoder::CodeCoefficients(const int16_t* coefficients, int component) {
  const int table = component == 0 ? 0 : 1;

  const auto& dc_codes = table == 0 ? kJpegDcLuminanceCodes : kJpegDcChrominanceCodes;
  const auto& ac_codes = table == 0 ? kJpegAcLuminanceCodes : kJpegAcChrominanceCodes;

  // Extra bits are the low bits of the value, or of value − 1 when negative.
  auto emit = [&](unsigned code, unsigned code_length, int value, unsigned size) {
    const uint32_t extra = static_cast<uint32_t>(value < 0 ? value - 1 : value) & ((1u << size) - 1);
    Put((code << size) | extra, code_length + size);
  };

  const int16_t diff = static_cast<int16_t>(coefficients[0] - dc_pred_[component]);
  dc_pred_[component] = coefficients[0];
  const unsigned dc_size = SizeOf(static_cast<unsigned>(diff < 0 ? -diff : diff));
  emit(dc_codes.code[dc_size], dc_codes.length[dc_size], diff, dc_size);

  unsigned run = 0;
  for (int k = 1; k < 64; ++k) {
    const int value = coefficients[k];
    if (value == 0) {
      ++run;
      continue;
    }
    for (; run >= 16; run -= 16) Put(ac_codes.code[kJpegAcZeroRun16], ac_codes.length[kJpegAcZeroRun16]);
    const unsigned size = SizeOf(static_cast<unsigned>(value < 0 ? -value : value));
    const unsigned entry = run * 10 + size;
    emit(ac_codes.code[entry], ac_codes.length[entry], value, size);
    run = 0;
  }
  if (run != 0) Put(ac_codes.code[kJpegAcEndOfBlock], ac_codes.length[kJpegAcEndOfBlock]);
}

void JpegBlockCoder::WriteStuffed(uint32_t value, unsigned bytes) {
  for (unsigned n = 0; n < bytes; ++n) {
    const uint8_t byte = static_cast<uint8_t>(value >> (24 - 8 * n));
    *out_++ = byte;
    if (byte == 0xFF) *out_++ = 0x00;
  }
}

void JpegBlockCoder::Put(uint32_t word, unsigned length) {
  if (count_ + length < 32) {
    accumulator_ = (accumulator_ << length) | word;
    count_ += length;
    return;
  }
  const unsigned rest = count_ + length - 32;
  WriteStuffed((accumulator_ << (32 - count_)) | (word >> rest), 4);
  accumulator_ = word;
  count_ = rest;
}

uint8_t* JpegBlockCoder::Finish() {
  if (count_ > 0) WriteStuffed(accumulator_ << (32 - count_), (count_ + 7) / 8);
  count_ = 0;
  return out_;
}
