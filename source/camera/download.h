// The download: every acceptable picture of the open camera, as raw sensor
// data, into the raw picture store, with the picture table rebuilt from
// record 0. Runs on the windows' thread; between pictures it hands control to
// the caller's pump so the windows stay alive.
#pragma once

// Lets the windows' pending events through. The camera layer knows no windows,
// so whoever starts a download passes the user interface's pump in.
using DownloadPump = void (*)();

enum class DownloadFailure {
  None,
  NoPictures,  // nothing counted: message 123 was shown
  NoStore,     // no raw picture store to write into: nothing was read or written
  Busy,        // a download was already running (entered again from its pump)
};

// Needs the connection OpenCamera left open and camera_picture_count >= 1;
// always leaves the connection closed and the camera back in normal mode. True
// when at least one picture was downloaded; then picture_count, item_count and
// the photo and clip counts describe the new table, and picture_dir is where
// decoding reads. `owner` is the main window, owner of message 123. `pump` may
// be null. `failure`, when given, says why a download returned false.
bool DownloadPictures(void* owner, DownloadPump pump, DownloadFailure* failure = nullptr);
