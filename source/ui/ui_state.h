// What the user interface keeps for the whole process: the language its
// windows speak and the main window they belong to. Qt-free, so camera and
// export code may read the language for their messages.
#pragma once

struct UiState {
  // 0 English, 2000 Traditional Chinese, 3000 Simplified Chinese; added to
  // dialog and string ids. 0 until the main window chooses it, then kept.
  int language_offset;
  void* main_window;  // the main window while it exists, else null
  bool launcher_mode;  // opened by the maker's launcher
};

extern UiState ui_state;
void ResetUiState();
