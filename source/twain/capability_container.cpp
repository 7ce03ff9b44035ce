#include "twain/capability_container.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

#include "platform/memory.h"
#include "twain/fix32.h"

namespace {

// Where every container puts what follows ItemType.
constexpr std::size_t kItemOffset = offsetof(TW_ONEVALUE, Item);
constexpr std::size_t kMaxStringChars = 31;

bool IsSixteenBit(TW_UINT16 item_type) { return CapabilityItemSize(item_type) == 2; }

// Bytes of the text that fit a TW_STR32 item: up to the terminator or the end
// of what may be read, at most 31 characters, never a split character, and
// room for the terminator in 34 bytes.
std::size_t StringItemBytes(const TW_UINT8* text, std::size_t readable) {
  std::size_t limit = std::min(readable, sizeof(TW_STR32) - 1);
  std::size_t bytes = 0;
  for (std::size_t chars = 0; chars < kMaxStringChars && bytes < limit && text[bytes] != 0; ++chars) {
    TW_UINT8 lead = text[bytes];
    std::size_t length = lead < 0x80             ? 1
                         : (lead & 0xE0) == 0xC0 ? 2
                         : (lead & 0xF0) == 0xE0 ? 3
                         : (lead & 0xF8) == 0xF0 ? 4
                                                 : 1;
    if (bytes + length > limit) break;
    // A malformed sequence counts its lead byte as one character.
    for (std::size_t i = 1; i < length; ++i) {
      if ((text[bytes + i] & 0xC0) != 0x80) {
        length = 1;
        break;
      }
    }
    bytes += length;
  }
  return bytes;
}

void PutFix32(TW_UINT8* out, const TW_UINT8* stored) {
  float value;
  std::memcpy(&value, stored, sizeof value);
  TW_FIX32 fix = FloatToFix32(value);
  std::memcpy(out, &fix, sizeof fix);
}

void TakeFix32(TW_UINT8* stored, const TW_UINT8* in) {
  TW_FIX32 fix;
  std::memcpy(&fix, in, sizeof fix);
  float value = Fix32ToFloat(fix);
  std::memcpy(stored, &value, sizeof value);
}

// One stored item as the host sees it, at the item size; `out` is zeroed.
void PutItem(TW_UINT16 item_type, const TW_UINT8* stored, TW_UINT8* out) {
  switch (item_type) {
    case TWTY_FIX32:
      PutFix32(out, stored);
      break;
    case TWTY_FRAME:
      for (std::size_t side = 0; side < 4; ++side) PutFix32(out + 4 * side, stored + 4 * side);
      break;
    case TWTY_STR32:
      std::memcpy(out, stored, StringItemBytes(stored, sizeof(TW_STR32)));
      break;
    default:
      std::memcpy(out, stored, CapabilityItemSize(item_type));
      break;
  }
}

TW_UINT8* NewBlock(std::size_t size, TW_HANDLE* handle) {
  *handle = AllocBlock(size);
  return static_cast<TW_UINT8*>(LockBlock(*handle));
}

void PutU16(TW_UINT8* out, TW_UINT16 value) { std::memcpy(out, &value, sizeof value); }
void PutU32(TW_UINT8* out, TW_UINT32 value) { std::memcpy(out, &value, sizeof value); }

TW_UINT32 IndexOf(TW_UINT16 item_type, const CapabilityValue& list, const CapabilityValue& value) {
  std::size_t size = CapabilityItemSize(item_type);
  for (TW_UINT32 i = 0; i < list.count; ++i) {
    if (std::memcmp(list.items + i * size, value.items, size) == 0) return i;
  }
  return list.count;
}

}  // namespace

TW_HANDLE BuildOneValue(TW_UINT16 item_type, const TW_UINT8* item) {
  std::size_t size = CapabilityItemSize(item_type);
  TW_HANDLE handle;
  TW_UINT8* block = NewBlock(kItemOffset + std::max<std::size_t>(size, sizeof(TW_UINT32)), &handle);
  if (block == nullptr) return nullptr;
  PutU16(block, item_type);
  if (IsSixteenBit(item_type)) {
    TW_UINT16 value;
    std::memcpy(&value, item, sizeof value);
    PutU32(block + kItemOffset, value);
  } else {
    PutItem(item_type, item, block + kItemOffset);
  }
  UnlockBlock(handle);
  return handle;
}

