#include "camera/camera_channel.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "platform/clock.h"

CameraChannelState camera_channel;

namespace {

constexpr uint32_t kRegisterReadWaitMs = 20;

bool SendMessage(DeviceStream& stream, uint32_t kind, const void* body, uint32_t length) {
  CameraWireHeader header{CAMWIRE_MAGIC, kind, 0, length};
  if (!stream.Write(&header, sizeof header)) return false;
  return length == 0 || stream.Write(body, length);
}

// Reads a reply header and checks it belongs to the request just sent and
// announces a body the reader is willing to take.
bool ReadReplyHeader(DeviceStream& stream, uint32_t kind, uint32_t min_length, uint32_t max_length,
                     CameraWireHeader* header) {
  if (!stream.Read(header, sizeof *header)) return false;
  return header->magic == CAMWIRE_MAGIC && header->kind == kind && header->length >= min_length &&
         header->length <= max_length;
}

bool ASCIIPrefixMatches(const char* text, const char* prefix) {
  for (; *prefix != '\0'; ++prefix, ++text) {
    unsigned char a = static_cast<unsigned char>(*text);
    unsigned char b = static_cast<unsigned char>(*prefix);
    if (a >= 'A' && a <= 'Z') a = static_cast<unsigned char>(a - 'A' + 'a');
    if (b >= 'A' && b <= 'Z') b = static_cast<unsigned char>(b - 'A' + 'a');
    if (a != b) return false;  // also ends at the text's terminator
  }
  return true;
}

// Asks the device for its friendly name into the 80-byte buffer, cut at a
// character boundary.
bool QueryFriendlyName(DeviceStream& stream) {
  std::memset(camera_channel.friendly_name, 0, kFriendlyNameSize);
  CameraWireHeader header;
  if (!SendMessage(stream, CAMWIRE_NAME_QUERY, nullptr, 0)) return false;
  if (!ReadReplyHeader(stream, CAMWIRE_NAME_QUERY, 0, CAMWIRE_MAX_NAME_BYTES, &header)) return false;
  char name[CAMWIRE_MAX_NAME_BYTES];
  if (header.length > 0 && !stream.Read(name, header.length)) return false;
  if (header.result != CAMWIRE_OK) return false;
  std::size_t n = std::min<std::size_t>(header.length, kFriendlyNameSize - 1);
  // A cut in the middle of a UTF-8 sequence drops the whole character.
  if (n < header.length) {
    while (n > 0 && (static_cast<unsigned char>(name[n]) & 0xC0) == 0x80) --n;
  }
  // A NUL inside the name ends it, as it would in the driver's string.
  std::memcpy(camera_channel.friendly_name, name, n);
  return true;
}

void DropBlock() {
  camera_channel.block_data.clear();
  camera_channel.block_data.shrink_to_fit();
  camera_channel.block_held = false;
  camera_channel.block_token = 0;
}

// Resolves the address a block reply gave: the data kept from that reply.
const uint8_t* ResolveBlockToken(uint32_t token, std::size_t* available) {
  if (!camera_channel.block_held || camera_channel.block_token != token) {
    *available = 0;
    return nullptr;
  }
  *available = camera_channel.block_data.size();
  return camera_channel.block_data.data();
}

}  // namespace

void ResetCameraChannel() {
  camera_channel.capture_filter.reset();
  camera_channel.device_handle = 0;
  std::memset(camera_channel.friendly_name, 0, kFriendlyNameSize);
  DropBlock();
  camera_channel.broken = false;
}

bool FindCamera(const char* name) {
  if (name == nullptr) name = "";
  DeviceBus& bus = CurrentDeviceBus();
  std::vector<std::string> devices = bus.ListDevices();
  if (devices.empty()) return false;
  ReleaseCamera();
  for (const std::string& device : devices) {
    std::unique_ptr<DeviceStream> stream = bus.OpenDevice(device);
    if (!stream) continue;
    if (!QueryFriendlyName(*stream)) continue;
    if (ASCIIPrefixMatches(camera_channel.friendly_name, name)) {
      camera_channel.capture_filter = std::move(stream);
      camera_channel.broken = false;
      return true;
    }
  }
  return false;
}

bool OpenCameraHandle() {
  if (!camera_channel.capture_filter || camera_channel.broken) return false;
  DeviceStream& stream = *camera_channel.capture_filter;
  CameraWireHeader header;
  uint32_t handle = 0;
  if (!SendMessage(stream, CAMWIRE_HANDLE_QUERY, nullptr, 0) ||
      !ReadReplyHeader(stream, CAMWIRE_HANDLE_QUERY, sizeof handle, sizeof handle, &header) ||
      !stream.Read(&handle, sizeof handle)) {
    camera_channel.broken = true;
    return false;
  }
  if (header.result != CAMWIRE_OK) return false;
  camera_channel.device_handle = handle;
  return true;
}

void ReleaseCamera() {
  camera_channel.capture_filter.reset();
  DropBlock();
  camera_channel.broken = false;
}

