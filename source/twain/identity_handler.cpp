#include <cstring>

#include "twain/capability_table.h"
#include "twain/handlers.h"
#include "twain/source_error.h"
#include "twain/source_state.h"

TW_UINT16 HandleIdentity(const TripletCall& call) {
  auto* identity = static_cast<TW_IDENTITY*>(call.data);
  switch (call.msg) {
    case MSG_GET: {
      if (identity == nullptr) return FailSilently(TWCC_BADVALUE);
      TW_UINT32 caller_id = identity->Id;
      std::memcpy(identity, &source_state.source_identity, sizeof *identity);
      identity->Id = caller_id;
      return TWRC_SUCCESS;
    }
    case MSG_OPENDS:
      if (source_state.state != 3) {
        return FailWithBox("General failure in response to MSG_OPENDS.  ", TWCC_SEQERROR);
      }
      if (identity == nullptr || call.origin == nullptr) return FailSilently(TWCC_BADVALUE);
      source_state.app_identity = *call.origin;
      source_state.source_identity = *identity;
      source_state.state = 4;
      InitCapabilities();
      return TWRC_SUCCESS;
    case MSG_CLOSEDS:
      if (source_state.state < 4) {
        return FailWithBox("General failure in response to MSG_CLOSEDS.  ", TWCC_SEQERROR);
      }
      // The window is left alone: a host that closes without disabling keeps it up.
      source_state.app_identity.Id = 0;
      source_state.state = 3;
      ReleaseCapabilities();
      return TWRC_SUCCESS;
    default:
      return FailWithBox("General failure in response to DAT_IDENTITY.  ", TWCC_BADPROTOCOL);
  }
}
