// Coding of 8×8 blocks: forward DCT, quantisation and Huffman coding into the
// entropy-coded segment, with the bit writer that stuffs a zero after 0xFF.
#pragma once

#include <cstdint>

struct JpegQuantTables {
  uint8_t dqt[2][64];          // luminance, chrominance, zigzag order, as written in the DQT segment
  uint16_t reciprocal[2][64];  // 32767 / Q, natural order
};

// Annex K tables K.1 and K.2 scaled by `scale` / 1024, rounded, kept to 1..255.
void BuildJpegQuantTables(unsigned scale, JpegQuantTables* tables);

// Six blocks of samples 0..255: the luminance blocks of an MCU, then Cb, Cr.
using JpegBlocks = int16_t[6][64];

// The forward DCT of T.81's scale (a flat block of level-shifted value v gives
// DC = 8v) in integer steps, in place, natural order. ForwardDctPlain is the
// one-value-at-a-time form, which the vector form must match exactly.
void ForwardDct(int16_t* block);
void ForwardDctPlain(int16_t* block);

// The entropy coder of one image. Writes from `out` on; nothing is written
// past what Finish returns.
class JpegBlockCoder {
 public:
  JpegBlockCoder(uint8_t* out, const JpegQuantTables& tables) : out_(out), tables_(tables) {}

  // Codes one block of samples 0..255: component 0 is luminance, 1 Cb, 2 Cr.
  void Code(const int16_t* samples, int component);

  // Codes 64 quantised coefficients in zigzag order.
  void CodeCoefficients(const int16_t* coefficients, int component);

  // Writes the pending bits, padded with 0-bits, and returns the end of the data.
  uint8_t* Finish();

 private:
  // Adds a code word of at most 26 bits; inline, as it runs for every code.
  void Put(uint32_t word, unsigned length) {
    if (count_ + length < 64) {
      accumulator_ = (accumulator_ << length) | word;
      count_ += length;
      return;
    }
    const unsigned rest = count_ + length - 64;
    WriteStuffed((accumulator_ << (64 - count_)) | (uint64_t{word} >> rest), 8);
    accumulator_ = word;
    count_ = rest;
  }
  void WriteStuffed(uint64_t value, unsigned bytes);  // the top `bytes` bytes

  uint8_t* out_;
  const JpegQuantTables& tables_;
  uint64_t accumulator_ = 0;
  unsigned count_ = 0;  // pending bits, the low ones of the accumulator
  int16_t dc_pred_[3] = {0, 0, 0};
};
