// The JPEG encoder's fixed tables: the example quantisation and Huffman tables
// of T.81 Annex K, the zigzag order, and the code tables derived from them.
// All of it is data known at compile time.
#pragma once

#include <array>
#include <cstdint>

// Table K.1 (luminance) and K.2 (chrominance), natural (row-major) order.
inline constexpr std::array<uint8_t, 64> kJpegLuminanceQuant = {
    16, 11, 10, 16, 24,  40,  51,  61,   //
    12, 12, 14, 19, 26,  58,  60,  55,   //
    14, 13, 16, 24, 40,  57,  69,  56,   //
    14, 17, 22, 29, 51,  87,  80,  62,   //
    18, 22, 37, 56, 68,  109, 103, 77,   //
    24, 35, 55, 64, 81,  104, 113, 92,   //
    49, 64, 78, 87, 103, 121, 120, 101,  //
    72, 92, 95, 98, 112, 100, 103, 99};

inline constexpr std::array<uint8_t, 64> kJpegChrominanceQuant = {
    17, 18, 24, 47, 99, 99, 99, 99,  //
    18, 21, 26, 66, 99, 99, 99, 99,  //
    24, 26, 56, 99, 99, 99, 99, 99,  //
    47, 66, 99, 99, 99, 99, 99, 99,  //
    99, 99, 99, 99, 99, 99, 99, 99,  //
    99, 99, 99, 99, 99, 99, 99, 99,  //
    99, 99, 99, 99, 99, 99, 99, 99,  //
    99, 99, 99, 99, 99, 99, 99, 99};

// Natural index of the k-th coefficient of the zigzag sequence.
inline constexpr std::array<uint8_t, 64> kJpegZigzagToNatural = {
    0,  1,  8,  16, 9,  2,  3,  10, 17, 24, 32, 25, 18, 11, 4,  5,   //
    12, 19, 26, 33, 40, 48, 41, 34, 27, 20, 13, 6,  7,  14, 21, 28,  //
    35, 42, 49, 56, 57, 50, 43, 36, 29, 22, 15, 23, 30, 37, 44, 51,  //
    58, 59, 52, 45, 38, 31, 39, 46, 53, 60, 61, 54, 47, 55, 62, 63};

// Position in the zigzag sequence of natural index i: the map the coder uses.
inline constexpr std::array<uint8_t, 64> kJpegZigzag = [] {
  std::array<uint8_t, 64> map{};
  for (int k = 0; k < 64; ++k) map[kJpegZigzagToNatural[k]] = static_cast<uint8_t>(k);
  return map;
}();

// The whole DHT segment, marker included: Tables K.3 (DC luminance), K.4 (DC
// chrominance), K.5 (AC luminance) and K.6 (AC chrominance), each as 16
// code-length counts followed by its symbols.
inline constexpr std::array<uint8_t, 420> kJpegDhtSegment = {
    0xFF, 0xC4, 0x01, 0xA2,
    // K.3
    0x00, 0, 1, 5, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0,  //
    0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11,
    // K.4
    0x01, 0, 3, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0,  //
    0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11,
    // K.5
    0x10, 0, 2, 1, 3, 3, 2, 4, 3, 5, 5, 4, 4, 0, 0, 1, 0x7D,  //
    0x01, 0x02, 0x03, 0x00, 0x04, 0x11, 0x05, 0x12, 0x21, 0x31, 0x41, 0x06, 0x13, 0x51, 0x61, 0x07,
    0x22, 0x71, 0x14, 0x32, 0x81, 0x91, 0xA1, 0x08, 0x23, 0x42, 0xB1, 0xC1, 0x15, 0x52, 0xD1, 0xF0,
    0x24, 0x33, 0x62, 0x72, 0x82, 0x09, 0x0A, 0x16, 0x17, 0x18, 0x19, 0x1A, 0x25, 0x26, 0x27, 0x28,
    0x29, 0x2A, 0x34, 0x35, 0x36, 0x37, 0x38, 0x39, 0x3A, 0x43, 0x44, 0x45, 0x46, 0x47, 0x48, 0x49,
    0x4A, 0x53, 0x54, 0x55, 0x56, 0x57, 0x58, 0x59, 0x5A, 0x63, 0x64, 0x65, 0x66, 0x67, 0x68, 0x69,
    0x6A, 0x73, 0x74, 0x75, 0x76, 0x77, 0x78, 0x79, 0x7A, 0x83, 0x84, 0x85, 0x86, 0x87, 0x88, 0x89,
    0x8A, 0x92, 0x93, 0x94, 0x95, 0x96, 0x97, 0x98, 0x99, 0x9A, 0xA2, 0xA3, 0xA4, 0xA5, 0xA6, 0xA7,
    0xA8, 0xA9, 0xAA, 0xB2, 0xB3, 0xB4, 0xB5, 0xB6, 0xB7, 0xB8, 0xB9, 0xBA, 0xC2, 0xC3, 0xC4, 0xC5,
    0xC6, 0xC7, 0xC8, 0xC9, 0xCA, 0xD2, 0xD3, 0xD4, 0xD5, 0xD6, 0xD7, 0xD8, 0xD9, 0xDA, 0xE1, 0xE2,
    0xE3, 0xE4, 0xE5, 0xE6, 0xE7, 0xE8, 0xE9, 0xEA, 0xF1, 0xF2, 0xF3, 0xF4, 0xF5, 0xF6, 0xF7, 0xF8,
    0xF9, 0xFA,
    // K.6
    0x11, 0, 2, 1, 2, 4, 4, 3, 4, 7, 5, 4, 4, 0, 1, 2, 0x77,  //
    0x00, 0x01, 0x02, 0x03, 0x11, 0x04, 0x05, 0x21, 0x31, 0x06, 0x12, 0x41, 0x51, 0x07, 0x61, 0x71,
    0x13, 0x22, 0x32, 0x81, 0x08, 0x14, 0x42, 0x91, 0xA1, 0xB1, 0xC1, 0x09, 0x23, 0x33, 0x52, 0xF0,
    0x15, 0x62, 0x72, 0xD1, 0x0A, 0x16, 0x24, 0x34, 0xE1, 0x25, 0xF1, 0x17, 0x18, 0x19, 0x1A, 0x26,
    0x27, 0x28, 0x29, 0x2A, 0x35, 0x36, 0x37, 0x38, 0x39, 0x3A, 0x43, 0x44, 0x45, 0x46, 0x47, 0x48,
    0x49, 0x4A, 0x53, 0x54, 0x55, 0x56, 0x57, 0x58, 0x59, 0x5A, 0x63, 0x64, 0x65, 0x66, 0x67, 0x68,
    0x69, 0x6A, 0x73, 0x74, 0x75, 0x76, 0x77, 0x78, 0x79, 0x7A, 0x82, 0x83, 0x84, 0x85, 0x86, 0x87,
    0x88, 0x89, 0x8A, 0x92, 0x93, 0x94, 0x95, 0x96, 0x97, 0x98, 0x99, 0x9A, 0xA2, 0xA3, 0xA4, 0xA5,
    0xA6, 0xA7, 0xA8, 0xA9, 0xAA, 0xB2, 0xB3, 0xB4, 0xB5, 0xB6, 0xB7, 0xB8, 0xB9, 0xBA, 0xC2, 0xC3,
    0xC4, 0xC5, 0xC6, 0xC7, 0xC8, 0xC9, 0xCA, 0xD2, 0xD3, 0xD4, 0xD5, 0xD6, 0xD7, 0xD8, 0xD9, 0xDA,
    0xE2, 0xE3, 0xE4, 0xE5, 0xE6, 0xE7, 0xE8, 0xE9, 0xEA, 0xF2, 0xF3, 0xF4, 0xF5, 0xF6, 0xF7, 0xF8,
    0xF9, 0xFA};

