// Arbitrary camera transfers: finding the frame in whatever the camera sent
// must never read or write past the buffer, and a frame it reports found is
// whole at the start afterwards.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "camera/picture_store.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  // Small sizes let the fuzzer build whole frames; the search is the same for every size.
  int width = data[0] % 24 + 1;
  int height = data[1] % 24 + 1;
  // An exact-size heap copy, so any overrun is caught.
  std::vector<unsigned char> buffer(data + 2, data + size);
  bool found = AlignFrame(buffer.data(), buffer.size(), width, height);
  if (found) {
    std::size_t area = static_cast<std::size_t>(width) * height;
    if (std::memcmp(buffer.data(), kFrameStartMarker, kFrameMarkerSize) != 0 ||
        std::memcmp(buffer.data() + area + 9, kFrameEndMarker, kFrameMarkerSize) != 0) {
      std::abort();
    }
  }
  return 0;
}
