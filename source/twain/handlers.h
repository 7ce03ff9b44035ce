// The handlers of the connection's own triplets.
#pragma once

#include "twain/triplet.h"

TW_UINT16 HandleIdentity(const TripletCall& call);
TW_UINT16 HandleUserInterface(const TripletCall& call);
TW_UINT16 HandleStatus(const TripletCall& call);
