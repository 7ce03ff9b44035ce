// The handlers of the transfer triplets: the control group's pending
// transfers and transfer setups, and the image group.
#pragma once

#include "twain/triplet.h"

// DG_CONTROL
TW_UINT16 HandlePendingXfers(const TripletCall& call);
TW_UINT16 HandleSetupMemXfer(const TripletCall& call);
TW_UINT16 HandleSetupFileXfer(const TripletCall& call);
TW_UINT16 HandleXferGroup(const TripletCall& call);

// DG_IMAGE
TW_UINT16 HandleImageInfo(const TripletCall& call);
TW_UINT16 HandleImageLayout(const TripletCall& call);
TW_UINT16 HandleImageMemXfer(const TripletCall& call);
TW_UINT16 HandleImageNativeXfer(const TripletCall& call);
TW_UINT16 HandleImageFileXfer(const TripletCall& call);
TW_UINT16 HandleRgbResponse(const TripletCall& call);
TW_UINT16 HandleCieColor(const TripletCall& call);
TW_UINT16 HandleJpegCompression(const TripletCall& call);
