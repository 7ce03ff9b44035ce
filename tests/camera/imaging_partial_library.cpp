// A stand-in imaging library that lacks IP_ImageResample and IP_pRGB24.
#include <cstdint>
#include <cstdlib>

extern "C" __attribute__((visibility("default"))) void* IP_hDIB(const void*, const uint8_t*) {
  return std::malloc(40);
}
