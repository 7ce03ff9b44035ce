// Sends one notification from the source to the host through the DSM. The DSM
// library is loaded afresh for each notification (SNAPSRC_DSM names it, default
// libtwaindsm.so.2); a missing library or DSM_Entry makes it a silent no-op.
#pragma once

#include "twain/twain.h"

void SendDsmNotification(TW_IDENTITY* origin, TW_IDENTITY* destination, TW_UINT16 msg);
