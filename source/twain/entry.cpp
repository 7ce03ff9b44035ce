#include "twain/entry.h"

#include "twain/capability_handler.h"
#include "twain/handlers.h"
#include "twain/source_error.h"
#include "twain/source_state.h"
#include "twain/transfer_handlers.h"
#include "ui/progress.h"

namespace {

// Searched from the start; an entry with a null handler ends the table.
constexpr DispatchEntry kControlTable[] = {
    {DAT_IDENTITY, HandleIdentity},
    {DAT_USERINTERFACE, HandleUserInterface},
    {DAT_CAPABILITY, HandleCapability},
    {DAT_STATUS, HandleStatus},
    {DAT_PENDINGXFERS, HandlePendingXfers},
    {DAT_SETUPMEMXFER, HandleSetupMemXfer},
    {DAT_SETUPFILEXFER, HandleSetupFileXfer},
    {DAT_XFERGROUP, HandleXferGroup},
    {0, nullptr},
};

constexpr DispatchEntry kImageTable[] = {
    {DAT_IMAGEINFO, HandleImageInfo},
    {DAT_IMAGELAYOUT, HandleImageLayout},
    {DAT_IMAGEMEMXFER, HandleImageMemXfer},
    {DAT_IMAGENATIVEXFER, HandleImageNativeXfer},
    {DAT_IMAGEFILEXFER, HandleImageFileXfer},
    {DAT_RGBRESPONSE, HandleRgbResponse},
    {DAT_CIECOLOR, HandleCieColor},
    {DAT_JPEGCOMPRESSION, HandleJpegCompression},
    {0, nullptr},
};

TW_UINT16 Dispatch(const DispatchEntry* table, const TripletCall& call) {
  for (; table->handler != nullptr; ++table) {
    if (table->dat == call.dat) return table->handler(call);
  }
  return FailSilently(TWCC_BADPROTOCOL);
}

TW_UINT16 HandleEvent(TW_MEMREF data) {
  if (source_state.main_window == nullptr) return TWRC_NOTDSEVENT;
  auto* event = static_cast<TW_EVENT*>(data);
  if (event == nullptr) return FailSilently(TWCC_BADVALUE);
  // The host's event record means nothing to Qt: let Qt deliver what is
  // pending for the source's windows, and claim the event.
  if (!PumpMessages(source_state.main_window)) return TWRC_NOTDSEVENT;
  event->TWMessage = MSG_NULL;
  return TWRC_DSEVENT;
}

}  // namespace

TW_UINT16 SourceEntry(TW_IDENTITY* origin, TW_UINT32 dg, TW_UINT16 dat, TW_UINT16 msg, TW_MEMREF data) {
  // Only the connected application may talk to the source.
  if (source_state.app_identity.Id != 0 && (origin == nullptr || origin->Id != source_state.app_identity.Id)) {
    return TWRC_FAILURE;
  }
  if (msg == MSG_PROCESSEVENT) return HandleEvent(data);

  const TripletCall call{origin, dg, dat, msg, data};
  if (dg == DG_CONTROL) return Dispatch(kControlTable, call);
  if (dg == DG_IMAGE) return Dispatch(kImageTable, call);
  return TWRC_FAILURE;
}
