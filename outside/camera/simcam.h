// simcam: a virtual camera and its driver. It serves one camera on a Unix
// socket, answering the friendly-name query, the handle query and the 40-byte
// property requests the source sends (see camera/camera_wire.h), with the
// camera's registers and commands behind them. Its pictures are generated
// scenes or images given by the caller, turned into raw sensor frames.
//
// Usable in-process (tests start a SimCamServer on a thread of their own) and
// through the thin `simcam` daemon.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "camera/camera_wire.h"

// What happens to the markers around a picture's frame in the transfer buffer.
enum class SimMarkers { Intact, MissingStart, DamagedEnd };

// Where a generated picture comes from: a scene, and for a clip the frame's
// place in it (frames of one clip share the scene and move through it).
struct SimScene {
  uint32_t seed = 1;
  int frame = 0;
  int frames = 1;
};

struct SimPicture {
  int width = 0;   // as the camera reports it
  int height = 0;  // as the camera reports it (rows stored; half the picture's for half-height pictures)
  int mode = 0;    // 0..15, parameter 7 bits 0..3
  bool kind_valid = true;  // parameter 7 bit 7
  int kind = 0;            // parameter 10: 0 photo, 17 clip start, 1 further clip frame
  int param11 = 0;
  int param20 = 0;
  SimMarkers markers = SimMarkers::Intact;
  SimScene scene;
  // Top-down RGB24, width x (picture height) pixels; when empty the scene is
  // rendered instead.
  std::vector<uint8_t> rgb;
};

struct SimCamConfig {
  std::string friendly_name = "KX3300A Digital Camera";
  uint8_t status = 0x21;            // status byte; the model is its low five bits; 0 = never available
  bool no_status_register = false;  // CAMCMD_PROBE answers 7
  int status_delay = 0;             // CAMCMD_STATUS answers 0 this many times first
  int busy_polls = 0;               // CAMCMD_BUSY answers 1 this many times after each select or mode change
  uint8_t subst = 0;                // CAMCMD_SUBST's answer
  uint8_t presence = 0;             // CAMPROP_PRESENCE's answer; 1 = no usable camera
  bool refuse_handle = false;       // the handle query fails
  int gone_after = -1;              // pictures delivered before the camera goes away; -1 never
  uint32_t extra_block_bytes = 0;   // a block read delivers (and reports) this many bytes more than asked
  int frame_offset = -1;            // start marker's offset in the transfer buffer; -1 varies per picture
  uint32_t seed = 1;                // varies the offsets
  std::vector<uint32_t> failing_requests;  // property ids the driver fails
  std::vector<SimPicture> pictures;
};

// What the camera saw, for tests and for the daemon's log.
struct SimStats {
  std::vector<uint32_t> requests;  // property ids in order
  std::vector<uint8_t> commands;   // codes written to the command register
  std::vector<uint32_t> block_lengths;  // lengths set with CAMPROP_BLOCK_LENGTH
  int name_queries = 0;
  int handle_queries = 0;
  int pictures_delivered = 0;
  int blocks_outstanding = 0;  // buffers handed out and not handed back
  int mode = 0;
  uint8_t host_info = 0;
  bool gone = false;
};

struct SimReply {
  uint32_t result = CAMWIRE_OK;
  CameraPropertyRequest buffer{};
  std::vector<uint8_t> data;  // follows the reply: a block read's bytes
  bool close_after = false;   // the camera went away: the socket closes after this reply
};

// The camera and its driver, without the socket. Not thread-safe; the server
// serialises the calls.
class SimCamera {
 public:
  explicit SimCamera(SimCamConfig config);

  const std::string& FriendlyName() const { return config_.friendly_name; }
  bool OpenHandle(uint32_t* handle);
  SimReply HandleProperty(const CameraPropertyRequest& request);
  const SimStats& stats() const { return stats_; }
  const SimCamConfig& config() const { return config_; }

  // The transfer buffer of picture `index` for a block read of `length` bytes.
  std::vector<uint8_t> TransferBuffer(int index, std::size_t length);
  // Where the start marker lies in that buffer.
  std::size_t FrameOffset(int index, std::size_t length) const;

 private:
  void Execute(uint8_t code);
  uint8_t Parameter(uint8_t number) const;
  const std::vector<uint8_t>& RawFrame(int index);

  SimCamConfig config_;
  SimStats stats_;
  uint8_t registers_[256] = {};
  bool select_pending_ = false;
  uint8_t select_register_ = 0;
  int selected_ = -1;
  int status_delay_left_ = 0;
  int busy_left_ = 0;
  uint32_t block_length_ = 0;
  uint32_t next_token_ = 0x5C000001;
  uint32_t outstanding_token_ = 0;
  int frame_cache_index_ = -1;
  std::vector<uint8_t> frame_cache_;
};

// Serves a SimCamera on a Unix socket, one thread per connection.
class SimCamServer {
 public:
  explicit SimCamServer(SimCamConfig config);
  ~SimCamServer();
  SimCamServer(const SimCamServer&) = delete;
  SimCamServer& operator=(const SimCamServer&) = delete;

  // Binds `socket_path` (replacing a stale socket there) and starts serving.
  bool Start(const std::string& socket_path, std::string* error);
  // Stops serving, closes every connection and removes the socket.
  void Stop();

  const std::string& path() const { return path_; }
  SimStats Stats();
  bool Gone();

 private:
  void AcceptLoop();
  void Serve(int fd);

  std::mutex mutex_;  // guards camera_ and connections_
  SimCamera camera_;
  std::string path_;
  int listen_fd_ = -1;
  int wake_pipe_[2] = {-1, -1};
  std::atomic<bool> stopping_{false};
  std::thread accept_thread_;
  struct Connection {
    int fd;
    std::thread thread;
    std::shared_ptr<std::atomic<bool>> done;
  };
  std::vector<Connection> connections_;
};

// Sizes the camera accepts.
inline constexpr int kSimWidths[] = {88, 160, 176, 320, 352, 640};
inline constexpr int kSimHeights[] = {72, 120, 144, 240, 288, 480};

// The built-in set: photos in the common sizes (one of them half-height) and
// two clips whose frames move.
std::vector<SimPicture> BuiltInPictures(uint32_t seed);
// A photo in every accepted size.
std::vector<SimPicture> AllSizePictures(uint32_t seed);
// A clip of `frames` frames: one clip start followed by further frames.
std::vector<SimPicture> MakeClip(int width, int height, int frames, uint32_t seed);
SimPicture MakePhoto(int width, int height, uint32_t seed);