TW_HANDLE BuildEnumeration(TW_UINT16 item_type, const CapabilityValue& list, const CapabilityValue& current,
                           const CapabilityValue& default_value) {
  std::size_t size = CapabilityItemSize(item_type);
  constexpr std::size_t kListOffset = offsetof(TW_ENUMERATION, ItemList);
  TW_HANDLE handle;
  TW_UINT8* block = NewBlock(std::max(sizeof(TW_ENUMERATION), kListOffset + list.count * size), &handle);
  if (block == nullptr) return nullptr;
  PutU16(block + offsetof(TW_ENUMERATION, ItemType), item_type);
  PutU32(block + offsetof(TW_ENUMERATION, NumItems), list.count);
  PutU32(block + offsetof(TW_ENUMERATION, CurrentIndex), IndexOf(item_type, list, current));
  PutU32(block + offsetof(TW_ENUMERATION, DefaultIndex), IndexOf(item_type, list, default_value));
  for (TW_UINT32 i = 0; i < list.count; ++i) PutItem(item_type, list.items + i * size, block + kListOffset + i * size);
  UnlockBlock(handle);
  return handle;
}

TW_HANDLE BuildRange(const CapabilityValue& list, const CapabilityValue& current,
                     const CapabilityValue& default_value) {
  TW_HANDLE handle;
  TW_UINT8* block = NewBlock(sizeof(TW_RANGE), &handle);
  if (block == nullptr) return nullptr;
  PutU16(block + offsetof(TW_RANGE, ItemType), TWTY_FIX32);
  constexpr std::size_t kLimits[] = {offsetof(TW_RANGE, MinValue), offsetof(TW_RANGE, MaxValue),
                                     offsetof(TW_RANGE, StepSize)};
  for (TW_UINT32 i = 0; i < 3 && i < list.count; ++i) PutFix32(block + kLimits[i], list.items + 4 * i);
  PutFix32(block + offsetof(TW_RANGE, DefaultValue), default_value.items);
  PutFix32(block + offsetof(TW_RANGE, CurrentValue), current.items);
  UnlockBlock(handle);
  return handle;
}

TW_HANDLE BuildArray(TW_UINT16 item_type, const CapabilityValue& items) {
  std::size_t size = CapabilityItemSize(item_type);
  constexpr std::size_t kListOffset = offsetof(TW_ARRAY, ItemList);
  TW_HANDLE handle;
  TW_UINT8* block = NewBlock(std::max(sizeof(TW_ARRAY), kListOffset + items.count * size), &handle);
  if (block == nullptr) return nullptr;
  PutU16(block + offsetof(TW_ARRAY, ItemType), item_type);
  PutU32(block + offsetof(TW_ARRAY, NumItems), items.count);
  for (TW_UINT32 i = 0; i < items.count; ++i)
    PutItem(item_type, items.items + i * size, block + kListOffset + i * size);
  UnlockBlock(handle);
  return handle;
}

bool ReadOneValue(TW_HANDLE container, TW_UINT16 item_type, TW_UINT8* item) {
  std::size_t size = CapabilityItemSize(item_type);
  if (size == 0) return false;
  // The host's block decides how far the source may read: a one-value holds
  // at least a 32-bit Item, a frame its 16 bytes, a string up to its 34.
  std::size_t block_size = BlockSize(container);
  std::size_t needed = kItemOffset + (item_type == TWTY_STR32 ? 1 : std::max<std::size_t>(size, sizeof(TW_UINT32)));
  if (block_size < needed) return false;
  const auto* block = static_cast<const TW_UINT8*>(LockBlock(container));
  if (block == nullptr) return false;

  bool ok = false;
  TW_UINT16 container_type;
  std::memcpy(&container_type, block, sizeof container_type);
  if (container_type == item_type) {
    const TW_UINT8* in = block + kItemOffset;
    std::memset(item, 0, size);
    switch (item_type) {
      case TWTY_FIX32:
        TakeFix32(item, in);
        break;
      case TWTY_FRAME:
        for (std::size_t side = 0; side < 4; ++side) TakeFix32(item + 4 * side, in + 4 * side);
        break;
      case TWTY_STR32:
        std::memcpy(item, in, StringItemBytes(in, std::min(block_size - kItemOffset, sizeof(TW_STR32))));
        break;
      case TWTY_UINT32:
        std::memcpy(item, in, sizeof(TW_UINT32));
        break;
      default: {
        // 16-bit types live in the low half of Item.
        TW_UINT32 whole;
        std::memcpy(&whole, in, sizeof whole);
        TW_UINT16 low = static_cast<TW_UINT16>(whole & 0xFFFFu);
        std::memcpy(item, &low, sizeof low);
        break;
      }
    }
    ok = true;
  }
  UnlockBlock(container);
  return ok;
}