bool SendCameraRequest(CameraPropertyRequest& request) {
  if (!camera_channel.capture_filter || camera_channel.broken) return false;
  DeviceStream& stream = *camera_channel.capture_filter;
  CameraWireHeader header;
  CameraPropertyRequest reply;
  const uint32_t max_length = sizeof reply + CAMWIRE_MAX_BLOCK_BYTES;
  if (!SendMessage(stream, CAMWIRE_PROPERTY, &request, sizeof request) ||
      !ReadReplyHeader(stream, CAMWIRE_PROPERTY, sizeof reply, max_length, &header) ||
      !stream.Read(&reply, sizeof reply)) {
    camera_channel.broken = true;
    return false;
  }
  const uint32_t data_length = header.length - static_cast<uint32_t>(sizeof reply);
  const bool ok = header.result == CAMWIRE_OK;
  const bool keeps_data = ok && request.id == CAMPROP_BLOCK_GET;
  if (data_length > 0) {
    std::vector<uint8_t> data(data_length);
    if (!stream.Read(data.data(), data_length)) {
      camera_channel.broken = true;
      return false;
    }
    // Data after any other reply is not ours to keep; it was read only to
    // stay in step with the stream.
    if (keeps_data) camera_channel.block_data = std::move(data);
  } else if (keeps_data) {
    camera_channel.block_data.clear();
  }
  if (!ok) return false;
  request = reply;
  if (keeps_data) {
    camera_channel.block_token = reply.payload[3];
    camera_channel.block_held = true;
  }
  return true;
}

uint8_t QueryCameraProperty(uint32_t id) {
  CameraPropertyRequest request{};
  PrepareCameraRequest(request, id, KSPROPERTY_TYPE_GET);
  request.payload[1] = 0;
  SendCameraRequest(request);
  return RequestValueByte(request);
}

void SetHostInfo(int flag) {
  CameraPropertyRequest request{};
  PrepareCameraRequest(request, CAMPROP_HOST_INFO, KSPROPERTY_TYPE_SET);
  uint8_t info = 0;
  if (kHostVersion & 0x80000000u) info |= 1;
  if (flag != 0) info |= 2;
  request.payload[1] = info;
  request.payload[2] = 0;
  request.payload[3] = 0;
  SendCameraRequest(request);
}

bool ReadCameraRegister(uint8_t reg, uint8_t* value) {
  SleepMs(kRegisterReadWaitMs);
  CameraPropertyRequest request{};
  PrepareCameraRequest(request, CAMPROP_REG_SELECT, KSPROPERTY_TYPE_SET);
  SetRequestRegisterBytes(request, 0, reg);
  SendCameraRequest(request);
  PrepareCameraRequest(request, CAMPROP_REG_READ, KSPROPERTY_TYPE_GET);
  bool ok = SendCameraRequest(request);
  if (value != nullptr) *value = RequestValueByte(request);
  return ok;
}

void WriteCameraRegister(uint8_t reg, uint8_t value) {
  CameraPropertyRequest request{};
  PrepareCameraRequest(request, CAMPROP_REG_SELECT, KSPROPERTY_TYPE_SET);
  SetRequestRegisterBytes(request, value, reg);
  SendCameraRequest(request);
  PrepareCameraRequest(request, CAMPROP_REG_WRITE, KSPROPERTY_TYPE_GET);
  SendCameraRequest(request);
}

std::size_t ReadCameraBlock(uint8_t* destination, std::size_t length) {
  // The driver's length word is 32 bits wide.
  const uint32_t asked = static_cast<uint32_t>(std::min<std::size_t>(length, UINT32_MAX));
  CameraPropertyRequest request{};
  PrepareCameraRequest(request, CAMPROP_BLOCK_LENGTH, KSPROPERTY_TYPE_SET);
  request.payload[1] = asked;
  SendCameraRequest(request);

  std::memset(&request, 0, sizeof request);
  PrepareCameraRequest(request, CAMPROP_BLOCK_GET, KSPROPERTY_TYPE_GET);
  request.payload[1] = kHostVersion;
  std::size_t copied = 0;
  if (SendCameraRequest(request)) {
    const uint32_t delivered = request.payload[2];
    const uint32_t token = request.payload[3];
    std::size_t available = 0;
    const uint8_t* data = ResolveBlockToken(token, &available);
    // The driver's count is believed only as far as the asked-for length and
    // the data that actually arrived.
    copied = std::min<std::size_t>({delivered, asked, available});
    if (copied > 0 && destination != nullptr) std::memcpy(destination, data, copied);
    CameraPropertyRequest release{};
    PrepareCameraRequest(release, CAMPROP_BLOCK_FREE, KSPROPERTY_TYPE_SET);
    release.payload[1] = kHostVersion;
    release.payload[3] = token;
    SendCameraRequest(release);
    DropBlock();
  }

  std::memset(&request, 0, sizeof request);
  PrepareCameraRequest(request, CAMPROP_BLOCK_LENGTH, KSPROPERTY_TYPE_SET);
  request.payload[1] = 0;
  SendCameraRequest(request);
  return copied;
}
