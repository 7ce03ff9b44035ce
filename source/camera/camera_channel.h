// The command channel to the camera's driver: find the camera by its friendly
// name, open it, and exchange 40-byte property requests with it. The camera
// commands and the download are built on the three primitives here (read a
// register, write a register, read a block of picture data).
//
// One camera at a time, process-wide. Calling order: FindCamera,
// OpenCameraHandle, any number of requests, ReleaseCamera.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "camera/camera_wire.h"
#include "platform/device_bus.h"

constexpr std::size_t kFriendlyNameSize = 80;

// The version word the driver is told about the host. Its top bit marks the
// old consumer Windows family, which this host is not.
constexpr uint32_t kHostVersion = 0x00000006;

struct CameraChannelState {
  // The connection to the driver found by FindCamera; null while no camera is
  // connected.
  std::unique_ptr<DeviceStream> capture_filter;
  // The driver's handle for this connection; keeps its last value after release.
  uint32_t device_handle = 0;
  // The friendly name of the device examined last.
  char friendly_name[kFriendlyNameSize] = {};
  // The data of the last block read, kept until the driver's buffer is handed
  // back, and the token that stands for it.
  std::vector<uint8_t> block_data;
  uint32_t block_token = 0;
  bool block_held = false;
  // Set when the stream lost its framing or the driver went away; every later
  // request fails at once instead of waiting on a dead socket.
  bool broken = false;
};

extern CameraChannelState camera_channel;
void ResetCameraChannel();

// `name` is the configured device name (at most 40 bytes with its terminator);
// a device matches when its friendly name begins with it, without regard to
// letter case. The first matching device in directory order wins.
bool FindCamera(const char* name);
bool OpenCameraHandle();
void ReleaseCamera();

// Ids CAMPROP_ALIVE and CAMPROP_PRESENCE: byte 28 of the reply (0 when the
// request fails).
uint8_t QueryCameraProperty(uint32_t id);
void SetHostInfo(int flag);

// Waits 20 ms first. The value is byte 28 of the read's reply, or of the
// select's when the read fails; the result is the read's success.
bool ReadCameraRegister(uint8_t reg, uint8_t* value);
void WriteCameraRegister(uint8_t reg, uint8_t value);

// Fills `destination` with up to `length` bytes of the selected picture's data;
// returns the bytes copied (the rest of the destination is left as it was).
std::size_t ReadCameraBlock(uint8_t* destination, std::size_t length);

// One property request on the open connection: the buffer goes out and, when
// the driver answers success, comes back with its reply. False when the
// request failed (the buffer is then as it was sent).
bool SendCameraRequest(CameraPropertyRequest& request);
