// The four TWAIN containers, built from a record's stored values, and the one
// value taken out of a host's MSG_SET container. Every built container is a
// new movable block that the host owns and frees; null when memory is short.
#pragma once

#include "twain/capability_table.h"

// TW_ONEVALUE with one stored item; 16-bit items are zero-extended to 32 bits.
TW_HANDLE BuildOneValue(TW_UINT16 item_type, const TW_UINT8* item);

// TW_ENUMERATION of the whole list; the indexes are those of the first list
// items equal, byte for byte, to the current and the default (NumItems when
// none is).
TW_HANDLE BuildEnumeration(TW_UINT16 item_type, const CapabilityValue& list, const CapabilityValue& current,
                           const CapabilityValue& default_value);

// TW_RANGE of TWTY_FIX32: minimum, maximum and step are the first three list items.
TW_HANDLE BuildRange(const CapabilityValue& list, const CapabilityValue& current, const CapabilityValue& default_value);

// TW_ARRAY of every item of the value.
TW_HANDLE BuildArray(TW_UINT16 item_type, const CapabilityValue& items);

// The one value of a host's TW_ONEVALUE container, in stored form, into an
// item buffer of the type's item size. False when the handle is null, the
// block is too small for a one-value of this type, or its ItemType differs.
bool ReadOneValue(TW_HANDLE container, TW_UINT16 item_type, TW_UINT8* item);
