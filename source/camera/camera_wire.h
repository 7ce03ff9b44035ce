// What the camera and its driver share with the source: the 40-byte property
// request, the property numbers, the camera's registers and commands, and the
// small framing in which a driver's socket carries them. Public ABI: the
// camera driver (simcam) includes this header, so it depends on nothing else.
//
// Framing. Every message on the socket, either way, is a 16-byte header
// (magic, kind, result, length; little-endian 32-bit words) followed by
// `length` bytes:
//   name query    kind 1, length 0       reply: the friendly name, UTF-8, no terminator
//   handle query  kind 2, length 0       reply: result, 4 bytes holding the device handle
//   property      kind 3, length 40      reply: result, the 40-byte buffer as the
//                                        driver left it, then the data of a block read
// A result of 0 means the request succeeded. After a successful block read
// (CAMPROP_BLOCK_GET) the data the driver delivered follows the reply's 40
// bytes; word 3 of the reply is a token standing for the driver's buffer,
// which the source hands back with CAMPROP_BLOCK_FREE.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

static_assert(std::endian::native == std::endian::little, "the wire and the request are little-endian");

// {8F372903-205A-11D5-B8ED-70F14CC1E014} as it lies in memory.
inline constexpr uint8_t CAMERA_PROPSET[16] = {0x03, 0x29, 0x37, 0x8F, 0x5A, 0x20, 0xD5, 0x11,
                                               0xB8, 0xED, 0x70, 0xF1, 0x4C, 0xC1, 0xE0, 0x14};

constexpr uint32_t KSPROPERTY_TYPE_GET = 1;
constexpr uint32_t KSPROPERTY_TYPE_SET = 2;

// Property numbers.
constexpr uint32_t CAMPROP_ALIVE = 3;          // get: byte 28 = 0 when the camera can no longer deliver
constexpr uint32_t CAMPROP_PRESENCE = 4;       // get: byte 28 = 1 when there is no usable camera
constexpr uint32_t CAMPROP_HOST_INFO = 102;    // set: byte 28 bit 0 = 9x-family host, bit 1 = caller's flag
constexpr uint32_t CAMPROP_BLOCK_GET = 200;    // get: word 1 = host version; reply word 2 = bytes, word 3 = token
constexpr uint32_t CAMPROP_BLOCK_FREE = 201;   // set: word 1 = host version, word 3 = the token
constexpr uint32_t CAMPROP_REG_SELECT = 300;   // set: byte 28 = value, byte 29 = register
constexpr uint32_t CAMPROP_REG_READ = 301;     // get: byte 28 = the register's value
constexpr uint32_t CAMPROP_REG_WRITE = 302;    // get: performs the write selected by 300
constexpr uint32_t CAMPROP_BLOCK_LENGTH = 303; // set: word 1 = bytes of the next block read; 0 ends it

// The camera's two registers.
constexpr uint8_t CAMREG_ARG = 0xA1;  // argument in, result out
constexpr uint8_t CAMREG_CMD = 0xA2;  // writing a code executes the command

// Commands.
constexpr uint8_t CAMCMD_MODE = 2;     // argument 2 = transfer mode, 0 = back to normal
constexpr uint8_t CAMCMD_COUNT = 10;   // result: pictures in the camera
constexpr uint8_t CAMCMD_SELECT = 11;  // argument: picture index
constexpr uint8_t CAMCMD_PARAM = 12;   // argument: parameter number; result: its value
constexpr uint8_t CAMCMD_PROBE = 13;   // result 7: the camera has no status register
constexpr uint8_t CAMCMD_STATUS = 28;  // result: status byte, 0 = not yet available
constexpr uint8_t CAMCMD_BUSY = 29;    // result 1 = busy
constexpr uint8_t CAMCMD_SUBST = 32;   // result non-zero: substitution rule on

constexpr uint8_t CAMERA_PROBE_NO_STATUS = 7;

// Parameters of the selected picture (CAMCMD_PARAM arguments).
constexpr uint8_t CAMPARAM_WIDTH_LOW = 3;
constexpr uint8_t CAMPARAM_WIDTH_HIGH = 4;
constexpr uint8_t CAMPARAM_HEIGHT_LOW = 5;
constexpr uint8_t CAMPARAM_HEIGHT_HIGH = 6;
constexpr uint8_t CAMPARAM_MODE = 7;   // bit 7: CAMPARAM_KIND is valid; bits 0..3: mode
constexpr uint8_t CAMPARAM_KIND = 10;  // 0 photo, 17 first frame of a clip, 1 further frame
constexpr uint8_t CAMPARAM_FLAG11 = 11;
constexpr uint8_t CAMPARAM_20 = 20;

constexpr uint8_t CAMPARAM_MODE_KIND_VALID = 0x80;

// The request buffer, both input and output of every property request.
struct CameraPropertyRequest {
  uint8_t set[16];
  uint32_t id;
  uint32_t flags;
  uint32_t payload[4];  // words 0..3 at offsets 24, 28, 32, 36
};
static_assert(sizeof(CameraPropertyRequest) == 40);
static_assert(offsetof(CameraPropertyRequest, id) == 16);
static_assert(offsetof(CameraPropertyRequest, flags) == 20);
static_assert(offsetof(CameraPropertyRequest, payload) == 24);

// Byte 28 (the value byte) and byte 29 (the register number) are the low two
// bytes of payload word 1.
inline uint8_t RequestValueByte(const CameraPropertyRequest& r) { return static_cast<uint8_t>(r.payload[1]); }
inline uint8_t RequestRegisterByte(const CameraPropertyRequest& r) {
  return static_cast<uint8_t>(r.payload[1] >> 8);
}
inline void SetRequestRegisterBytes(CameraPropertyRequest& r, uint8_t value, uint8_t reg) {
  r.payload[1] = static_cast<uint32_t>(value) | (static_cast<uint32_t>(reg) << 8);
}
inline void SetRequestValueByte(CameraPropertyRequest& r, uint8_t value) {
  r.payload[1] = (r.payload[1] & ~0xFFu) | value;
}

// Writes set, id and flags, leaving the payload as it is: the second request
// of a pair carries what the first one's reply left.
inline void PrepareCameraRequest(CameraPropertyRequest& r, uint32_t id, uint32_t flags) {
  std::memcpy(r.set, CAMERA_PROPSET, sizeof r.set);
  r.id = id;
  r.flags = flags;
}

// Framing.
constexpr uint32_t CAMWIRE_MAGIC = 0x4D414353;  // "SCAM"
constexpr uint32_t CAMWIRE_NAME_QUERY = 1;
constexpr uint32_t CAMWIRE_HANDLE_QUERY = 2;
constexpr uint32_t CAMWIRE_PROPERTY = 3;

constexpr uint32_t CAMWIRE_OK = 0;
constexpr uint32_t CAMWIRE_FAILED = 1;

// Limits a reader enforces before it believes a length.
constexpr uint32_t CAMWIRE_MAX_NAME_BYTES = 255;
constexpr uint32_t CAMWIRE_MAX_BLOCK_BYTES = 4u << 20;

struct CameraWireHeader {
  uint32_t magic;
  uint32_t kind;
  uint32_t result;
  uint32_t length;
};
static_assert(sizeof(CameraWireHeader) == 16);
