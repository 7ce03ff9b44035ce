#include <algorithm>
#include <cstring>

#include "raw_format.h"
#include "scenes.h"
#include "simcam.h"

namespace {

constexpr uint8_t kStartMarker[5] = {0xFF, 0xFF, 0xFF, 0xFF, 0x55};
constexpr uint8_t kEndMarker[5] = {0xFF, 0xFF, 0xFF, 0xFF, 0xAA};
// The start marker never lies further in than the slack of a transfer allows.
constexpr std::size_t kMaxVaryingOffset = 113;

uint32_t ExpectedFlags(uint32_t id) {
  switch (id) {
    case CAMPROP_ALIVE:
    case CAMPROP_PRESENCE:
    case CAMPROP_BLOCK_GET:
    case CAMPROP_REG_READ:
    case CAMPROP_REG_WRITE:
      return KSPROPERTY_TYPE_GET;
    case CAMPROP_HOST_INFO:
    case CAMPROP_BLOCK_FREE:
    case CAMPROP_REG_SELECT:
    case CAMPROP_BLOCK_LENGTH:
      return KSPROPERTY_TYPE_SET;
    default:
      return 0;
  }
}

RawFrameParams FrameParams(const SimPicture& p) {
  RawFrameParams params;
  params.width = p.width;
  params.height = p.height;
  params.mode = p.mode;
  params.param20 = p.param20;
  params.param11_flag = p.param11;
  return params;
}

}  // namespace

SimCamera::SimCamera(SimCamConfig config) : config_(std::move(config)) {
  status_delay_left_ = config_.status_delay;
}

bool SimCamera::OpenHandle(uint32_t* handle) {
  ++stats_.handle_queries;
  if (config_.refuse_handle || stats_.gone) return false;
  *handle = 0x00C0FFEE;
  return true;
}

SimReply SimCamera::HandleProperty(const CameraPropertyRequest& request) {
  SimReply reply;
  reply.buffer = request;
  stats_.requests.push_back(request.id);
  const bool well_formed = std::memcmp(request.set, CAMERA_PROPSET, sizeof request.set) == 0 &&
                           ExpectedFlags(request.id) != 0 && request.flags == ExpectedFlags(request.id);
  const bool failing = std::find(config_.failing_requests.begin(), config_.failing_requests.end(),
                                 request.id) != config_.failing_requests.end();
  if (!well_formed || failing) {
    reply.result = CAMWIRE_FAILED;
    return reply;
  }
  switch (request.id) {
    case CAMPROP_ALIVE:
      SetRequestValueByte(reply.buffer, stats_.gone ? 0 : 1);
      reply.close_after = stats_.gone;
      break;
    case CAMPROP_PRESENCE:
      SetRequestValueByte(reply.buffer, config_.presence);
      break;
    case CAMPROP_HOST_INFO:
      stats_.host_info = RequestValueByte(request);
      break;
    case CAMPROP_REG_SELECT:
      select_pending_ = true;
      select_register_ = RequestRegisterByte(request);
      break;
    case CAMPROP_REG_READ:
    case CAMPROP_REG_WRITE: {
      // The second request of a pair must carry what the select left.
      const uint8_t reg = RequestRegisterByte(request);
      if (!select_pending_ || reg != select_register_) {
        reply.result = CAMWIRE_FAILED;
        break;
      }
      select_pending_ = false;
      if (request.id == CAMPROP_REG_READ) {
        SetRequestValueByte(reply.buffer, registers_[reg]);
      } else {
        registers_[reg] = RequestValueByte(request);
        if (reg == CAMREG_CMD) Execute(RequestValueByte(request));
      }
      break;
    }
    case CAMPROP_BLOCK_LENGTH:
      block_length_ = request.payload[1];
      stats_.block_lengths.push_back(block_length_);
      break;
    case CAMPROP_BLOCK_GET: {
      if (block_length_ == 0 || selected_ < 0 || selected_ >= static_cast<int>(config_.pictures.size()) ||
          outstanding_token_ != 0 || stats_.gone) {
        reply.result = CAMWIRE_FAILED;
        break;
      }
      // A driver never hands out more than the framing lets a reader take.
      const std::size_t delivered = std::min<std::size_t>(
          static_cast<std::size_t>(block_length_) + config_.extra_block_bytes, CAMWIRE_MAX_BLOCK_BYTES);
      reply.data = TransferBuffer(selected_, delivered);
      outstanding_token_ = next_token_++;
      reply.buffer.payload[2] = static_cast<uint32_t>(delivered);
      reply.buffer.payload[3] = outstanding_token_;
      ++stats_.blocks_outstanding;
      ++stats_.pictures_delivered;
      if (config_.gone_after >= 0 && stats_.pictures_delivered >= config_.gone_after) stats_.gone = true;
      break;
    }
    case CAMPROP_BLOCK_FREE:
      if (outstanding_token_ == 0 || request.payload[3] != outstanding_token_) {
        reply.result = CAMWIRE_FAILED;
        break;
      }
      outstanding_token_ = 0;
      --stats_.blocks_outstanding;
      break;
  }
  return reply;
}

