// Arbitrary bytes from a camera driver's socket: the channel must parse every
// reply without reading or writing outside its buffers, and the camera open
// must come to an end.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "camera/camera_channel.h"
#include "camera/camera_commands.h"
#include "camera/picture_table.h"
#include "platform/clock.h"
#include "platform/device_bus.h"

namespace {

class ReplayStream final : public DeviceStream {
 public:
  ReplayStream(const uint8_t* data, std::size_t size) : data_(data), size_(size) {}
  bool Write(const void*, std::size_t) override { return true; }
  bool Read(void* out, std::size_t size) override {
    if (size > size_ - at_) return false;
    std::memcpy(out, data_ + at_, size);
    at_ += size;
    return true;
  }

 private:
  const uint8_t* data_;
  std::size_t size_;
  std::size_t at_ = 0;
};

class ReplayBus final : public DeviceBus {
 public:
  std::vector<std::string> ListDevices() override { return {"fuzzed"}; }
  std::unique_ptr<DeviceStream> OpenDevice(const std::string&) override {
    return std::make_unique<ReplayStream>(data, size);
  }
  const uint8_t* data = nullptr;
  std::size_t size = 0;
};

class NoWaitClock final : public Clock {
 public:
  void Sleep(uint32_t) override {}
  uint64_t NowMs() override { return 0; }
};

ReplayBus bus;
NoWaitClock no_wait_clock;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  setenv("SNAPSRC_UNATTENDED", "/dev/null", 1);
  setenv("SNAPSRC_REGISTRY", "/nonexistent/registry.reg", 1);
  InstallDeviceBus(&bus);
  InstallClock(&no_wait_clock);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  // The first byte chooses the block length, so short destinations are tried too.
  const std::size_t block_length = static_cast<std::size_t>(data[0]) * 61 + data[1];
  bus.data = data + 2;
  bus.size = size - 2;

  ResetCameraChannel();
  if (FindCamera("")) {
    OpenCameraHandle();
    QueryCameraProperty(CAMPROP_PRESENCE);
    SetHostInfo(0);
    uint8_t value = 0;
    ReadCameraRegister(CAMREG_ARG, &value);
    WriteCameraRegister(CAMREG_CMD, CAMCMD_SELECT);
    std::vector<uint8_t> destination(block_length);
    std::size_t copied = ReadCameraBlock(destination.data(), destination.size());
    if (copied > block_length) std::abort();
    ReleaseCamera();
  }

  // The whole camera open on the same bytes.
  ResetCameraState();
  ResetPictureTable();
  if (OpenCamera(nullptr)) ReleaseCamera();
  return 0;
}
