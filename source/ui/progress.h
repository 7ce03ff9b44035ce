// The progress dialog ("Please wait..." with a bar and an n/total counter) and
// the message pump that keeps the windows alive while a long operation runs on
// the host's thread. Qt-free declarations: camera and export code call these.
#pragma once

// Replaces any open progress dialog with a new one owned by `owner` (a window
// of this process, else none), centred on the screen, on top, and in front.
void OpenProgressDialog(void* owner);

// Destroys the progress dialog, if one is open.
void CloseProgressDialog();

// Starts counting to `total`: the counter shows "0/total", the bar is empty.
void ProgressBegin(int total);

// One more picture finished: the counter shows "done/total", the bar advances.
void ProgressStep();

// The open progress dialog, or null.
void* ProgressDialogWindow();

// Delivers every event already pending for this thread and returns as soon as
// none is left; it never waits for more. `dialog` names the window whose
// keyboard navigation the caller has in mind; Qt routes keys to the focused
// window itself, so it needs no special treatment. False, doing nothing, when
// called from a thread that does not own the windows.
bool PumpMessages(void* dialog);
