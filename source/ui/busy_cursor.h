// The wait cursor a long operation shows, and the download command the main
// window's download button runs under it. Qt-free declarations.
#pragma once

#include "camera/download.h"

// Shows the wait cursor over every window of the application for as long as
// it lives, and puts back whatever cursor was there before on every way out.
// Guards nest. Does nothing off the windows' thread or without an application.
class BusyCursor {
 public:
  BusyCursor();
  ~BusyCursor();
  BusyCursor(const BusyCursor&) = delete;
  BusyCursor& operator=(const BusyCursor&) = delete;

 private:
  bool shown_;
};

// The download command: OpenCamera, then DownloadPictures, with the wait
// cursor over both and the windows pumped between pictures. `owner` is the
// main window, owner of the messages the open and the download show. True
// when pictures were downloaded. A second download asked for while one runs
// (from the pump) is refused, as is a download with no store to write into;
// then the camera is not even opened. `failure`, when given, says why a
// download that found the camera returned false (None when OpenCamera
// failed: its message has told the user).
bool DownloadWithWaitCursor(void* owner, DownloadFailure* failure = nullptr);

// True while DownloadWithWaitCursor runs.
bool DownloadRunning();
