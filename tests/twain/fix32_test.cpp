#include "twain/fix32.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

TEST(Fix32, RealToFixedRoundsHalfUpThenCutsTowardZero) {
  const struct {
    double x;
    TW_INT16 whole;
    TW_UINT16 frac;
  } cases[] = {
      {0.0, 0, 0},
      {0.1, 0, 6554},
      {1.5, 1, 32768},
      {100.0, 100, 0},
      {255.0, 255, 0},
      {1000.0, 1000, 0},
      // Negative numbers land one 65536th above: -65535999.5 is cut to -65535999.
      {-1000.0, -1000, 1},
      {-0.5, -1, 32769},
      {-1.0 / 65536.0, 0, 0},
      {32767.99999, 32767, 65535},
      // Out of range saturates instead of wrapping.
      {1e12, 32767, 65535},
      {-1e12, -32768, 0},
      {std::numeric_limits<double>::infinity(), 32767, 65535},
      {std::numeric_limits<double>::quiet_NaN(), 0, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.x);
    TW_FIX32 fix = FloatToFix32(c.x);
    EXPECT_EQ(fix.Whole, c.whole);
    EXPECT_EQ(fix.Frac, c.frac);
  }
}

TEST(Fix32, FixedToRealIsSignedWholePlusUnsignedFraction) {
  const struct {
    TW_INT16 whole;
    TW_UINT16 frac;
    float x;
  } cases[] = {
      {0, 0, 0.0f},
      {-1000, 1, -1000.0f},  // the reported brightness minimum reads back as -1000
      {-1, 32768, -0.5f},
      {1, 32768, 1.5f},
      {0, 6554, static_cast<float>(6554.0 / 65536.0)},
      {-32768, 0, -32768.0f},
      {32767, 65535, static_cast<float>(32767.0 + 65535.0 / 65536.0)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.whole << "+" << c.frac);
    EXPECT_EQ(Fix32ToFloat(TW_FIX32{c.whole, c.frac}), c.x);
  }
}

TEST(Fix32, TableValuesSurviveTheRoundTrip) {
  for (float x : {-1000.0f, 1000.0f, 0.0f, 1.0f, 60.0f, 80.0f, 128.0f, 240.0f, 255.0f, 320.0f, 100.0f}) {
    EXPECT_EQ(Fix32ToFloat(FloatToFix32(x)), x);
  }
}

}  // namespace
