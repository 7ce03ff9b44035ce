#include "twain/capability_handler.h"

#include <cstring>

#include "twain/capability_container.h"
#include "twain/capability_table.h"
#include "twain/source_error.h"
#include "twain/source_state.h"

namespace {

struct Outcome {
  TW_UINT16 result = TWRC_FAILURE;
  TW_UINT16 condition = TWCC_CAPUNSUPPORTED;
};

Outcome Answer(TW_CAPABILITY& cap, TW_UINT16 container_type, TW_HANDLE container) {
  if (container == nullptr) return {TWRC_FAILURE, TWCC_LOWMEMORY};
  cap.ConType = container_type;
  cap.hContainer = container;
  return {TWRC_SUCCESS, TWCC_SUCCESS};
}

Outcome Get(const CapabilityRecord& record, TW_CAPABILITY& cap) {
  TW_HANDLE container = nullptr;
  switch (record.get_container) {
    case TWON_ARRAY:
      container = BuildArray(record.item_type, *record.list);
      break;
    case TWON_ENUMERATION:
      container = BuildEnumeration(record.item_type, *record.list, *record.current, *record.default_value);
      break;
    case TWON_RANGE:
      container = BuildRange(*record.list, *record.current, *record.default_value);
      break;
    default:
      container = BuildOneValue(record.item_type, record.current->items);
      break;
  }
  return Answer(cap, record.get_container, container);
}

// MSG_GETCURRENT, MSG_GETDEFAULT and the answer of MSG_RESET.
Outcome Read(const CapabilityRecord& record, const CapabilityValue& value, TW_CAPABILITY& cap) {
  TW_HANDLE container = record.read_container == TWON_ARRAY ? BuildArray(record.item_type, value)
                                                            : BuildOneValue(record.item_type, value.items);
  return Answer(cap, record.read_container, container);
}

Outcome Set(const CapabilityRecord& record, const TW_CAPABILITY& cap) {
  Outcome refused{TWRC_FAILURE, TWCC_BADVALUE};
  if (cap.ConType != TWON_ONEVALUE) return refused;
  TW_UINT8 item[sizeof(TW_STR32)];
  if (!ReadOneValue(cap.hContainer, record.item_type, item)) return refused;
  // Only the listed values are taken; for a range that means its minimum,
  // maximum or step, not whatever lies between.
  std::size_t size = CapabilityItemSize(record.item_type);
  for (TW_UINT32 i = 0; i < record.list->count; ++i) {
    if (std::memcmp(record.list->items + i * size, item, size) == 0) {
      std::memcpy(record.current->items, item, size);
      return {TWRC_SUCCESS, TWCC_SUCCESS};
    }
  }
  return refused;
}

Outcome Reset(const CapabilityRecord& record, TW_CAPABILITY& cap) {
  const CapabilityValue& default_value = *record.default_value;
  record.current->count = default_value.count;
  std::memcpy(record.current->items, default_value.items, default_value.count * CapabilityItemSize(record.item_type));
  return Read(record, default_value, cap);
}

Outcome QuerySupport(const CapabilityRecord& record, TW_CAPABILITY& cap) {
  TW_UINT8 operations[sizeof(TW_UINT32)];
  std::memcpy(operations, &record.operations, sizeof operations);
  return Answer(cap, TWON_ONEVALUE, BuildOneValue(TWTY_UINT32, operations));
}

Outcome Negotiate(const CapabilityRecord& record, TW_UINT16 msg, TW_CAPABILITY& cap) {
  TW_UINT32 needed;
  switch (msg) {
    case MSG_GET:
      needed = TWQC_GET;
      break;
    case MSG_GETCURRENT:
      needed = TWQC_GETCURRENT;
      break;
    case MSG_GETDEFAULT:
      needed = TWQC_GETDEFAULT;
      break;
    case MSG_SET:
      needed = TWQC_SET;
      break;
    case MSG_RESET:
      needed = TWQC_RESET;
      break;
    case MSG_QUERYSUPPORT:
      return QuerySupport(record, cap);
    default:
      return {TWRC_FAILURE, TWCC_CAPUNSUPPORTED};
  }
  if ((record.operations & needed) == 0) return {TWRC_FAILURE, TWCC_CAPBADOPERATION};
  switch (msg) {
    case MSG_GET:
      return Get(record, cap);
    case MSG_GETCURRENT:
      return Read(record, *record.current, cap);
    case MSG_GETDEFAULT:
      return Read(record, *record.default_value, cap);
    case MSG_SET:
      return Set(record, cap);
    default:
      return Reset(record, cap);
  }
}

// Applications of protocol 1.5 and older know neither TWCC_CAPUNSUPPORTED nor
// TWCC_CAPBADOPERATION. Without a connected application there is nobody to
// speak the old dialect to.
bool OlderApplication() {
  const TW_IDENTITY& app = source_state.app_identity;
  return app.Id != 0 && app.ProtocolMajor <= 1 && app.ProtocolMinor <= 5;
}

}  // namespace

TW_UINT16 HandleCapability(const TripletCall& call) {
  auto* cap = static_cast<TW_CAPABILITY*>(call.data);
  if (cap == nullptr) return FailSilently(TWCC_BADVALUE);

  TW_UINT16 id = cap->Cap;
  if (id == ICAP_BITDEPTH) id = static_cast<TW_UINT16>(kBitDepthBase + GetCurrentPixelType());
  Outcome outcome;
  if (const CapabilityRecord* record = FindCapability(id)) outcome = Negotiate(*record, call.msg, *cap);

  if (outcome.condition > TWCC_BADDEST && OlderApplication()) outcome.condition = TWCC_BADCAP;
  source_state.status.ConditionCode = outcome.condition;
  return outcome.result;
}
