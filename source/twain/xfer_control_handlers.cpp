// DAT_PENDINGXFERS, DAT_SETUPMEMXFER, DAT_SETUPFILEXFER and DAT_XFERGROUP.
// Host structures may sit at any address: they are copied in and out whole.
#include <cstring>
#include <string_view>

#include "camera/picture_table.h"
#include "platform/plain_files.h"
#include "twain/source_error.h"
#include "twain/source_state.h"
#include "twain/transfer_handlers.h"
#include "twain/transfer_state.h"
#include "ui/main_window.h"
#include "ui/resources/strings.h"

namespace {

constexpr char kPendingPrefix[] = "General failure in response to DAT_PENDINGXFER.  ";
constexpr char kSetupMemPrefix[] = "General failure in response to DAT_SETUPMEMXFER, not supported.  ";
constexpr char kSetupFilePrefix[] = "General failure in response to DAT_SETUPFILEXFER, not supported.  ";
constexpr char kCreateFilePrefix[] = "Unable to create file <<DAT_SETUPFILEXFER>>";
constexpr char kXferGroupPrefix[] = "General failure in response to DAT_XFERGROUP, not supported.  ";

bool SetupState() { return source_state.state >= 4 && source_state.state <= 6; }

TW_UINT16 PendingCount() {
  return static_cast<TW_UINT16>(transfer_state.pending_count > 0xFFFF ? 0xFFFF : transfer_state.pending_count);
}

// Only Count is the source's to write; the rest stays as the host passed it.
void WriteCount(void* data, TW_UINT16 count) {
  if (data != nullptr) std::memcpy(static_cast<char*>(data) + offsetof(TW_PENDINGXFERS, Count), &count, sizeof count);
}

TW_UINT16 EndXfer(void* data) {
  // The transfer ends whatever the state: the sequence error comes after.
  EndCurrentXfer();
  WriteCount(data, PendingCount());
  NextSelectedPicture();
  TW_UINT16 result = TWRC_SUCCESS;
  if (source_state.state == 7) {
    source_state.state = 6;
  } else {
    result = FailWithBox(kPendingPrefix, TWCC_SEQERROR);
  }
  // The batch is over: the window drops its progress dialog and asks the host
  // to close the source, before this call returns.
  if (transfer_state.pending_count == 0 && source_state.main_window != nullptr) SendMainWindowCancel();
  return result;
}

}  // namespace

TW_UINT16 HandlePendingXfers(const TripletCall& call) {
  switch (call.msg) {
    case MSG_GET:
      if (source_state.state < 4) return FailWithBox(kPendingPrefix, TWCC_SEQERROR);
      if (call.data == nullptr) return FailSilently(TWCC_BADVALUE);
      WriteCount(call.data, PendingCount());
      return TWRC_SUCCESS;
    case MSG_ENDXFER:
      return EndXfer(call.data);
    case MSG_RESET:
      if (source_state.state != 6 && source_state.state != 7) return FailWithBox(kPendingPrefix, TWCC_SEQERROR);
      EndCurrentXfer();
      transfer_state.pending_count = 0;
      source_state.state = 5;
      WriteCount(call.data, 0);
      return TWRC_SUCCESS;
    default:
      return FailWithBox(kPendingPrefix, TWCC_BADPROTOCOL);
  }
}

TW_UINT16 HandleSetupMemXfer(const TripletCall& call) {
  if (!SetupState()) return FailWithBox(kSetupMemPrefix, TWCC_SEQERROR);
  if (call.msg != MSG_GET) return FailWithBox(kSetupMemPrefix, TWCC_BADPROTOCOL);
  if (call.data == nullptr) return FailSilently(TWCC_BADVALUE);
  const TW_SETUPMEMXFER setup{kMemXferMinBufSize, kMemXferMaxBufSize, kMemXferPreferred};
  std::memcpy(call.data, &setup, sizeof setup);
  return TWRC_SUCCESS;
}

TW_UINT16 HandleSetupFileXfer(const TripletCall& call) {
  if (!SetupState()) return FailWithBox(kSetupFilePrefix, TWCC_SEQERROR);
  switch (call.msg) {
    case MSG_GET:
    case MSG_GETCURRENT:
    case MSG_GETDEFAULT: {
      if (call.data == nullptr) return FailSilently(TWCC_BADVALUE);
      TW_SETUPFILEXFER setup{};
      std::memcpy(setup.FileName, transfer_state.file_name, sizeof setup.FileName);
      setup.Format = TWFF_BMP;
      setup.VRefNum = 0;
      std::memcpy(call.data, &setup, sizeof setup);
      return TWRC_SUCCESS;
    }
    case MSG_SET: {
      if (call.data == nullptr) return FailSilently(TWCC_BADVALUE);
      // The host's name need not be terminated: read no further than its field,
      // and keep whole characters that fit 255 bytes. The format asked for
      // does not matter; file transfers always write BMP.
      const char* name = static_cast<const char*>(call.data) + offsetof(TW_SETUPFILEXFER, FileName);
      const std::size_t field = sizeof(TW_SETUPFILEXFER::FileName);
      const void* end = std::memchr(name, '\0', field);
      std::size_t length = end != nullptr ? static_cast<std::size_t>(static_cast<const char*>(end) - name) : field;
      length = Utf8PrefixBytes(std::string_view(name, length), kXferFileNameSize - 1);
      std::memset(transfer_state.file_name, 0, sizeof transfer_state.file_name);
      std::memcpy(transfer_state.file_name, name, length);
      if (FileExists(transfer_state.file_name) || CreateEmptyFile(transfer_state.file_name)) return TWRC_SUCCESS;
      return FailWithBox(kCreateFilePrefix, TWCC_BADVALUE);
    }
    default:
      return FailWithBox(kSetupFilePrefix, TWCC_BADPROTOCOL);
  }
}

TW_UINT16 HandleXferGroup(const TripletCall& call) {
  if (!SetupState()) return FailWithBox(kXferGroupPrefix, TWCC_SEQERROR);
  switch (call.msg) {
    case MSG_GET:
    case MSG_GETCURRENT:
    case MSG_GETDEFAULT:
    case MSG_RESET: {
      if (call.data == nullptr) return FailSilently(TWCC_BADVALUE);
      const TW_UINT32 group = DG_IMAGE;
      std::memcpy(call.data, &group, sizeof group);
      return TWRC_SUCCESS;
    }
    case MSG_SET:
      return TWRC_SUCCESS;  // images are all the source has
    default:
      return FailWithBox(kXferGroupPrefix, TWCC_BADPROTOCOL);
  }
}