// Where each table's class/identifier byte sits in the segment.
inline constexpr int kJpegDhtDcLuminance = 4;
inline constexpr int kJpegDhtDcChrominance = kJpegDhtDcLuminance + 1 + 16 + 12;
inline constexpr int kJpegDhtAcLuminance = kJpegDhtDcChrominance + 1 + 16 + 12;
inline constexpr int kJpegDhtAcChrominance = kJpegDhtAcLuminance + 1 + 16 + 162;

// Code and code length per entry. DC tables are indexed by size category
// (0 to 11). AC tables: entry 0 is end-of-block, run × 10 + size (run 0 to 15,
// size 1 to 10) is the symbol run × 16 + size, entry 161 is the run of sixteen.
template <int N>
struct JpegHuffmanTable {
  std::array<uint16_t, N> code{};
  std::array<uint8_t, N> length{};
};

inline constexpr int kJpegAcEndOfBlock = 0;
inline constexpr int kJpegAcZeroRun16 = 161;

constexpr int JpegAcEntryOfSymbol(int symbol) {
  if (symbol == 0x00) return kJpegAcEndOfBlock;
  if (symbol == 0xF0) return kJpegAcZeroRun16;
  return (symbol >> 4) * 10 + (symbol & 15);
}

// The canonical codes of T.81 Annex C for the table whose class/identifier
// byte is at `at` in the DHT segment.
template <int N>
constexpr JpegHuffmanTable<N> DeriveJpegHuffmanTable(int at) {
  JpegHuffmanTable<N> table{};
  const uint8_t* counts = &kJpegDhtSegment[at + 1];
  const uint8_t* symbols = &kJpegDhtSegment[at + 17];
  unsigned code = 0;
  int k = 0;
  for (int length = 1; length <= 16; ++length) {
    for (int n = 0; n < counts[length - 1]; ++n, ++k) {
      int entry = N == 12 ? symbols[k] : JpegAcEntryOfSymbol(symbols[k]);
      table.code[entry] = static_cast<uint16_t>(code++);
      table.length[entry] = static_cast<uint8_t>(length);
    }
    code <<= 1;
  }
  return table;
}

inline constexpr auto kJpegDcLuminanceCodes = DeriveJpegHuffmanTable<12>(kJpegDhtDcLuminance);
inline constexpr auto kJpegDcChrominanceCodes = DeriveJpegHuffmanTable<12>(kJpegDhtDcChrominance);
inline constexpr auto kJpegAcLuminanceCodes = DeriveJpegHuffmanTable<162>(kJpegDhtAcLuminance);
inline constexpr auto kJpegAcChrominanceCodes = DeriveJpegHuffmanTable<162>(kJpegDhtAcChrominance);

// Number of significant bits of n (0 for 0).
inline constexpr std::array<uint8_t, 256> kJpegBitLength = [] {
  std::array<uint8_t, 256> bits{};
  for (int n = 1; n < 256; ++n) bits[n] = static_cast<uint8_t>(bits[n >> 1] + 1);
  return bits;
}();

static_assert(kJpegDhtAcChrominance + 1 + 16 + 162 == kJpegDhtSegment.size());
static_assert(kJpegAcLuminanceCodes.length[kJpegAcEndOfBlock] == 4);
static_assert(kJpegDcLuminanceCodes.length[0] == 2 && kJpegDcChrominanceCodes.length[0] == 2);
