#include "ui/save_dialog.h"

SaveDialogState save_dialog_state;

void ResetSaveDialogState() { save_dialog_state = SaveDialogState{}; }

bool ParseSaveAsAnswer(std::string_view value, SaveDialogChoice* choice) {
  int filter = kSaveFilterJpeg;
  // The type follows the last ";" only when it is one of the two names, so a
  // path that happens to hold a ";" still works.
  const std::size_t semicolon = value.rfind(';');
  if (semicolon != std::string_view::npos) {
    std::string_view type = value.substr(semicolon + 1);
    if (type == "bmp" || type == "BMP") {
      filter = kSaveFilterBmp;
      value = value.substr(0, semicolon);
    } else if (type == "jpg" || type == "JPG") {
      value = value.substr(0, semicolon);
    }
  }
  if (value.empty() || choice == nullptr) return false;
  choice->path.assign(value);
  choice->filter_index = filter;
  return true;
}
