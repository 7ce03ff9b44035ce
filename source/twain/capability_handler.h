// DG_CONTROL / DAT_CAPABILITY: negotiation over the capability table. Accepted
// in every state; sets ConditionCode itself and never shows the error box.
#pragma once

#include "twain/triplet.h"

TW_UINT16 HandleCapability(const TripletCall& call);
