// TWAIN fixed point (TW_FIX32) and the floating-point form the source keeps
// its values in. Used by capability negotiation and the image transfer.
#pragma once

#include "twain/twain.h"

// Rounds x * 65536 half up and truncates toward zero, so -1000.0 becomes
// Whole -1000, Frac 1 and 0.1 becomes Whole 0, Frac 6554. Values beyond the
// 32-bit range saturate and NaN becomes 0 rather than wrapping.
TW_FIX32 FloatToFix32(double x);

// Whole (signed) plus Frac / 65536, rounded to single precision.
float Fix32ToFloat(TW_FIX32 fix);
