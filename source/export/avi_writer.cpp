#include "export/avi_writer.h"

#include <algorithm>
#include <limits>
#include <memory>

#include "export/iyuv_convert.h"

namespace {

constexpr int kMaxSide = 4096;
constexpr uint32_t kChunkHeader = 8;
constexpr uint32_t kIndexEntry = 16;

void PutU16(std::vector<uint8_t>& out, uint32_t value) {
  out.push_back(static_cast<uint8_t>(value));
  out.push_back(static_cast<uint8_t>(value >> 8));
}

void PutU32(std::vector<uint8_t>& out, uint32_t value) {
  for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<uint8_t>(value >> shift));
}

void PutTag(std::vector<uint8_t>& out, const char (&tag)[5]) { out.insert(out.end(), tag, tag + 4); }

uint32_t FrameBytes(const AviStreamInfo& info) {
  return static_cast<uint32_t>(IyuvFrameBytes(info.width, info.height));
}

// A chunk's data is padded to an even length.
uint32_t Padded(uint32_t bytes) { return bytes + (bytes & 1); }

}  // namespace

std::vector<uint8_t> BuildAviHeader(const AviStreamInfo& info) {
  const uint32_t width = static_cast<uint32_t>(info.width);
  const uint32_t height = static_cast<uint32_t>(info.height);
  const uint32_t fps = static_cast<uint32_t>(info.frames_per_second);
  const uint32_t frame_bytes = FrameBytes(info);
  const uint32_t buffer_size = width * height * 3;
  const uint32_t strl_bytes = 4 + (8 + 56) + (8 + 40);
  const uint32_t hdrl_bytes = 4 + (8 + 56) + (8 + strl_bytes);
  const uint32_t riff_bytes = 4 + (8 + hdrl_bytes) + (8 + 4 + info.movi_bytes) + (8 + kIndexEntry * info.frame_count);

  std::vector<uint8_t> out;
  out.reserve(kAviHeaderBytes);
  PutTag(out, "RIFF");
  PutU32(out, riff_bytes);
  PutTag(out, "AVI ");

  PutTag(out, "LIST");
  PutU32(out, hdrl_bytes);
  PutTag(out, "hdrl");

  PutTag(out, "avih");
  PutU32(out, 56);
  PutU32(out, (1000000 + fps / 2) / fps);  // microseconds per frame
  PutU32(out, frame_bytes * fps);          // most bytes per second
  PutU32(out, 0);                          // padding granularity
  PutU32(out, kAviHasIndex);
  PutU32(out, info.frame_count);
  PutU32(out, 0);  // initial frames
  PutU32(out, 1);  // streams
  PutU32(out, buffer_size);
  PutU32(out, width);
  PutU32(out, height);
  for (int i = 0; i < 4; ++i) PutU32(out, 0);

  PutTag(out, "LIST");
  PutU32(out, strl_bytes);
  PutTag(out, "strl");

  PutTag(out, "strh");
  PutU32(out, 56);
  PutTag(out, "vids");
  PutTag(out, "IYUV");
  PutU32(out, 0);  // flags
  PutU16(out, 0);  // priority
  PutU16(out, 0);  // language
  PutU32(out, 0);  // initial frames
  PutU32(out, kAviScale);
  PutU32(out, fps * kAviScale);
  PutU32(out, 0);  // start
  PutU32(out, info.frame_count);
  PutU32(out, buffer_size);
  PutU32(out, 10000);  // quality
  PutU32(out, 0);      // sample size 0: one frame per chunk
  PutU16(out, 0);      // frame rectangle: left, top, right, bottom
  PutU16(out, 0);
  PutU16(out, width);
  PutU16(out, height);

  PutTag(out, "strf");
  PutU32(out, 40);
  PutU32(out, 40);  // header size
  PutU32(out, width);
  PutU32(out, height);
  PutU16(out, 1);   // planes
  PutU16(out, 12);  // bits per pixel
  PutTag(out, "IYUV");
  PutU32(out, frame_bytes);
  PutU32(out, 3937);  // 100 dots per inch, both ways
  PutU32(out, 3937);
  PutU32(out, 0);  // colours used
  PutU32(out, 0);  // colours important

  PutTag(out, "LIST");
  PutU32(out, 4 + info.movi_bytes);
  PutTag(out, "movi");
  return out;
}

AviWriter::~AviWriter() {
  if (file_ != nullptr) std::fclose(file_);
}

bool AviWriter::Put(const void* data, std::size_t bytes) {
  if (failed_ || file_ == nullptr) return false;
  if (bytes != 0 && std::fwrite(data, 1, bytes, file_) != bytes) failed_ = true;
  return !failed_;
}

