// The progress dialog's rules, apart from the widget: its counting, its
// counter text, and template 104 laid out in dialog units and turned into pixels.
#pragma once

#include <string>

// ---- Counting ---------------------------------------------------------------

struct ProgressState {
  int done;   // pictures finished since the last ProgressBegin
  int total;  // pictures announced by the last ProgressBegin
};

extern ProgressState progress_state;
void ResetProgressState();

void CountBegin(ProgressState& state, int total);  // done := 0, total remembered
void CountStep(ProgressState& state);              // done := done + 1, beyond total too

// "%d/%d" of done and total, as counted.
std::string ProgressCounterText(const ProgressState& state);

// The bar's range is 0..total; a step past the end keeps it full rather than
// wrapping round to empty.
int ProgressBarMaximum(const ProgressState& state);
int ProgressBarPosition(const ProgressState& state);

// ---- Template 104 -------------------------------------------------------------

constexpr int kProgressDialogId = 104;       // the same in every language
constexpr int kProgressTextId = 101;         // "Please wait...", centred
constexpr int kProgressCounterId = 102;      // "done/total"
constexpr int kProgressBarId = 204;
constexpr int kProgressIconId = 404;
constexpr int kProgressFrameId = -1;         // the etched frame has no id
constexpr int kPleaseWaitStringId = 119;     // plus the language offset
constexpr int kPleaseWaitMaxChars = 99;

struct DialogRect {
  int x;
  int y;
  int width;
  int height;
};

enum class DialogControlKind { EtchedFrame, Icon, CentredText, ProgressBar, Text };

struct DialogControl {
  int id;
  DialogControlKind kind;
  DialogRect rect;  // dialog units
};

constexpr DialogRect kProgressDialogSize = {0, 0, 260, 52};

// The icon sits left of a column holding the text, the bar and, under it, the counter.
constexpr DialogControl kProgressTemplate[] = {
    {kProgressFrameId, DialogControlKind::EtchedFrame, {4, 3, 252, 46}},
    {kProgressIconId, DialogControlKind::Icon, {12, 15, 21, 20}},
    {kProgressTextId, DialogControlKind::CentredText, {42, 8, 204, 9}},
    {kProgressBarId, DialogControlKind::ProgressBar, {42, 20, 204, 10}},
    {kProgressCounterId, DialogControlKind::CentredText, {42, 34, 204, 9}},
};

// Pixels per 4 horizontal and per 8 vertical dialog units: the dialog font's
// average character width and its height.
struct DialogBaseUnits {
  int x;
  int y;
};

// The units of "MS Sans Serif" 8 at 96 dots per inch, for when no font can be measured.
constexpr DialogBaseUnits kDefaultBaseUnits = {6, 13};

// Base units from the font actually used: the advance of the 52 letters
// A..Z a..z, and the line height, measured as the dialog manager does.
DialogBaseUnits BaseUnitsFromFont(int advance_of_52_letters, int height);

// Dialog units to pixels, rounded to the nearest pixel.
DialogRect DialogToPixels(const DialogRect& rect, DialogBaseUnits units);

// Where a window of the given size sits centred on a screen of the given size:
// (screen - window) / 2 on each axis, truncated.
DialogRect CentredOnScreen(int screen_width, int screen_height, int width, int height);
