// The save-file dialog of the "Save photos" command, behind a Qt-free
// interface: export code asks for a path and a file type and never sees Qt.
//
// With SNAPSRC_UNATTENDED set no dialog opens: the answer comes from
// SNAPSRC_SAVE_AS=<path>[;bmp|;jpg] (JPG when no type is given), and an unset
// or empty SNAPSRC_SAVE_AS cancels.
#pragma once

#include <string>
#include <string_view>

// The filters, in their order; the filter index counts from 1.
constexpr int kSaveFilterJpeg = 1;
constexpr int kSaveFilterBmp = 2;
constexpr const char* kSaveDialogFilters[] = {"JPG File (*.jpg)", "BMP File (*.bmp)"};
// The file-name field's text every time the dialog opens.
constexpr char kSaveDialogFileName[] = "photo";

struct SaveDialogChoice {
  std::string path;      // as the dialog returned it, "/" separators
  int filter_index = 0;  // kSaveFilterJpeg or kSaveFilterBmp
};

// What the dialog keeps while the source is loaded: the last filter chosen.
struct SaveDialogState {
  int filter_index = kSaveFilterJpeg;
};

extern SaveDialogState save_dialog_state;
void ResetSaveDialogState();

// Reads an unattended answer "<path>[;bmp|;jpg]"; false (cancel) for an empty
// path or an unknown type.
bool ParseSaveAsAnswer(std::string_view value, SaveDialogChoice* choice);

// Asks for the save target, owned by `owner` (a window of this process, else
// none). True when the user confirmed; the choice is then filled and its filter
// becomes the one the dialog starts with next time. The dialog asks no
// overwrite question of its own.
bool ShowSaveDialog(void* owner, SaveDialogChoice* choice);
