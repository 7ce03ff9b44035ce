#include "twain/fix32.h"

#include <cmath>
#include <cstdint>

TW_FIX32 FloatToFix32(double x) {
  double scaled = x * 65536.0 + 0.5;
  // A cast of an out-of-range double is undefined; a host's or a file's
  // number must not get there.
  int32_t v;
  if (std::isnan(scaled)) {
    v = 0;
  } else if (scaled >= 2147483647.0) {
    v = INT32_MAX;
  } else if (scaled <= -2147483648.0) {
    v = INT32_MIN;
  } else {
    v = static_cast<int32_t>(scaled);
  }
  TW_FIX32 fix;
  fix.Whole = static_cast<TW_INT16>(v >> 16);
  fix.Frac = static_cast<TW_UINT16>(static_cast<uint32_t>(v) & 0xFFFFu);
  return fix;
}

float Fix32ToFloat(TW_FIX32 fix) {
  return static_cast<float>(static_cast<double>(fix.Whole) + static_cast<double>(fix.Frac) / 65536.0);
}
