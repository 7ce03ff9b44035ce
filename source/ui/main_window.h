// The source's window as the TWAIN core sees it: made at MSG_ENABLEDS, released
// and destroyed at MSG_DISABLEDS. Handles are opaque to the core.
#pragma once

// Makes the window, owned by `parent` when that is one of this process's
// widgets; null when no window could be made (also when called from a thread
// that cannot own widgets).
void* CreateMainWindow(void* instance, void* parent);

// Frees what the window holds; the window itself goes with DestroyMainWindow.
void ReleaseMainWindow();

void ShowMainWindow(void* window);
void DestroyMainWindow(void* window);

// True when the calling thread may touch the window.
bool MainWindowThreadOk();

// The window's cancel command (command 2), which the transfer sends when the
// last pending transfer has ended: the progress dialog goes and the host is
// asked to close the source. Handled before it returns.
void SendMainWindowCancel();
