// What the source keeps about its one connection, for as long as it is loaded.
#pragma once

#include "twain/twain.h"

struct SourceState {
  TW_IDENTITY source_identity;  // reported for DAT_IDENTITY; the DSM's copy after MSG_OPENDS
  TW_IDENTITY app_identity;     // Id 0 means no application is connected
  int state;                    // TWAIN state 3 to 7
  TW_STATUS status;             // condition of the last failure, read and cleared by DAT_STATUS
  void* main_window;            // the window made at MSG_ENABLEDS, or null
  void* owner_window;           // hParent of the last MSG_ENABLEDS: owner of every error box
  void* instance;               // the library's own module
};

extern SourceState source_state;

// Back to the state of a freshly loaded library, before load-time initialisation.
void ResetSourceState();

// Load-time initialisation: the identity from string resources 3, 0, 1, 2 and the
// "TwainName" setting. False for a null instance, which fails the load.
bool InitSourceAtLoad(void* instance);
