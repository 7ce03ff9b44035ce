#include "ui/progress_layout.h"

#include <algorithm>
#include <cstdio>

ProgressState progress_state = {};

void ResetProgressState() { progress_state = {}; }

void CountBegin(ProgressState& state, int total) {
  state.done = 0;
  state.total = total;
}

void CountStep(ProgressState& state) {
  if (state.done < 0x7FFFFFFF) ++state.done;
}

std::string ProgressCounterText(const ProgressState& state) {
  char text[32];
  std::snprintf(text, sizeof text, "%d/%d", state.done, state.total);
  return text;
}

int ProgressBarMaximum(const ProgressState& state) { return std::max(state.total, 0); }

int ProgressBarPosition(const ProgressState& state) {
  return std::clamp(state.done, 0, ProgressBarMaximum(state));
}

DialogBaseUnits BaseUnitsFromFont(int advance_of_52_letters, int height) {
  if (advance_of_52_letters <= 0 || height <= 0) return kDefaultBaseUnits;
  return {(advance_of_52_letters / 26 + 1) / 2, height};
}

namespace {

// Rounds half away from zero, as the dialog manager's scaling does.
int Scale(int value, int base, int divisor) {
  long long product = static_cast<long long>(value) * base;
  long long half = divisor / 2;
  return static_cast<int>(product >= 0 ? (product + half) / divisor : (product - half) / divisor);
}

}  // namespace

DialogRect DialogToPixels(const DialogRect& rect, DialogBaseUnits units) {
  return {Scale(rect.x, units.x, 4), Scale(rect.y, units.y, 8), Scale(rect.width, units.x, 4),
          Scale(rect.height, units.y, 8)};
}

DialogRect CentredOnScreen(int screen_width, int screen_height, int width, int height) {
  return {(screen_width - width) / 2, (screen_height - height) / 2, width, height};
}
