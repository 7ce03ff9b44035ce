// The language offset added to resource ids: 0 (English), 2000 (Traditional
// Chinese) or 3000 (Simplified Chinese). English until the main window chooses
// at creation; kept here, away from the window, because the camera's messages
// and every other part that shows text need it without needing the window.
#pragma once

struct LanguageState {
  int language_offset = 0;
};

extern LanguageState language_state;
void ResetLanguageState();
