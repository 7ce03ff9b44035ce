// Notifications from the source to the host, sent through the DSM.
#pragma once

// The user started a transfer: state 6, then MSG_XFERREADY.
void NotifyXferReady();

// The user closed the window or the batch ended: MSG_CLOSEDSREQ; the state is kept.
void NotifyCloseDSReq();
