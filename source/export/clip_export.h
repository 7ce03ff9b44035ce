// Selected clips as AVI files ("video001.avi", ...) in the chosen folder, one
// per clip: a clip start and the clip frames right after it, each frame read
// from the raw store and decoded by the imaging library with the current
// adjustments.
#pragma once

#include <cstddef>

#include "export/photo_export.h"

// Frames per second of every clip file.
constexpr int kClipFramesPerSecond = 6;

// Every selected clip; files written and failures go into `report`. A frame
// whose raw file is missing or cannot be decoded keeps its time in the file
// (see avi_writer.h); a clip none of whose frames decodes is not written and
// counts as failed.
void SaveSelectedClips(SaveWindow& window, SaveReport* report);

// The number of frames of the clip starting at record `start`: 1 plus the clip
// frames directly after it.
int ClipFrameCount(int start);

// The raw file number of frame `frame` of the clip at `start`: the frame's own
// record, or the next one when its use_next flag is set; -1 when that lies
// past the table.
int ClipFrameFile(int start, int frame);
