#include "export/bmp_writer.h"

#include <cstdio>

namespace {

std::size_t PaddedRow(int width) { return (static_cast<std::size_t>(width) * 3 + 3) / 4 * 4; }

void PutU16(std::vector<uint8_t>& out, uint32_t value) {
  out.push_back(static_cast<uint8_t>(value));
  out.push_back(static_cast<uint8_t>(value >> 8));
}

void PutU32(std::vector<uint8_t>& out, uint32_t value) {
  for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<uint8_t>(value >> shift));
}

// Photos are at most 4096 pixels a side, far below what 32-bit sizes hold.
constexpr int kMaxSide = 16384;

}  // namespace

std::size_t BmpFileBytes(int width, int height) {
  if (width <= 0 || height <= 0) return 0;
  return kBmpHeaderBytes + PaddedRow(width) * static_cast<std::size_t>(height);
}

std::vector<uint8_t> BuildBmpHeader(int width, int height) {
  const uint32_t image = static_cast<uint32_t>(BmpFileBytes(width, height) - kBmpHeaderBytes);
  std::vector<uint8_t> out;
  out.reserve(kBmpHeaderBytes);
  out.push_back('B');
  out.push_back('M');
  PutU32(out, static_cast<uint32_t>(kBmpHeaderBytes) + image);
  PutU16(out, 0);
  PutU16(out, 0);
  PutU32(out, static_cast<uint32_t>(kBmpHeaderBytes));
  PutU32(out, 40);
  PutU32(out, static_cast<uint32_t>(width));
  PutU32(out, static_cast<uint32_t>(height));
  PutU16(out, 1);
  PutU16(out, 24);
  PutU32(out, 0);  // uncompressed
  PutU32(out, image);
  PutU32(out, 0);  // resolution, both ways
  PutU32(out, 0);
  PutU32(out, 0);  // colours used
  PutU32(out, 0);  // colours important
  return out;
}

int WriteBmpFile(const char* path, const uint8_t* bits, int width, int height) {
  if (path == nullptr || bits == nullptr || width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide) {
    return 0;
  }
  std::FILE* file = std::fopen(path, "wb");
  if (file == nullptr) return 0;
  const std::vector<uint8_t> header = BuildBmpHeader(width, height);
  bool ok = std::fwrite(header.data(), 1, header.size(), file) == header.size();
  const std::size_t row = static_cast<std::size_t>(width) * 3;
  const std::size_t padding = PaddedRow(width) - row;
  const uint8_t zeros[3] = {0, 0, 0};
  if (padding == 0) {
    const std::size_t bytes = row * static_cast<std::size_t>(height);
    ok = ok && std::fwrite(bits, 1, bytes, file) == bytes;
  } else {
    for (int y = 0; ok && y < height; ++y) {
      ok = std::fwrite(bits + row * static_cast<std::size_t>(y), 1, row, file) == row &&
           std::fwrite(zeros, 1, padding, file) == padding;
    }
  }
  // A full disk often shows only when the buffered tail goes out.
  if (std::fflush(file) != 0) ok = false;
  if (std::fclose(file) != 0) ok = false;
  return ok ? 1 : 0;
}
