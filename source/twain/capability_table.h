// The capability table: 41 records (the last always empty) that refer to
// value lists, defaults and current values kept apart from them. The records
// exist only while the source is open; the current values live as long as
// the library is loaded.
#pragma once

#include <cstddef>

#include "twain/twain.h"

// Bit-depth records, one per pixel type; ICAP_BITDEPTH is looked up under
// kBitDepthBase plus the current pixel type.
constexpr TW_UINT16 kBitDepthBase = 0x9000;

constexpr std::size_t kCapabilityRecordCount = 41;
constexpr std::size_t kSupportedCapCount = 38;
// Enough for the largest value: the 38 ids of CAP_SUPPORTEDCAPS.
constexpr std::size_t kMaxValueBytes = kSupportedCapCount * 2;

// A list, a default or a current value: a count of items of the record's item
// type, packed at the item size. TWTY_FIX32 items and the four sides of a
// TWTY_FRAME are kept as floats; a TWTY_STR32 item is 34 zero-padded bytes.
struct CapabilityValue {
  TW_UINT32 count;
  TW_UINT8 items[kMaxValueBytes];
};

struct CapabilityRecord {
  TW_UINT16 id;
  TW_UINT16 item_type;
  TW_UINT16 get_container;   // TWON_* of MSG_GET
  TW_UINT16 read_container;  // TWON_* of MSG_GETCURRENT, MSG_GETDEFAULT and MSG_RESET
  TW_UINT32 operations;      // TWQC_* bits
  const CapabilityValue* list;
  const CapabilityValue* default_value;
  CapabilityValue* current;
};

extern CapabilityRecord capability_table[kCapabilityRecordCount];

// Fills the 40 records; touches no current value.
void InitCapabilities();
// Empties all 41 records; the current values stay.
void ReleaseCapabilities();
// The first record with this id (id 0 finds an empty record), or null.
CapabilityRecord* FindCapability(TW_UINT16 id);

// Empty table and every current value back to its default, as at load.
void ResetCapabilities();

// Bytes of one item of a TWTY_* type; 0 for a type the table never uses.
std::size_t CapabilityItemSize(TW_UINT16 item_type);

// What the image transfer reads.
TW_UINT16 GetCurrentPixelType();
// The current bit depth for a pixel type; 0 for a pixel type without one.
TW_UINT16 GetCurrentBitDepth(TW_UINT16 pixel_type);
// The value shared by ICAP_XRESOLUTION and ICAP_YRESOLUTION.
float GetCurrentResolution();
