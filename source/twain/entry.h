// The body of DS_Entry: connection check, events, and dispatch by data group
// and data argument type.
#pragma once

#include "twain/twain.h"

TW_UINT16 SourceEntry(TW_IDENTITY* origin, TW_UINT32 dg, TW_UINT16 dat, TW_UINT16 msg, TW_MEMREF data);
