// The image group: image information and layout, the three transfers, and the
// triplets the source accepts without using them.
// Host structures may sit at any address: they are copied in and out whole.
#include <cmath>
#include <cstring>

#include "camera/decoding.h"
#include "platform/memory.h"
#include "twain/capability_table.h"
#include "twain/fix32.h"
#include "twain/source_error.h"
#include "twain/source_state.h"
#include "twain/transfer_handlers.h"
#include "twain/transfer_state.h"

namespace {

constexpr char kInfoPrefix[] = "General failure in transfer.  ";
constexpr char kLayoutPrefix[] = "General failure in response to DAT_IMAGEINFO.  ";
constexpr char kMemXferPrefix[] = "General failure in response to DAT_IMAGEMEMXFER.  ";
constexpr char kNativeXferPrefix[] = "General failure in response to DAT_IMAGENATIVEXFER.  ";
constexpr char kFileXferPrefix[] = "General failure in response to DAT_IMAGEINFO.  ";

// The host is told sizes in whole pixels, 16 bits of them.
TW_UINT32 ReportedSide(float side) {
  if (!std::isfinite(side) || side < 0.0f || side >= 2147483648.0f) return 0;
  return static_cast<TW_UINT32>(static_cast<int32_t>(side)) & 0xFFFF;
}

TW_FIX32 Fix(double x) { return FloatToFix32(x); }

// Rows r = 0..2 read (r.0, r.1, r.2).
void FillMix(TW_FIX32 (&mix)[3][3]) {
  for (int r = 0; r < 3; ++r) {
    for (int c = 0; c < 3; ++c) mix[r][c] = Fix(r + 0.1 * c);
  }
}

TW_CIEPOINT Point(double x, double y, double z) { return {Fix(x), Fix(y), Fix(z)}; }

}  // namespace

TW_UINT16 HandleImageInfo(const TripletCall& call) {
  if (call.msg != MSG_GET) return FailWithBox(kInfoPrefix, TWCC_BADPROTOCOL);
  if (source_state.state != 6) return FailWithBox(kInfoPrefix, TWCC_SEQERROR);
  if (call.data == nullptr) return FailSilently(TWCC_BADVALUE);

  // Told from the capabilities and the reported size: nothing is decoded yet,
  // and whatever the pixel type says the pixels will be the 24-bit picture.
  TW_IMAGEINFO info{};
  info.XResolution = Fix(GetCurrentResolution());
  info.YResolution = info.XResolution;
  info.ImageWidth = static_cast<TW_INT32>(ReportedSide(ReportedWidth()));
  info.ImageLength = static_cast<TW_INT32>(ReportedSide(ReportedHeight()));
  const TW_UINT16 pixel_type = GetCurrentPixelType();
  info.PixelType = static_cast<TW_INT16>(pixel_type);
  info.BitsPerPixel = static_cast<TW_INT16>(GetCurrentBitDepth(pixel_type));
  info.Planar = 0;
  info.Compression = TWCP_NONE;
  if (info.BitsPerPixel >= 24) {
    info.SamplesPerPixel = 3;
    for (int i = 0; i < 4; ++i) info.BitsPerSample[i] = 8;
  } else {
    info.SamplesPerPixel = 1;
    info.BitsPerSample[0] = info.BitsPerPixel;
  }
  std::memcpy(call.data, &info, sizeof info);
  return TWRC_SUCCESS;
}

TW_UINT16 HandleImageLayout(const TripletCall& call) {
  switch (call.msg) {
    case MSG_GET:
    case MSG_GETCURRENT:
    case MSG_GETDEFAULT: {
      if (call.data == nullptr) return FailSilently(TWCC_BADVALUE);
      // A fixed answer: the camera has no frame to choose.
      const TW_FIX32 side{22, 33};
      const TW_IMAGELAYOUT layout{{side, side, side, side}, 4, 88, 1};
      std::memcpy(call.data, &layout, sizeof layout);
      return TWRC_SUCCESS;
    }
    case MSG_SET:
    case MSG_RESET:
      return TWRC_SUCCESS;
    default:
      return FailWithBox(kLayoutPrefix, TWCC_BADPROTOCOL);
  }
}

