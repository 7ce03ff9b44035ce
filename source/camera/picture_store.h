// The raw picture store: a private directory of ".bar" files, one per
// downloaded picture, made when the main window opens and removed at its
// teardown. Also the pure rules a download applies to each picture: which sizes
// are accepted, how much to read, where the camera's frame lies in what it sent,
// and the five-byte header written over the start of every file.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/directories.h"

// One file name per record of the picture table: 0000.bar to 0207.bar.
constexpr int kStoreFileCount = 208;

// Room for a directory path; a TMPDIR too long for it leaves no store.
constexpr std::size_t kStorePathSize = 4096;

// Directory names are "MMDDhhmm.nnn"; after this many names of one minute
// already taken the store gives up rather than spin. No one opens the window
// a hundred times a minute, so by then something else holds the names.
constexpr int kStoreNameTries = 100;

struct PictureStoreState {
  // Where downloads write; empty when there is no store (never made, failed,
  // or deleted). No trailing "/".
  char store_dir[kStorePathSize];
  // Where decoding and export read; equals store_dir until a download has
  // finished and "bar_path" replaced it.
  char picture_dir[kStorePathSize];
};

extern PictureStoreState picture_store;
void ResetPictureStore();  // forgets the store without touching the disk

// Makes a new private directory (0700) "MMDDhhmm.nnn" in the temporary
// directory and points store_dir and picture_dir at it. False, with both
// empty, when no directory could be made: a download must then report the
// failure instead of writing nowhere.
bool CreatePictureStore();

// The same, named after the given time rather than the clock's.
bool CreatePictureStoreAt(const LocalTime& now);

// True while there is a store to write into.
bool PictureStoreReady();

// Unless "NotDelete" is set: removes 0000.bar..0207.bar from the store and then
// the directory itself (which stays when anything else was put in it), and
// forgets the store. Failures are quiet. With "NotDelete" everything stays on
// disk and in memory.
void DeletePictureStore();

// After every successful download: picture_dir becomes the "bar_path" setting
// when it can be read, else stays (or returns to) the store.
void UseBarPath();

// "<store_dir>/%04d.bar" for writing record `record`; false (and an empty
// buffer) when there is no store, the record is out of range or it does not fit.
bool StorePicturePath(int record, char* buffer, std::size_t size);

// "<picture_dir>/%04d.bar" for reading record `record`; same failures.
bool PicturePath(int record, char* buffer, std::size_t size);

// Writes one downloaded picture's transfer buffer as "%04d.bar" of `record`
// into the store. False when there is no store or the file did not get written.
bool WritePictureFile(int record, const void* data, std::size_t length);

// ---- Rules of the download ---------------------------------------------------

// Widths 88, 160, 176, 320, 352, 640 with heights 72, 120, 144, 240, 288, 480,
// in any combination.
bool AcceptPictureSize(int width, int height);

// Bytes to read from the camera for one picture: w × h plus at least 78 bytes of
// slack for the frame's markers, cut down to a multiple of 64. 0 for sizes that
// are not positive.
constexpr std::size_t TransferSize(int width, int height) {
  if (width <= 0 || height <= 0) return 0;
  std::size_t area = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
  return (area + 141) / 64 * 64;
}

// The camera's frame: FF FF FF FF 55, w × h + 4 bytes, FF FF FF FF AA.
constexpr unsigned char kFrameStartMarker[5] = {0xFF, 0xFF, 0xFF, 0xFF, 0x55};
constexpr unsigned char kFrameEndMarker[5] = {0xFF, 0xFF, 0xFF, 0xFF, 0xAA};
constexpr std::size_t kFrameMarkerSize = 5;
constexpr std::size_t kFrameOverhead = 14;  // both markers and the 4 bytes before the end marker

// Finds the first offset s at which a whole frame of w × h lies in the buffer
// with both markers in place. When s > 0 the frame's w × h + 14 bytes are moved
// to the start (the bytes after them keep their old contents); when s = 0 or no
// frame is found the buffer stays as it is. Returns whether a frame was found.
bool AlignFrame(unsigned char* buffer, std::size_t length, int width, int height);

// The ".bar" header, written over bytes 0..4 of the transfer buffer; the decoder
// is handed the data from kBarDataOffset on.
constexpr std::size_t kBarParam11FlagOffset = 0;  // 0 or 1
constexpr std::size_t kBarParam20Offset = 1;
constexpr std::size_t kBarModeOffset = 2;         // 0..15; a reader takes 0xFF as "keep the record's mode"
constexpr std::size_t kBarWidthOffset = 3;        // width / 16, low 8 bits
constexpr std::size_t kBarHeightOffset = 4;       // height / 16, low 8 bits
constexpr std::size_t kBarHeaderSize = 5;
constexpr std::size_t kBarDataOffset = 5;
constexpr uint8_t kBarModeUnchanged = 0xFF;

struct BarHeader {
  uint8_t param11_flag;
  uint8_t param20;
  uint8_t mode;
  int width;
  int height;
};

// Writes the header into `buffer` (at least kBarHeaderSize bytes).
void WriteBarHeader(unsigned char* buffer, const BarHeader& header);

// One picture's steps after its block read: finds and aligns the frame in the
// transfer buffer, writes the header over its first bytes and writes the whole
// buffer as "%04d.bar" of `record` into the store. The buffer is changed in
// place. False when the buffer cannot hold a header, there is no store, or the
// file did not get written.
bool StorePicture(int record, unsigned char* buffer, std::size_t length, const BarHeader& header);

// The mode a record keeps: model 12 stores mode 1 for every size but 352 × 288.
int StoredPictureMode(int camera_model, int width, int height, int mode);

// The size code the substitution check adds up: 1 narrow and half-height,
// 2 narrow, 4 wide and half-height, 8 wide (narrow: width < 352; half-height:
// width > 2 × height).
int SubstitutionSizeCode(int width, int height);
