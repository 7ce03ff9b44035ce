// The library's three exports. Everything that crosses the C boundary is
// checked here; no exception leaves.
#include "kx3300_ip.h"

#include <cstdlib>
#include <cstring>

#include "develop.h"
#include "resample.h"

#define KX3300_IP_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

constexpr std::size_t kInfoHeaderBytes = 40;

// The record's prefix, copied out so that an unaligned record is no trouble.
bool ReadRecord(const void* record, KX3300_PictureRecordPrefix& prefix) {
  if (record == nullptr) return false;
  int32_t size = 0;
  std::memcpy(&size, record, sizeof size);
  if (size < static_cast<int32_t>(sizeof prefix)) return false;
  std::memcpy(&prefix, record, sizeof prefix);
  return true;
}

DevelopRequest RequestFor(const KX3300_PictureRecordPrefix& r, bool restore_height) {
  DevelopRequest request;
  request.width = r.width;
  request.height = r.height;
  request.mode = r.mode;
  request.param20 = r.param20;
  request.param11_flag = r.param11_flag;
  request.restore_height = restore_height;
  if (r.adjust != nullptr) {
    request.brightness = r.adjust[0];
    request.contrast = r.adjust[1];
    request.quality = r.adjust[2];
  }
  return request;
}

void Put16(uint8_t* p, uint16_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
}
void Put32(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}

}  // namespace

KX3300_IP_EXPORT void* IP_hDIB(const void* record, const uint8_t* raw) {
  try {
    KX3300_PictureRecordPrefix prefix;
    if (!ReadRecord(record, prefix) || raw == nullptr) return nullptr;
    const DevelopRequest request = RequestFor(prefix, prefix.half_height != 0);
    const int height = DevelopedHeight(request);
    if (height == 0) return nullptr;
    const std::size_t image_bytes = static_cast<std::size_t>(request.width) * 3 * static_cast<std::size_t>(height);
    auto* block = static_cast<uint8_t*>(std::malloc(kInfoHeaderBytes + image_bytes));
    if (block == nullptr) return nullptr;
    std::memset(block, 0, kInfoHeaderBytes);
    Put32(block + 0, kInfoHeaderBytes);
    Put32(block + 4, static_cast<uint32_t>(request.width));
    Put32(block + 8, static_cast<uint32_t>(height));  // positive: rows bottom-up
    Put16(block + 12, 1);                             // planes
    Put16(block + 14, 24);                            // bits per pixel
    Put32(block + 20, static_cast<uint32_t>(image_bytes));
    if (!DevelopRawFrame(request, raw, block + kInfoHeaderBytes)) {
      std::free(block);
      return nullptr;
    }
    return block;
  } catch (...) {
    return nullptr;
  }
}

KX3300_IP_EXPORT int IP_pRGB24(const void* record, const uint8_t* raw, uint8_t* pixels) {
  try {
    KX3300_PictureRecordPrefix prefix;
    if (!ReadRecord(record, prefix) || raw == nullptr || pixels == nullptr) return 0;
    return DevelopRawFrame(RequestFor(prefix, false), raw, pixels) ? 1 : 0;
  } catch (...) {
    return 0;
  }
}

KX3300_IP_EXPORT int IP_ImageResample(const uint8_t* source, int source_width, int source_height, uint8_t* target,
                                      int target_width, int target_height) {
  try {
    return ResamplePixels(source, source_width, source_height, target, target_width, target_height) ? 1 : 0;
  } catch (...) {
    return 0;
  }
}
