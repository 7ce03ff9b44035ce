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

// Writes the top `bytes` bytes of `value` with a 0x00 after every 0xFF, and
// returns the new end.
uint8_t* WriteStuffedBytes(uint8_t* out, uint64_t value, unsigned bytes);

// The bit writer: pending bits are the low `count` bits of the accumulator.
// The stream is the same as from a 32-bit accumulator written four bytes at a
// time; eight at a time just takes fewer turns.
struct JpegBitWriter {
  uint64_t accumulator = 0;
  unsigned count = 0;
  uint8_t* out = nullptr;

  // Adds a code word of at most 26 bits.
  void Put(uint32_t word, unsigned length) {
    if (count + length < 64) {
      accumulator = (accumulator << length) | word;
      count += length;
      return;
    }
    const unsigned rest = count + length - 64;
    Write8((accumulator << (64 - count)) | (uint64_t{word} >> rest));
    accumulator = word;
    count = rest;
  }

  void Write8(uint64_t value) {
    // No byte is 0xFF: all eight go out in one store.
    if (((~value - 0x0101010101010101ull) & value & 0x8080808080808080ull) == 0) {
      const uint64_t big_endian = __builtin_bswap64(value);
      __builtin_memcpy(out, &big_endian, 8);
      out += 8;
    } else {
      out = WriteStuffedBytes(out, value, 8);
    }
  }
};

// The entropy coder of one image. Writes from `out` on; nothing is written
// past what Finish returns.
class JpegBlockCoder {
 public:
  JpegBlockCoder(uint8_t* out, const JpegQuantTables& tables) : tables_(tables) { writer_.out = out; }

  // Codes one block of samples 0..255: component 0 is luminance, 1 Cb, 2 Cr.
  void Code(const int16_t* samples, int component);

  // Codes 64 quantised coefficients in zigzag order.
  void CodeCoefficients(const int16_t* coefficients, int component);

  // Writes the pending bits, padded with 0-bits, and returns the end of the data.
  uint8_t* Finish();

 private:
  // Codes the coefficients whose bits are set in `nonzero` (bit k for zigzag
  // position k); the others are zero and are not read, except the DC.
  void CodeZigzag(const int16_t* coefficients, uint64_t nonzero, int component);

  JpegBitWriter writer_;
  const JpegQuantTables& tables_;
  int16_t dc_pred_[3] = {0, 0, 0};
};
