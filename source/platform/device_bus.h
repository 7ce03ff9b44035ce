// The device directory: where camera drivers show up. Each camera is a Unix
// socket in SNAPSRC_DEVICES (default /run/snapsrc), served by its driver.
// The camera channel reaches it only through this interface, so tests and
// fuzzers can stand in for the sockets.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

// A connected, bidirectional byte stream to one device.
class DeviceStream {
 public:
  virtual ~DeviceStream() = default;
  // Sends all `size` bytes; false when the device is gone.
  virtual bool Write(const void* data, std::size_t size) = 0;
  // Receives exactly `size` bytes; false when the device closed, timed out or failed.
  virtual bool Read(void* data, std::size_t size) = 0;
};

class DeviceBus {
 public:
  virtual ~DeviceBus() = default;
  // The devices present, in a stable order (by name).
  virtual std::vector<std::string> ListDevices() = 0;
  // Connects to a device named by ListDevices; null when it cannot be reached.
  virtual std::unique_ptr<DeviceStream> OpenDevice(const std::string& name) = 0;
};

// SNAPSRC_DEVICES, else /run/snapsrc.
std::string DeviceDirectory();

// Installs `bus` for every later lookup; null restores the device directory.
void InstallDeviceBus(DeviceBus* bus);
DeviceBus& CurrentDeviceBus();