bool AviWriter::Open(const std::string& path, int frames_per_second, int width, int height) {
  if (file_ != nullptr) return false;
  if (width < 1 || width > kMaxSide || height < 1 || height > kMaxSide || frames_per_second < 1 ||
      frames_per_second > 1000) {
    return false;
  }
  file_ = std::fopen(path.c_str(), "wb");
  if (file_ == nullptr) return false;
  failed_ = false;
  info_ = AviStreamInfo{width, height, frames_per_second, 0, 0};
  frame_.assign(IyuvFrameBytes(width, height), 0);
  have_frame_ = false;
  index_.clear();
  std::vector<uint8_t> header = BuildAviHeader(info_);
  return Put(header.data(), header.size());
}

bool AviWriter::AppendChunk(const uint8_t* data, std::size_t bytes) {
  const uint32_t size = static_cast<uint32_t>(bytes);
  const uint64_t grown = uint64_t{info_.movi_bytes} + kChunkHeader + Padded(size) + kIndexEntry * (index_.size() + 1);
  // RIFF sizes are 32 bits; a clip never comes near, but a file must never lie.
  if (grown > std::numeric_limits<uint32_t>::max() - kAviHeaderBytes) failed_ = true;
  if (failed_) return false;
  std::vector<uint8_t> head;
  PutTag(head, "00dc");
  PutU32(head, size);
  if (!Put(head.data(), head.size()) || !Put(data, bytes)) return false;
  if ((size & 1) != 0) {
    const uint8_t pad = 0;
    if (!Put(&pad, 1)) return false;
  }
  // idx1 offsets count from the 'movi' tag, 4 bytes before the list's first chunk.
  index_.push_back(4 + info_.movi_bytes);
  info_.movi_bytes += kChunkHeader + Padded(size);
  return true;
}

bool AviWriter::PadTo(uint32_t count) {
  if (file_ == nullptr) return false;
  if (!have_frame_ && index_.size() < count) {
    // Black in limited range: Y 16, U and V 128.
    const std::size_t luma = static_cast<std::size_t>(info_.width) * static_cast<std::size_t>(info_.height);
    std::fill(frame_.begin(), frame_.begin() + static_cast<std::ptrdiff_t>(luma), uint8_t{16});
    std::fill(frame_.begin() + static_cast<std::ptrdiff_t>(luma), frame_.end(), uint8_t{128});
    have_frame_ = true;
  }
  while (index_.size() < count) {
    if (!AppendChunk(frame_.data(), frame_.size())) return false;
  }
  return true;
}

bool AviWriter::WriteFrame(uint32_t index, const uint8_t* bgr, std::size_t bytes) {
  if (file_ == nullptr || bgr == nullptr) return false;
  const std::size_t expected = static_cast<std::size_t>(info_.width) * static_cast<std::size_t>(info_.height) * 3;
  if (bytes != expected || index < index_.size()) return false;
  if (!PadTo(index)) return false;
  BgrToIyuv(bgr, info_.width, info_.height, frame_.data());
  have_frame_ = true;
  return AppendChunk(frame_.data(), frame_.size());
}

bool AviWriter::Finish() {
  if (file_ == nullptr) return false;
  info_.frame_count = static_cast<uint32_t>(index_.size());
  std::vector<uint8_t> index;
  index.reserve(8 + kIndexEntry * index_.size());
  PutTag(index, "idx1");
  PutU32(index, kIndexEntry * info_.frame_count);
  const uint32_t frame_bytes = FrameBytes(info_);
  for (uint32_t offset : index_) {
    PutTag(index, "00dc");
    PutU32(index, kAviKeyFrame);
    PutU32(index, offset);
    PutU32(index, frame_bytes);
  }
  Put(index.data(), index.size());
  std::vector<uint8_t> header = BuildAviHeader(info_);
  if (!failed_ && std::fseek(file_, 0, SEEK_SET) != 0) failed_ = true;
  Put(header.data(), header.size());
  if (std::fflush(file_) != 0) failed_ = true;
  if (std::fclose(file_) != 0) failed_ = true;
  file_ = nullptr;
  return !failed_;
}

// ---- The clip export's writer ----------------------------------------------------

namespace {
std::unique_ptr<AviWriter> avi_file;
}

int CreateAviFile(const char* path, int frames_per_second, int width, int height) {
  avi_file = std::make_unique<AviWriter>();
  return path != nullptr && avi_file->Open(path, frames_per_second, width, height) ? 1 : 0;
}

int WriteAviFrame(int frame_index, const uint8_t* buffer, std::size_t byte_count) {
  if (!avi_file || frame_index < 0) return 0;
  return avi_file->WriteFrame(static_cast<uint32_t>(frame_index), buffer, byte_count) ? 1 : 0;
}

void PadAviFrames(int frame_count) {
  if (avi_file && frame_count > 0) avi_file->PadTo(static_cast<uint32_t>(frame_count));
}

bool CloseAviFile() {
  bool written = avi_file && avi_file->is_open() && avi_file->Finish();
  avi_file.reset();
  return written;
}
