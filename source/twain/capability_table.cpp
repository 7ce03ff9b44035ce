#include "twain/capability_table.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <initializer_list>
#include <iterator>

namespace {

// One storage slot per value set; the shared pairs have one slot each.
enum Slot {
  kSupportedCaps,
  kPixelFlavor,
  kXferMech,
  kPlanarChunky,
  kCompression,
  kMinimumWidth,
  kMinimumHeight,
  kPhysicalWidth,
  kPhysicalHeight,
  kUnits,
  kDeviceOnline,
  kAutoBright,
  kBrightness,
  kContrast,
  kHighlight,
  kOrientation,
  kShadow,
  kScaling,  // ICAP_XSCALING and ICAP_YSCALING
  kBitDepthBw,
  kBitDepthGray,
  kBitDepthRgb,
  kPixelType,
  kBitDepthReduction,
  kBitOrder,
  kThreshold,
  kHalftones,
  kFrames,
  kMaxFrames,
  kSupportedSizes,
  kXNativeResolution,
  kYNativeResolution,
  kResolution,  // ICAP_XRESOLUTION and ICAP_YRESOLUTION
  kXferCount,
  kImageFileFormat,
  kUndefinedImageSize,
  kIndicators,
  kUiControllable,
  kImageDataSet,
  kSlotCount
};

struct FrameItem {
  float left, top, right, bottom;
};

template <typename T>
constexpr CapabilityValue Items(std::initializer_list<T> items) {
  CapabilityValue value{};
  for (T item : items) {
    auto bytes = std::bit_cast<std::array<TW_UINT8, sizeof(T)>>(item);
    for (std::size_t i = 0; i < sizeof(T); ++i) value.items[value.count * sizeof(T) + i] = bytes[i];
    ++value.count;
  }
  return value;
}

constexpr CapabilityValue U16(std::initializer_list<TW_UINT16> items) { return Items<TW_UINT16>(items); }
constexpr CapabilityValue Fix(std::initializer_list<float> items) { return Items<float>(items); }

constexpr CapabilityValue Strings(std::initializer_list<const char*> items) {
  CapabilityValue value{};
  for (const char* text : items) {
    for (std::size_t i = 0; text[i] != '\0'; ++i) value.items[value.count * sizeof(TW_STR32) + i] = text[i];
    ++value.count;
  }
  return value;
}

constexpr CapabilityValue kSupportedCapIds = U16({CAP_SUPPORTEDCAPS,
                                                  ICAP_XFERMECH,
                                                  ICAP_PIXELFLAVOR,
                                                  ICAP_PLANARCHUNKY,
                                                  ICAP_COMPRESSION,
                                                  ICAP_PHYSICALWIDTH,
                                                  ICAP_PHYSICALHEIGHT,
                                                  ICAP_MINIMUMHEIGHT,
                                                  ICAP_MINIMUMWIDTH,
                                                  ICAP_UNITS,
                                                  CAP_DEVICEONLINE,
                                                  ICAP_AUTOBRIGHT,
                                                  ICAP_BRIGHTNESS,
                                                  ICAP_CONTRAST,
                                                  ICAP_HIGHLIGHT,
                                                  ICAP_ORIENTATION,
                                                  ICAP_SHADOW,
                                                  ICAP_XSCALING,
                                                  ICAP_YSCALING,
                                                  ICAP_PIXELTYPE,
                                                  ICAP_BITDEPTH,
                                                  ICAP_BITDEPTHREDUCTION,
                                                  ICAP_BITORDER,
                                                  ICAP_HALFTONES,
                                                  ICAP_THRESHOLD,
                                                  ICAP_FRAMES,
                                                  ICAP_MAXFRAMES,
                                                  ICAP_SUPPORTEDSIZES,
                                                  ICAP_XNATIVERESOLUTION,
                                                  ICAP_YNATIVERESOLUTION,
                                                  ICAP_XRESOLUTION,
                                                  ICAP_YRESOLUTION,
                                                  CAP_XFERCOUNT,
                                                  ICAP_IMAGEFILEFORMAT,
                                                  ICAP_UNDEFINEDIMAGESIZE,
                                                  CAP_INDICATORS,
                                                  CAP_UICONTROLLABLE,
                                                  ICAP_IMAGEDATASET});
static_assert(kSupportedCapIds.count == kSupportedCapCount);

struct ValueSet {
  CapabilityValue list;
  CapabilityValue default_value;
};

constexpr std::array<ValueSet, kSlotCount> MakeValueSets() {
  std::array<ValueSet, kSlotCount> sets{};
  sets[kSupportedCaps] = {kSupportedCapIds, kSupportedCapIds};
  sets[kPixelFlavor] = {U16({TWPF_CHOCOLATE, TWPF_VANILLA}), U16({TWPF_CHOCOLATE})};
  sets[kXferMech] = {U16({TWSX_NATIVE, TWSX_MEMORY}), U16({TWSX_NATIVE})};
  sets[kPlanarChunky] = {U16({TWPC_CHUNKY, TWPC_PLANAR}), U16({TWPC_CHUNKY})};
  sets[kCompression] = {U16({TWCP_NONE}), U16({TWCP_NONE})};
  sets[kMinimumWidth] = {Fix({60.0f}), Fix({60.0f})};
  sets[kMinimumHeight] = {Fix({80.0f}), Fix({80.0f})};
  sets[kPhysicalWidth] = {Fix({320.0f}), Fix({320.0f})};
  sets[kPhysicalHeight] = {Fix({240.0f}), Fix({240.0f})};
  sets[kUnits] = {U16({TWUN_INCHES, TWUN_CENTIMETERS, TWUN_PIXELS}), U16({TWUN_PIXELS})};
  sets[kDeviceOnline] = {U16({1, 0}), U16({1})};
  sets[kAutoBright] = {U16({1, 0}), U16({0})};
  // A range's list is minimum, maximum, step; MSG_SET accepts exactly those.
  sets[kBrightness] = {Fix({-1000.0f, 1000.0f, 1000.0f}), Fix({0.0f})};
  sets[kContrast] = {Fix({-1000.0f, 1000.0f, 1000.0f}), Fix({0.0f})};
  sets[kHighlight] = {Fix({0.0f, 255.0f, 1.0f}), Fix({128.0f})};
  sets[kOrientation] = {U16({TWOR_ROT0, TWOR_ROT90, TWOR_ROT180, TWOR_ROT270}), U16({TWOR_ROT0})};
  sets[kShadow] = {Fix({0.0f, 255.0f, 1.0f}), Fix({128.0f})};
  sets[kScaling] = {Fix({100.0f}), Fix({100.0f})};
  sets[kBitDepthBw] = {U16({1}), U16({1})};
  sets[kBitDepthGray] = {U16({8}), U16({8})};
  sets[kBitDepthRgb] = {U16({24}), U16({24})};
  sets[kPixelType] = {U16({TWPT_BW, TWPT_GRAY, TWPT_RGB}), U16({TWPT_RGB})};
  sets[kBitDepthReduction] = {U16({TWBR_THRESHOLD, TWBR_HALFTONE, TWBR_DIFFUSION}), U16({TWBR_THRESHOLD})};
  sets[kBitOrder] = {U16({TWBO_MSBFIRST, TWBO_LSBFIRST}), U16({TWBO_MSBFIRST})};
  sets[kThreshold] = {Fix({0.0f, 255.0f, 1.0f, 0.0f, 0.0f}), Fix({128.0f})};
  sets[kHalftones] = {Strings({"FLOYD/STEINBURG", "ORDERED"}), Strings({"FLOYD/STEINBURG"})};
  sets[kFrames] = {Items<FrameItem>({{0.0f, 0.0f, 320.0f, 240.0f}}), Items<FrameItem>({{0.0f, 0.0f, 320.0f, 240.0f}})};
  sets[kMaxFrames] = {U16({1}), U16({1})};
  sets[kSupportedSizes] = {U16({TWSS_NONE}), U16({TWSS_NONE})};
  sets[kXNativeResolution] = {Fix({100.0f}), Fix({100.0f})};
  sets[kYNativeResolution] = {Fix({100.0f}), Fix({100.0f})};
  sets[kResolution] = {Fix({100.0f}), Fix({100.0f})};
  sets[kXferCount] = {
      Items<TW_INT16>({-1, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23, 24, 25}),
      Items<TW_INT16>({-1})};
  sets[kImageFileFormat] = {U16({TWFF_TIFF, TWFF_BMP}), U16({TWFF_BMP})};
  sets[kUndefinedImageSize] = {U16({0, 1}), U16({0})};
  sets[kIndicators] = {U16({1, 0}), U16({1})};
  sets[kUiControllable] = {U16({0}), U16({0})};
  // Nothing can be set: the list is empty.
  sets[kImageDataSet] = {Items<TW_UINT32>({}), Items<TW_UINT32>({1})};
  return sets;
}

constexpr std::array<ValueSet, kSlotCount> kValueSets = MakeValueSets();

constexpr std::array<CapabilityValue, kSlotCount> DefaultValues() {
  std::array<CapabilityValue, kSlotCount> values{};
  for (std::size_t i = 0; i < kSlotCount; ++i) values[i] = kValueSets[i].default_value;
  return values;
}

// Current values, from load to unload; the table only points at them.
constinit std::array<CapabilityValue, kSlotCount> current_values = DefaultValues();

constexpr TW_UINT32 kAllOps = TWQC_GET | TWQC_SET | TWQC_GETDEFAULT | TWQC_GETCURRENT | TWQC_RESET;
constexpr TW_UINT32 kReadOnly = TWQC_GET | TWQC_GETDEFAULT | TWQC_GETCURRENT;
constexpr TW_UINT32 kGetSetReset = TWQC_GET | TWQC_SET | TWQC_RESET;

constexpr CapabilityRecord Record(TW_UINT16 id, TW_UINT16 item_type, TW_UINT16 get_container, TW_UINT32 operations,
                                  Slot slot) {
  return {id,
          item_type,
          get_container,
          id == CAP_SUPPORTEDCAPS ? TWON_ARRAY : TWON_ONEVALUE,
          operations,
          &kValueSets[slot].list,
          &kValueSets[slot].default_value,
          &current_values[slot]};
}

constexpr CapabilityRecord kRecords[] = {
    Record(CAP_SUPPORTEDCAPS, TWTY_UINT16, TWON_ARRAY, kReadOnly, kSupportedCaps),
    Record(ICAP_PIXELFLAVOR, TWTY_UINT16, TWON_ENUMERATION, kAllOps, kPixelFlavor),
    Record(ICAP_XFERMECH, TWTY_UINT16, TWON_ENUMERATION, kAllOps, kXferMech),
    Record(ICAP_PLANARCHUNKY, TWTY_UINT16, TWON_ENUMERATION, kReadOnly, kPlanarChunky),
    Record(ICAP_COMPRESSION, TWTY_UINT16, TWON_ENUMERATION, kAllOps, kCompression),
    Record(ICAP_MINIMUMWIDTH, TWTY_FIX32, TWON_ONEVALUE, kReadOnly, kMinimumWidth),
    Record(ICAP_MINIMUMHEIGHT, TWTY_FIX32, TWON_ONEVALUE, kReadOnly, kMinimumHeight),
    Record(ICAP_PHYSICALWIDTH, TWTY_FIX32, TWON_ONEVALUE, kReadOnly, kPhysicalWidth),
    Record(ICAP_PHYSICALHEIGHT, TWTY_FIX32, TWON_ONEVALUE, kReadOnly, kPhysicalHeight),
    Record(ICAP_UNITS, TWTY_UINT16, TWON_ENUMERATION, kAllOps, kUnits),
    Record(CAP_DEVICEONLINE, TWTY_BOOL, TWON_ONEVALUE, kReadOnly, kDeviceOnline),
    Record(ICAP_AUTOBRIGHT, TWTY_BOOL, TWON_ONEVALUE, kAllOps, kAutoBright),
    Record(ICAP_BRIGHTNESS, TWTY_FIX32, TWON_RANGE, kAllOps, kBrightness),
    Record(ICAP_CONTRAST, TWTY_FIX32, TWON_RANGE, kAllOps, kContrast),
    Record(ICAP_HIGHLIGHT, TWTY_FIX32, TWON_RANGE, kAllOps, kHighlight),
    Record(ICAP_ORIENTATION, TWTY_UINT16, TWON_ENUMERATION, kAllOps, kOrientation),
    Record(ICAP_SHADOW, TWTY_FIX32, TWON_RANGE, kAllOps, kShadow),
    Record(ICAP_XSCALING, TWTY_FIX32, TWON_ENUMERATION, kAllOps, kScaling),
    Record(ICAP_YSCALING, TWTY_FIX32, TWON_ENUMERATION, kAllOps, kScaling),
    Record(kBitDepthBase + TWPT_BW, TWTY_UINT16, TWON_ENUMERATION, kAllOps, kBitDepthBw),
    Record(kBitDepthBase + TWPT_GRAY, TWTY_UINT16, TWON_ENUMERATION, kAllOps, kBitDepthGray),
    Record(kBitDepthBase + TWPT_RGB, TWTY_UINT16, TWON_ENUMERATION, kAllOps, kBitDepthRgb),
    Record(ICAP_PIXELTYPE, TWTY_UINT16, TWON_ONEVALUE, kAllOps, kPixelType),
    Record(ICAP_BITDEPTHREDUCTION, TWTY_UINT16, TWON_ENUMERATION, kAllOps, kBitDepthReduction),
    Record(ICAP_BITORDER, TWTY_UINT16, TWON_ENUMERATION, kReadOnly, kBitOrder),
    Record(ICAP_THRESHOLD, TWTY_FIX32, TWON_RANGE, kAllOps, kThreshold),
    Record(ICAP_HALFTONES, TWTY_STR32, TWON_ENUMERATION, kAllOps, kHalftones),
    Record(ICAP_FRAMES, TWTY_FRAME, TWON_ONEVALUE, kAllOps, kFrames),
    Record(ICAP_MAXFRAMES, TWTY_UINT16, TWON_ONEVALUE, kReadOnly, kMaxFrames),
    Record(ICAP_SUPPORTEDSIZES, TWTY_UINT16, TWON_ENUMERATION, kAllOps, kSupportedSizes),
    Record(ICAP_XNATIVERESOLUTION, TWTY_FIX32, TWON_ONEVALUE, kReadOnly, kXNativeResolution),
    Record(ICAP_YNATIVERESOLUTION, TWTY_FIX32, TWON_ONEVALUE, kReadOnly, kYNativeResolution),
    Record(ICAP_XRESOLUTION, TWTY_FIX32, TWON_ENUMERATION, kAllOps, kResolution),
    Record(ICAP_YRESOLUTION, TWTY_FIX32, TWON_ENUMERATION, kAllOps, kResolution),
    Record(CAP_XFERCOUNT, TWTY_INT16, TWON_ONEVALUE, kAllOps, kXferCount),
    Record(ICAP_IMAGEFILEFORMAT, TWTY_UINT16, TWON_ENUMERATION, kAllOps, kImageFileFormat),
    Record(ICAP_UNDEFINEDIMAGESIZE, TWTY_BOOL, TWON_ONEVALUE, kAllOps, kUndefinedImageSize),
    Record(CAP_INDICATORS, TWTY_BOOL, TWON_ONEVALUE, kAllOps, kIndicators),
    Record(CAP_UICONTROLLABLE, TWTY_BOOL, TWON_ONEVALUE, kReadOnly, kUiControllable),
    Record(ICAP_IMAGEDATASET, TWTY_UINT32, TWON_ONEVALUE, kGetSetReset, kImageDataSet),
};
static_assert(std::size(kRecords) == kCapabilityRecordCount - 1);

TW_UINT16 FirstU16(const CapabilityValue& value) {
  TW_UINT16 item;
  std::memcpy(&item, value.items, sizeof item);
  return item;
}

}  // namespace

