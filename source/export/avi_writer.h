// Clip files: RIFF AVI with one video stream of "IYUV" frames (planar YUV
// 4:2:0), every frame a key frame, an idx1 index at the end.
//
// Layout:
//   RIFF 'AVI '
//     LIST 'hdrl'
//       'avih'  main header, 56 bytes
//       LIST 'strl'
//         'strh'  stream header, 56 bytes: 'vids', 'IYUV', scale 1000,
//                 rate fps x 1000, buffer size w x h x 3, frame 0,0,w,h
//         'strf'  BITMAPINFOHEADER, 40 bytes: 12 bits, 'IYUV'
//     LIST 'movi'  one '00dc' chunk per frame
//     'idx1'  16 bytes per frame, offsets from the 'movi' tag
// Every field is written byte by byte, little-endian.
//
// A frame index the caller skips (its picture could not be read) is filled
// with a copy of the frame before it, or with black when no frame came yet,
// so each frame keeps its time: frame j always shows at j / fps seconds and a
// clip keeps its length.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

constexpr uint32_t kAviScale = 1000;
constexpr uint32_t kAviKeyFrame = 0x10;     // AVIIF_KEYFRAME in idx1
constexpr uint32_t kAviHasIndex = 0x10;     // AVIF_HASINDEX in avih
constexpr std::size_t kAviHeaderBytes = 12 + 8 + 4 + (8 + 56) + (8 + 4 + (8 + 56) + (8 + 40)) + 12;

struct AviStreamInfo {
  int width = 0;
  int height = 0;
  int frames_per_second = 0;
  uint32_t frame_count = 0;
  uint32_t movi_bytes = 0;  // the 'movi' list's contents after its 'movi' tag
};

// The file's first kAviHeaderBytes: RIFF header, hdrl list and the movi
// list's header, with the sizes and counts of `info`. The RIFF size assumes an
// idx1 of frame_count entries follows the movi list.
std::vector<uint8_t> BuildAviHeader(const AviStreamInfo& info);

// Writes one clip file. Not copyable; the file is closed at Finish or when
// the writer goes.
class AviWriter {
 public:
  AviWriter() = default;
  ~AviWriter();
  AviWriter(const AviWriter&) = delete;
  AviWriter& operator=(const AviWriter&) = delete;

  // Creates or truncates `path` and writes the header; false when the file
  // cannot be made or the size is not one a clip can have (1..4096 each side,
  // 1..1000 frames per second).
  bool Open(const std::string& path, int frames_per_second, int width, int height);

  // Adds frame `index` from a bottom-up 24-bit blue-green-red picture of
  // width x height x 3 bytes. Indexes must increase; a gap is filled as the
  // header says. False for a wrong byte count, an index already written, or
  // a write that failed (the file is then bad and Finish will say so).
  bool WriteFrame(uint32_t index, const uint8_t* bgr, std::size_t bytes);

  // Fills the frames up to `count` the same way, for frames missing at the end.
  bool PadTo(uint32_t count);

  // Writes the index, completes the header and closes the file. True only
  // when every byte reached the file.
  bool Finish();

  bool is_open() const { return file_ != nullptr; }
  uint32_t frame_count() const { return static_cast<uint32_t>(index_.size()); }

 private:
  bool AppendChunk(const uint8_t* data, std::size_t bytes);
  bool Put(const void* data, std::size_t bytes);

  std::FILE* file_ = nullptr;
  bool failed_ = false;
  AviStreamInfo info_;
  std::vector<uint8_t> frame_;       // the last frame, IYUV
  bool have_frame_ = false;
  std::vector<uint32_t> index_;      // movi offset of each frame's chunk
};

// ---- The clip export's writer: one file at a time ----------------------------

// Sets the writer up for `path`; 1 set up, 0 failed.
int CreateAviFile(const char* path, int frames_per_second, int width, int height);

// Frame `frame_index` from a bottom-up 24-bit picture of `byte_count` bytes;
// 1 written, 0 failed.
int WriteAviFrame(int frame_index, const uint8_t* buffer, std::size_t byte_count);

// Fills missing frames at the end of a clip of `frame_count` frames.
void PadAviFrames(int frame_count);

// Completes and closes the file; true when a whole file was written.
bool CloseAviFile();