TW_UINT16 HandleImageMemXfer(const TripletCall& call) {
  if (call.msg != MSG_GET) return FailWithBox(kMemXferPrefix, TWCC_BADPROTOCOL);
  if (call.data == nullptr) return FailSilently(TWCC_BADVALUE);
  TW_IMAGEMEMXFER xfer;
  std::memcpy(&xfer, call.data, sizeof xfer);

  if (source_state.state == 6 && transfer_state.mem_position == 0) {
    transfer_state.mem_stride = 0;
    if (!PrepareXferImage(&transfer_state.mem_stride)) return FailWithBox(kMemXferPrefix, TWCC_OPERATIONERROR);
  }
  xfer.Compression = TWCP_NONE;
  xfer.BytesPerRow = transfer_state.mem_stride;
  xfer.YOffset = transfer_state.mem_position;
  xfer.Columns = ReportedSide(ReportedWidth());
  xfer.XOffset = 0;

  // Rows go straight from the decoded picture into the host's buffer.
  const bool handle = (xfer.Memory.Flags & TWMF_HANDLE) != 0;
  auto* destination = static_cast<uint8_t*>(handle ? LockBlock(xfer.Memory.TheMem) : xfer.Memory.TheMem);
  uint32_t written = 0;
  bool last_strip = false;
  const bool copied = CopyImageStrip(destination, xfer.Memory.Length, &written, &last_strip);
  if (handle && destination != nullptr) UnlockBlock(xfer.Memory.TheMem);
  xfer.BytesWritten = written;
  if (!copied) {
    xfer.Rows = 0;
    std::memcpy(call.data, &xfer, sizeof xfer);
    return FailWithBox(kMemXferPrefix, TWCC_OPERATIONERROR);
  }
  xfer.Rows = xfer.BytesPerRow != 0 ? written / xfer.BytesPerRow : 0;
  transfer_state.mem_position += xfer.Rows;
  std::memcpy(call.data, &xfer, sizeof xfer);

  source_state.state = 7;
  if (!last_strip) return TWRC_SUCCESS;
  transfer_state.mem_position = 0;
  return TWRC_XFERDONE;
}

TW_UINT16 HandleImageNativeXfer(const TripletCall& call) {
  if (call.msg != MSG_GET) return FailWithBox(kNativeXferPrefix, TWCC_BADPROTOCOL);
  if (source_state.state != 6) return FailWithBox(kNativeXferPrefix, TWCC_SEQERROR);
  if (call.data == nullptr) return FailSilently(TWCC_BADVALUE);
  PrepareXferImage(nullptr);
  // The host owns the block from here on and frees it with free().
  TW_HANDLE image = TakeXferImage();
  std::memcpy(call.data, &image, sizeof image);
  source_state.state = 7;
  return TWRC_XFERDONE;
}

TW_UINT16 HandleImageFileXfer(const TripletCall& call) {
  if (call.msg != MSG_GET) return FailWithBox(kFileXferPrefix, TWCC_BADPROTOCOL);
  source_state.status.ConditionCode = TWCC_OPERATIONERROR;
  PrepareXferImage(nullptr);
  void* image = TakeXferImage();
  if (image == nullptr) return TWRC_FAILURE;
  // BMP whatever format the host asked for. A file that did not get written
  // is a failed transfer, not a done one: the host would otherwise go looking
  // for a picture that is not there.
  const bool written = WriteDibAsBmp(image, transfer_state.file_name);
  FreeBlock(image);
  if (!written) return TWRC_FAILURE;
  source_state.status.ConditionCode = TWCC_SUCCESS;
  source_state.state = 7;
  return TWRC_XFERDONE;
}

TW_UINT16 HandleRgbResponse(const TripletCall& call) {
  if (call.msg == MSG_SET && call.data != nullptr) {
    std::memcpy(transfer_state.rgb_response, call.data, sizeof transfer_state.rgb_response);
  } else if (call.msg == MSG_RESET) {
    for (int i = 0; i < 256; ++i) {
      const auto v = static_cast<TW_UINT8>(i);
      transfer_state.rgb_response[i] = {v, v, v, v};
    }
  }
  return TWRC_SUCCESS;
}

TW_UINT16 HandleCieColor(const TripletCall& call) {
  if (call.data == nullptr) return TWRC_SUCCESS;
  // Placeholder values; the fields not set here keep what the host put there.
  TW_CIECOLOR cie;
  std::memcpy(&cie, call.data, sizeof cie);
  cie.ColorSpace = 2;
  cie.LowEndian = 0;
  cie.DeviceDependent = 1;
  cie.VersionNumber = 0;
  cie.StageABC.Decode[0].StartIn = Fix(0.1);
  FillMix(cie.StageABC.Mix);
  cie.StageLMN.Decode[0].StartIn = Fix(1.1);
  FillMix(cie.StageLMN.Mix);
  cie.WhitePoint = Point(4.4, 5.5, 6.6);
  cie.BlackPoint = Point(1.1, 5.5, 6.6);
  cie.WhitePaper = Point(1.1, 5.5, 6.6);
  cie.BlackInk = Point(1.1, 5.5, 6.6);
  cie.Samples[0] = Fix(99.99);
  std::memcpy(call.data, &cie, sizeof cie);
  return TWRC_SUCCESS;
}

TW_UINT16 HandleJpegCompression(const TripletCall&) { return TWRC_SUCCESS; }