CapabilityRecord capability_table[kCapabilityRecordCount] = {};

void InitCapabilities() {
  std::copy(std::begin(kRecords), std::end(kRecords), capability_table);
  capability_table[kCapabilityRecordCount - 1] = CapabilityRecord{};
}

void ReleaseCapabilities() {
  for (CapabilityRecord& record : capability_table) record = CapabilityRecord{};
}

CapabilityRecord* FindCapability(TW_UINT16 id) {
  for (CapabilityRecord& record : capability_table) {
    if (record.id == id) return &record;
  }
  return nullptr;
}

void ResetCapabilities() {
  ReleaseCapabilities();
  current_values = DefaultValues();
}

std::size_t CapabilityItemSize(TW_UINT16 item_type) {
  switch (item_type) {
    case TWTY_INT16:
    case TWTY_UINT16:
    case TWTY_BOOL:
      return 2;
    case TWTY_UINT32:
    case TWTY_FIX32:
      return 4;
    case TWTY_FRAME:
      return 16;
    case TWTY_STR32:
      return sizeof(TW_STR32);
    default:
      return 0;
  }
}

TW_UINT16 GetCurrentPixelType() { return FirstU16(current_values[kPixelType]); }

TW_UINT16 GetCurrentBitDepth(TW_UINT16 pixel_type) {
  switch (pixel_type) {
    case TWPT_BW:
      return FirstU16(current_values[kBitDepthBw]);
    case TWPT_GRAY:
      return FirstU16(current_values[kBitDepthGray]);
    case TWPT_RGB:
      return FirstU16(current_values[kBitDepthRgb]);
    default:
      return 0;
  }
}

float GetCurrentResolution() {
  float resolution;
  std::memcpy(&resolution, current_values[kResolution].items, sizeof resolution);
  return resolution;
}
