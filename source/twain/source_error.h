// The modal error box of a failing TWAIN handler.
#pragma once

#include "twain/twain.h"

// The text that follows a handler's prefix for a condition code.
const char* ConditionText(TW_UINT16 condition);

// Shows "Sample Source Error" with prefix + condition text, owned by the owner window.
void ShowSourceError(const char* prefix, TW_UINT16 condition);

// The usual failure path: set ConditionCode, show the box, return TWRC_FAILURE.
TW_UINT16 FailWithBox(const char* prefix, TW_UINT16 condition);

// A failure the host must not be bothered about with a box.
TW_UINT16 FailSilently(TW_UINT16 condition);
