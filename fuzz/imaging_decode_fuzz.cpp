// The imaging library's development of raw frames. The library trusts only a
// record's width and height and reads exactly width x height + 4 raw bytes,
// which the caller guarantees; so the frame here is exactly that long, filled
// with the fuzzer's bytes, for every size the source accepts, every mode and
// any black level, mirror flag, half-height flag and adjustment, and for small
// sizes of any shape (the library is safe for every size, not just the
// camera's).
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <vector>

#include "kx3300_ip.h"

namespace {

constexpr int kWidths[] = {88, 160, 176, 320, 352, 640};
constexpr int kHeights[] = {72, 120, 144, 240, 288, 480};
constexpr std::size_t kHeaderBytes = 9;

double Adjustment(uint8_t byte) {
  if (byte == 255) return std::numeric_limits<double>::quiet_NaN();
  if (byte == 254) return std::numeric_limits<double>::infinity();
  if (byte == 253) return -1.0;
  return byte / 100.0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  if (size < kHeaderBytes) return 0;
  const int choice = data[0] % 48;
  const int w = choice < 36 ? kWidths[choice % 6] : 1 + data[8] % 19;
  const int h = choice < 36 ? kHeights[choice / 6] : 1 + (data[8] / 19) % 13;
  const uint8_t flags = data[4];
  double adjust[3] = {Adjustment(data[5]), Adjustment(data[6]), Adjustment(data[7])};

  KX3300_PictureRecordPrefix record{};
  record.record_size = sizeof record;
  record.width = w;
  record.height = h;
  record.mode = data[1];  // the camera gives 0..15; anything else must be safe too
  record.param20 = static_cast<int8_t>(data[2]);
  record.param11_flag = data[3] & 3;
  record.narrow = w < 352;
  record.half_height = (flags & 1) ? !(w > 2 * h) : (w > 2 * h);
  record.adjust = (flags & 2) ? nullptr : adjust;

  // Exactly the frame's length, so a read beyond it is caught.
  const std::size_t frame_bytes = static_cast<std::size_t>(w) * h + 4;
  auto* raw = static_cast<uint8_t*>(std::malloc(frame_bytes));
  const uint8_t* body = data + kHeaderBytes;
  const std::size_t body_size = size - kHeaderBytes;
  for (std::size_t i = 0; i < frame_bytes; ++i) raw[i] = body_size ? body[i % body_size] : 0;

  if (void* bitmap = IP_hDIB(&record, raw)) {
    if (flags & 4) {
      // Enlarge the developed pixels as the source does with photos.
      const int rows = record.half_height ? 2 * h : h;
      const int tw = 1 + (flags >> 3) % 32, th = 1 + body_size % 32;
      std::vector<uint8_t> target(static_cast<std::size_t>(tw) * th * 3);
      IP_ImageResample(static_cast<const uint8_t*>(bitmap) + 40, w, rows, target.data(), tw, th);
    }
    std::free(bitmap);
  }
  if (flags & 8) {
    std::vector<uint8_t> pixels(static_cast<std::size_t>(w) * h * 3);
    IP_pRGB24(&record, raw, pixels.data());
  }
  std::free(raw);
  return 0;
}
