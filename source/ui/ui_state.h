// What the user interface keeps for the whole process: the main window and
// how it was opened. Qt-free, so camera and export code may read it. The
// language the windows speak is in ui/resources/language_state.h.
#pragma once

struct UiState {
  void* main_window;  // the main window while it exists, else null
  bool launcher_mode;  // opened by the maker's launcher
};

extern UiState ui_state;
void ResetUiState();
