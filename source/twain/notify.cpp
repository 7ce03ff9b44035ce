#include "twain/notify.h"

#include "platform/dsm_link.h"
#include "twain/source_state.h"

void NotifyXferReady() {
  source_state.state = 6;
  SendDsmNotification(&source_state.source_identity, &source_state.app_identity, MSG_XFERREADY);
}

void NotifyCloseDSReq() {
  SendDsmNotification(&source_state.source_identity, &source_state.app_identity, MSG_CLOSEDSREQ);
}
