#include "twain/handlers.h"
#include "twain/source_error.h"
#include "twain/source_state.h"

TW_UINT16 HandleStatus(const TripletCall& call) {
  if (call.msg != MSG_GET) return FailWithBox("General failure in response to DAT_STATUS.  ", TWCC_BADPROTOCOL);
  auto* status = static_cast<TW_STATUS*>(call.data);
  if (status == nullptr) return FailSilently(TWCC_BADVALUE);
  status->ConditionCode = source_state.status.ConditionCode;
  status->Reserved = 0;
  source_state.status.ConditionCode = TWCC_SUCCESS;
  return TWRC_SUCCESS;
}
