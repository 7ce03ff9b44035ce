// One call of DS_Entry as every handler receives it.
#pragma once

#include "twain/twain.h"

struct TripletCall {
  TW_IDENTITY* origin;
  TW_UINT32 dg;
  TW_UINT16 dat;
  TW_UINT16 msg;
  TW_MEMREF data;
};

using TripletHandler = TW_UINT16 (*)(const TripletCall& call);

struct DispatchEntry {
  TW_UINT16 dat;
  TripletHandler handler;
};