void SimCamera::Execute(uint8_t code) {
  stats_.commands.push_back(code);
  const uint8_t arg = registers_[CAMREG_ARG];
  uint8_t& result = registers_[CAMREG_ARG];
  switch (code) {
    case CAMCMD_MODE:
      stats_.mode = arg;
      busy_left_ = config_.busy_polls;
      break;
    case CAMCMD_COUNT:
      result = static_cast<uint8_t>(std::min<std::size_t>(config_.pictures.size(), 255));
      break;
    case CAMCMD_SELECT:
      selected_ = arg;
      busy_left_ = config_.busy_polls;
      break;
    case CAMCMD_PARAM:
      result = Parameter(arg);
      break;
    case CAMCMD_PROBE:
      result = config_.no_status_register ? CAMERA_PROBE_NO_STATUS : 0;
      break;
    case CAMCMD_STATUS:
      if (status_delay_left_ > 0) {
        --status_delay_left_;
        result = 0;
      } else {
        result = config_.status;
      }
      break;
    case CAMCMD_BUSY:
      result = busy_left_ > 0 ? 1 : 0;
      if (busy_left_ > 0) --busy_left_;
      break;
    case CAMCMD_SUBST:
      result = config_.subst;
      break;
    default:
      break;
  }
}

uint8_t SimCamera::Parameter(uint8_t number) const {
  if (selected_ < 0 || selected_ >= static_cast<int>(config_.pictures.size())) return 0;
  const SimPicture& p = config_.pictures[static_cast<std::size_t>(selected_)];
  switch (number) {
    case CAMPARAM_WIDTH_LOW: return static_cast<uint8_t>(p.width);
    case CAMPARAM_WIDTH_HIGH: return static_cast<uint8_t>(p.width >> 8);
    case CAMPARAM_HEIGHT_LOW: return static_cast<uint8_t>(p.height);
    case CAMPARAM_HEIGHT_HIGH: return static_cast<uint8_t>(p.height >> 8);
    case CAMPARAM_MODE:
      return static_cast<uint8_t>((p.kind_valid ? CAMPARAM_MODE_KIND_VALID : 0) | (p.mode & 0x0F));
    case CAMPARAM_KIND: return static_cast<uint8_t>(p.kind);
    case CAMPARAM_FLAG11: return static_cast<uint8_t>(p.param11);
    case CAMPARAM_20: return static_cast<uint8_t>(p.param20);
    default: return 0;
  }
}

const std::vector<uint8_t>& SimCamera::RawFrame(int index) {
  if (frame_cache_index_ == index) return frame_cache_;
  const SimPicture& p = config_.pictures[static_cast<std::size_t>(index)];
  const RawFrameParams params = FrameParams(p);
  const int picture_height = RawPictureHeight(params);
  const std::size_t rgb_bytes = static_cast<std::size_t>(std::max(p.width, 0)) *
                                static_cast<std::size_t>(std::max(picture_height, 0)) * 3;
  if (p.rgb.size() == rgb_bytes) {
    frame_cache_ = EncodeRawFrame(p.rgb.data(), params);
  } else {
    std::vector<uint8_t> rgb = RenderScene(p.scene, p.width, picture_height);
    frame_cache_ = EncodeRawFrame(rgb.data(), params);
  }
  frame_cache_index_ = index;
  return frame_cache_;
}

std::size_t SimCamera::FrameOffset(int index, std::size_t length) const {
  if (index < 0 || index >= static_cast<int>(config_.pictures.size())) return 0;
  const SimPicture& p = config_.pictures[static_cast<std::size_t>(index)];
  const std::size_t frame = static_cast<std::size_t>(std::max(p.width, 0)) * std::max(p.height, 0) + 14;
  const std::size_t slack = length > frame ? length - frame : 0;
  if (config_.frame_offset >= 0) return std::min<std::size_t>(static_cast<std::size_t>(config_.frame_offset), slack);
  const std::size_t most = std::min(slack, kMaxVaryingOffset);
  return SceneHash(config_.seed * 0x9E3779B9u + static_cast<uint32_t>(index)) % (most + 1);
}

std::vector<uint8_t> SimCamera::TransferBuffer(int index, std::size_t length) {
  std::vector<uint8_t> buffer(length, 0);
  if (index < 0 || index >= static_cast<int>(config_.pictures.size())) return buffer;
  const SimPicture& p = config_.pictures[static_cast<std::size_t>(index)];
  const std::vector<uint8_t>& frame = RawFrame(index);
  const std::size_t s = FrameOffset(index, length);
  // What lies before the frame is whatever the camera's buffer held; never a marker.
  for (std::size_t i = 0; i < s && i < length; ++i) buffer[i] = static_cast<uint8_t>(0x20 + (i * 7) % 0x5F);
  std::vector<uint8_t> framed;
  framed.reserve(frame.size() + 10);
  framed.insert(framed.end(), kStartMarker, kStartMarker + 5);
  framed.insert(framed.end(), frame.begin(), frame.end());
  framed.insert(framed.end(), kEndMarker, kEndMarker + 5);
  if (p.markers == SimMarkers::MissingStart) std::fill(framed.begin(), framed.begin() + 5, 0x00);
  if (p.markers == SimMarkers::DamagedEnd) framed.back() = 0xA0;
  if (s < length) std::copy_n(framed.begin(), std::min(framed.size(), length - s), buffer.begin() + static_cast<std::ptrdiff_t>(s));
  return buffer;
}
