// Capability negotiation through the real DS_Entry of the built source. The
// library keeps current values for the life of the process, so every test
// resets what it sets (and the fixture resets everything on the way out).
#include <gtest/gtest.h>
#include <malloc.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "support/test_host.h"

namespace {

using Item = std::vector<uint8_t>;
using Items = std::vector<Item>;

constexpr TW_UINT32 kAll = 31;
constexpr TW_UINT32 kReadOnly = 13;

Items U16(std::initializer_list<int> values) {
  Items items;
  for (int v : values) items.push_back({static_cast<uint8_t>(v & 0xFF), static_cast<uint8_t>((v >> 8) & 0xFF)});
  return items;
}

Item FixBytes(int whole, int frac) {
  TW_FIX32 fix{static_cast<TW_INT16>(whole), static_cast<TW_UINT16>(frac)};
  Item item(sizeof fix);
  std::memcpy(item.data(), &fix, sizeof fix);
  return item;
}

// Whole numbers as the source's conversion writes them: x * 65536 + 0.5 cut
// toward zero leaves Frac 1 on every negative whole number.
Items Fix(std::initializer_list<int> wholes) {
  Items items;
  for (int w : wholes) items.push_back(FixBytes(w, w < 0 ? 1 : 0));
  return items;
}

Item U32Bytes(TW_UINT32 v) {
  Item item(4);
  std::memcpy(item.data(), &v, 4);
  return item;
}

Item Str(const char* text) {
  Item item(sizeof(TW_STR32), 0);
  std::memcpy(item.data(), text, std::strlen(text));
  return item;
}

Item Frame(int left, int top, int right, int bottom) {
  Item item;
  for (int side : {left, top, right, bottom}) {
    Item fix = FixBytes(side, 0);
    item.insert(item.end(), fix.begin(), fix.end());
  }
  return item;
}

const std::vector<TW_UINT16> kSupportedCaps = {CAP_SUPPORTEDCAPS,
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
                                               ICAP_IMAGEDATASET};

Items SupportedCapItems() {
  Items items;
  for (TW_UINT16 id : kSupportedCaps) items.push_back(U16({id})[0]);
  return items;
}

// One row per record of the table, as the host must see it.
struct CapRow {
  const char* name;
  TW_UINT16 id;
  TW_UINT16 item_type;
  TW_UINT16 get_container;
  TW_UINT32 operations;
  Items list;
  Item default_value;  // also the initial current value
};

std::vector<CapRow> Rows() {
  Items xfer_counts = U16({0xFFFF});
  for (int n = 1; n <= 25; ++n) xfer_counts.push_back(U16({n})[0]);
  return {
      {"CAP_SUPPORTEDCAPS", CAP_SUPPORTEDCAPS, TWTY_UINT16, TWON_ARRAY, kReadOnly, SupportedCapItems(), {}},
      {"ICAP_PIXELFLAVOR", ICAP_PIXELFLAVOR, TWTY_UINT16, TWON_ENUMERATION, kAll, U16({0, 1}), U16({0})[0]},
      {"ICAP_XFERMECH", ICAP_XFERMECH, TWTY_UINT16, TWON_ENUMERATION, kAll, U16({0, 2}), U16({0})[0]},
      {"ICAP_PLANARCHUNKY", ICAP_PLANARCHUNKY, TWTY_UINT16, TWON_ENUMERATION, kReadOnly, U16({0, 1}), U16({0})[0]},
      {"ICAP_COMPRESSION", ICAP_COMPRESSION, TWTY_UINT16, TWON_ENUMERATION, kAll, U16({0}), U16({0})[0]},
      {"ICAP_MINIMUMWIDTH", ICAP_MINIMUMWIDTH, TWTY_FIX32, TWON_ONEVALUE, kReadOnly, Fix({60}), Fix({60})[0]},
      {"ICAP_MINIMUMHEIGHT", ICAP_MINIMUMHEIGHT, TWTY_FIX32, TWON_ONEVALUE, kReadOnly, Fix({80}), Fix({80})[0]},
      {"ICAP_PHYSICALWIDTH", ICAP_PHYSICALWIDTH, TWTY_FIX32, TWON_ONEVALUE, kReadOnly, Fix({320}), Fix({320})[0]},
      {"ICAP_PHYSICALHEIGHT", ICAP_PHYSICALHEIGHT, TWTY_FIX32, TWON_ONEVALUE, kReadOnly, Fix({240}), Fix({240})[0]},
      {"ICAP_UNITS", ICAP_UNITS, TWTY_UINT16, TWON_ENUMERATION, kAll, U16({0, 1, 5}), U16({5})[0]},
      {"CAP_DEVICEONLINE", CAP_DEVICEONLINE, TWTY_BOOL, TWON_ONEVALUE, kReadOnly, U16({1, 0}), U16({1})[0]},
      {"ICAP_AUTOBRIGHT", ICAP_AUTOBRIGHT, TWTY_BOOL, TWON_ONEVALUE, kAll, U16({1, 0}), U16({0})[0]},
      {"ICAP_BRIGHTNESS", ICAP_BRIGHTNESS, TWTY_FIX32, TWON_RANGE, kAll, Fix({-1000, 1000, 1000}), Fix({0})[0]},
      {"ICAP_CONTRAST", ICAP_CONTRAST, TWTY_FIX32, TWON_RANGE, kAll, Fix({-1000, 1000, 1000}), Fix({0})[0]},
      {"ICAP_HIGHLIGHT", ICAP_HIGHLIGHT, TWTY_FIX32, TWON_RANGE, kAll, Fix({0, 255, 1}), Fix({128})[0]},
      {"ICAP_ORIENTATION", ICAP_ORIENTATION, TWTY_UINT16, TWON_ENUMERATION, kAll, U16({0, 1, 2, 3}), U16({0})[0]},
      {"ICAP_SHADOW", ICAP_SHADOW, TWTY_FIX32, TWON_RANGE, kAll, Fix({0, 255, 1}), Fix({128})[0]},
      {"ICAP_XSCALING", ICAP_XSCALING, TWTY_FIX32, TWON_ENUMERATION, kAll, Fix({100}), Fix({100})[0]},
      {"ICAP_YSCALING", ICAP_YSCALING, TWTY_FIX32, TWON_ENUMERATION, kAll, Fix({100}), Fix({100})[0]},
      {"bit depth BW", 0x9000, TWTY_UINT16, TWON_ENUMERATION, kAll, U16({1}), U16({1})[0]},
      {"bit depth GRAY", 0x9001, TWTY_UINT16, TWON_ENUMERATION, kAll, U16({8}), U16({8})[0]},
      {"bit depth RGB", 0x9002, TWTY_UINT16, TWON_ENUMERATION, kAll, U16({24}), U16({24})[0]},
      {"ICAP_PIXELTYPE", ICAP_PIXELTYPE, TWTY_UINT16, TWON_ONEVALUE, kAll, U16({0, 1, 2}), U16({2})[0]},
      {"ICAP_BITDEPTHREDUCTION", ICAP_BITDEPTHREDUCTION, TWTY_UINT16, TWON_ENUMERATION, kAll, U16({0, 1, 3}),
       U16({0})[0]},
      {"ICAP_BITORDER", ICAP_BITORDER, TWTY_UINT16, TWON_ENUMERATION, kReadOnly, U16({1, 0}), U16({1})[0]},
      {"ICAP_THRESHOLD", ICAP_THRESHOLD, TWTY_FIX32, TWON_RANGE, kAll, Fix({0, 255, 1, 0, 0}), Fix({128})[0]},
      {"ICAP_HALFTONES",
       ICAP_HALFTONES,
       TWTY_STR32,
       TWON_ENUMERATION,
       kAll,
       {Str("FLOYD/STEINBURG"), Str("ORDERED")},
       Str("FLOYD/STEINBURG")},
      {"ICAP_FRAMES", ICAP_FRAMES, TWTY_FRAME, TWON_ONEVALUE, kAll, {Frame(0, 0, 320, 240)}, Frame(0, 0, 320, 240)},
      {"ICAP_MAXFRAMES", ICAP_MAXFRAMES, TWTY_UINT16, TWON_ONEVALUE, kReadOnly, U16({1}), U16({1})[0]},
      {"ICAP_SUPPORTEDSIZES", ICAP_SUPPORTEDSIZES, TWTY_UINT16, TWON_ENUMERATION, kAll, U16({0}), U16({0})[0]},
      {"ICAP_XNATIVERESOLUTION", ICAP_XNATIVERESOLUTION, TWTY_FIX32, TWON_ONEVALUE, kReadOnly, Fix({100}),
       Fix({100})[0]},
      {"ICAP_YNATIVERESOLUTION", ICAP_YNATIVERESOLUTION, TWTY_FIX32, TWON_ONEVALUE, kReadOnly, Fix({100}),
       Fix({100})[0]},
      {"ICAP_XRESOLUTION", ICAP_XRESOLUTION, TWTY_FIX32, TWON_ENUMERATION, kAll, Fix({100}), Fix({100})[0]},
      {"ICAP_YRESOLUTION", ICAP_YRESOLUTION, TWTY_FIX32, TWON_ENUMERATION, kAll, Fix({100}), Fix({100})[0]},
      {"CAP_XFERCOUNT", CAP_XFERCOUNT, TWTY_INT16, TWON_ONEVALUE, kAll, xfer_counts, U16({0xFFFF})[0]},
      {"ICAP_IMAGEFILEFORMAT", ICAP_IMAGEFILEFORMAT, TWTY_UINT16, TWON_ENUMERATION, kAll, U16({0, 2}), U16({2})[0]},
      {"ICAP_UNDEFINEDIMAGESIZE", ICAP_UNDEFINEDIMAGESIZE, TWTY_BOOL, TWON_ONEVALUE, kAll, U16({0, 1}), U16({0})[0]},
      {"CAP_INDICATORS", CAP_INDICATORS, TWTY_BOOL, TWON_ONEVALUE, kAll, U16({1, 0}), U16({1})[0]},
      {"CAP_UICONTROLLABLE", CAP_UICONTROLLABLE, TWTY_BOOL, TWON_ONEVALUE, kReadOnly, U16({0}), U16({0})[0]},
      {"ICAP_IMAGEDATASET", ICAP_IMAGEDATASET, TWTY_UINT32, TWON_ONEVALUE, 19, {}, U32Bytes(1)},
  };
}

// A container the source handed over; the host frees it.
struct Reply {
  TW_UINT16 rc = 0xFFFF;
  TW_UINT16 condition = 0xFFFF;
  TW_CAPABILITY cap{};
  ~Reply() { std::free(cap.hContainer); }

  const uint8_t* bytes() const { return static_cast<const uint8_t*>(cap.hContainer); }
  TW_UINT16 U16At(size_t offset) const {
    TW_UINT16 v;
    std::memcpy(&v, bytes() + offset, 2);
    return v;
  }
  TW_UINT32 U32At(size_t offset) const {
    TW_UINT32 v;
    std::memcpy(&v, bytes() + offset, 4);
    return v;
  }
  Item ItemAt(size_t offset, size_t size) const { return Item(bytes() + offset, bytes() + offset + size); }
};

size_t ItemSize(TW_UINT16 type) {
  switch (type) {
    case TWTY_FIX32:
    case TWTY_UINT32:
      return 4;
    case TWTY_FRAME:
      return 16;
    case TWTY_STR32:
      return 34;
    default:
      return 2;
  }
}

// What the Item field of a one-value holds: 16-bit values zero-extended.
Item OneValueItem(const Item& item) {
  Item widened = item;
  if (widened.size() < 4) widened.resize(4, 0);
  return widened;
}

TW_UINT32 IndexIn(const Items& list, const Item& value) {
  for (size_t i = 0; i < list.size(); ++i) {
    if (list[i] == value) return static_cast<TW_UINT32>(i);
  }
  return static_cast<TW_UINT32>(list.size());
}

class CapabilityTest : public ::testing::Test {
 protected:
  ~CapabilityTest() override {
    // Whatever a failed test left set goes back to its default, so the next
    // test of this process starts from the table's values.
    setenv("SNAPSRC_UNATTENDED", "/dev/null", 1);
    host.app.ProtocolMajor = 1;
    host.app.ProtocolMinor = 6;
    host.Close();
    host.Open();
    for (const CapRow& row : Rows()) {
      if (row.operations & TWQC_RESET) Ask(row.id, MSG_RESET);
    }
  }

  std::unique_ptr<Reply> Ask(TW_UINT16 id, TW_UINT16 msg) {
    auto reply = std::make_unique<Reply>();
    reply->cap.Cap = id;
    reply->cap.ConType = TWON_DONTCARE16;
    reply->rc = host.Call(DG_CONTROL, DAT_CAPABILITY, msg, &reply->cap);
    reply->condition = host.ConditionCode();
    return reply;
  }

  // MSG_SET with a one-value container of `block_size` bytes (at least the
  // item's) holding `item` after ItemType.
  TW_UINT16 SetRaw(TW_UINT16 id, TW_UINT16 item_type, const Item& item, size_t block_size = 0,
                   TW_UINT16 con_type = TWON_ONEVALUE) {
    size_t size = std::max(block_size, 2 + OneValueItem(item).size());
    auto* block = static_cast<uint8_t*>(std::calloc(1, size));
    std::memcpy(block, &item_type, 2);
    std::memcpy(block + 2, item.data(), std::min(item.size(), size - 2));
    TW_CAPABILITY cap{id, con_type, block};
    TW_UINT16 rc = host.Call(DG_CONTROL, DAT_CAPABILITY, MSG_SET, &cap);
    std::free(block);
    return rc;
  }
  TW_UINT16 SetU16(TW_UINT16 id, TW_UINT32 item, TW_UINT16 item_type = TWTY_UINT16) {
    return SetRaw(id, item_type, U32Bytes(item));
  }
  TW_UINT16 SetFix(TW_UINT16 id, int whole, int frac) { return SetRaw(id, TWTY_FIX32, FixBytes(whole, frac)); }

  // The single item of a one-value reply of the given type.
  static Item OneValueOf(const Reply& reply, TW_UINT16 item_type) {
    return reply.ItemAt(2, std::max<size_t>(4, ItemSize(item_type)));
  }

  TestHost host;
};

// Checks a one-value reply or a supported-caps array against the expected item(s).
void ExpectReadContainer(const CapRow& row, const Reply& reply, const char* what) {
  SCOPED_TRACE(what);
  ASSERT_EQ(reply.rc, TWRC_SUCCESS);
  EXPECT_EQ(reply.condition, TWCC_SUCCESS);
  EXPECT_EQ(reply.U16At(0), row.item_type);
  if (row.id == CAP_SUPPORTEDCAPS) {
    EXPECT_EQ(reply.cap.ConType, TWON_ARRAY);
    ASSERT_EQ(reply.U32At(2), kSupportedCaps.size());
    for (size_t i = 0; i < kSupportedCaps.size(); ++i) EXPECT_EQ(reply.U16At(6 + 2 * i), kSupportedCaps[i]) << i;
    return;
  }
  EXPECT_EQ(reply.cap.ConType, TWON_ONEVALUE);
  EXPECT_EQ(reply.ItemAt(2, OneValueItem(row.default_value).size()), OneValueItem(row.default_value));
}

TEST_F(CapabilityTest, EveryRecordAnswersAsTheTableSays) {
  ASSERT_EQ(host.Open(), TWRC_SUCCESS);
  std::vector<CapRow> rows = Rows();
  ASSERT_EQ(rows.size(), 40u);
  for (const CapRow& row : rows) {
    SCOPED_TRACE(row.name);
    const size_t size = ItemSize(row.item_type);

    auto support = Ask(row.id, MSG_QUERYSUPPORT);
    ASSERT_EQ(support->rc, TWRC_SUCCESS);
    EXPECT_EQ(support->condition, TWCC_SUCCESS);
    EXPECT_EQ(support->cap.ConType, TWON_ONEVALUE);
    EXPECT_EQ(support->U16At(0), TWTY_UINT32);
    EXPECT_EQ(support->U32At(2), row.operations);

    auto get = Ask(row.id, MSG_GET);
    ASSERT_EQ(get->rc, TWRC_SUCCESS);
    EXPECT_EQ(get->condition, TWCC_SUCCESS);
    EXPECT_EQ(get->cap.ConType, row.get_container);
    switch (row.get_container) {
      case TWON_ARRAY:
        EXPECT_EQ(get->U16At(0), row.item_type);
        ASSERT_EQ(get->U32At(2), row.list.size());
        for (size_t i = 0; i < row.list.size(); ++i) EXPECT_EQ(get->ItemAt(6 + i * size, size), row.list[i]) << i;
        break;
      case TWON_ENUMERATION:
        EXPECT_EQ(get->U16At(0), row.item_type);
        ASSERT_EQ(get->U32At(2), row.list.size());
        EXPECT_EQ(get->U32At(6), IndexIn(row.list, row.default_value));
        EXPECT_EQ(get->U32At(10), IndexIn(row.list, row.default_value));
        EXPECT_LT(get->U32At(10), row.list.size());
        for (size_t i = 0; i < row.list.size(); ++i) EXPECT_EQ(get->ItemAt(14 + i * size, size), row.list[i]) << i;
        break;
      case TWON_RANGE:
        EXPECT_EQ(get->U16At(0), TWTY_FIX32);
        EXPECT_EQ(get->ItemAt(2, 4), row.list[0]);
        EXPECT_EQ(get->ItemAt(6, 4), row.list[1]);
        EXPECT_EQ(get->ItemAt(10, 4), row.list[2]);
        EXPECT_EQ(get->ItemAt(14, 4), row.default_value);
        EXPECT_EQ(get->ItemAt(18, 4), row.default_value);
        break;
      default:
        EXPECT_EQ(get->U16At(0), row.item_type);
        EXPECT_EQ(OneValueOf(*get, row.item_type), OneValueItem(row.default_value));
        break;
    }

    for (TW_UINT16 msg : {MSG_GETCURRENT, MSG_GETDEFAULT}) {
      TW_UINT32 needed = msg == MSG_GETCURRENT ? TWQC_GETCURRENT : TWQC_GETDEFAULT;
      auto read = Ask(row.id, msg);
      if (row.operations & needed) {
        ExpectReadContainer(row, *read, msg == MSG_GETCURRENT ? "GETCURRENT" : "GETDEFAULT");
      } else {
        EXPECT_EQ(read->rc, TWRC_FAILURE);
        EXPECT_EQ(read->condition, TWCC_CAPBADOPERATION);
      }
    }
  }
  EXPECT_TRUE(host.Boxes().empty());
}

TEST_F(CapabilityTest, ReadOnlyRecordsRefuseSetAndReset) {
  ASSERT_EQ(host.Open(), TWRC_SUCCESS);
  for (const CapRow& row : Rows()) {
    if (row.operations & TWQC_SET) continue;
    SCOPED_TRACE(row.name);
    Item value = row.list.empty() ? row.default_value : row.list[0];
    EXPECT_EQ(SetRaw(row.id, row.item_type, value), TWRC_FAILURE);
    EXPECT_EQ(host.ConditionCode(), TWCC_CAPBADOPERATION);
    auto reset = Ask(row.id, MSG_RESET);
    EXPECT_EQ(reset->rc, TWRC_FAILURE);
    EXPECT_EQ(reset->condition, TWCC_CAPBADOPERATION);
  }
}

TEST_F(CapabilityTest, SetTakesExactlyTheListedValues) {
  ASSERT_EQ(host.Open(), TWRC_SUCCESS);
  const struct {
    const char* what;
    TW_UINT16 id;
    TW_UINT16 item_type;
    Item item;
    bool accepted;
  } cases[] = {
      {"transfer by file is not offered", ICAP_XFERMECH, TWTY_UINT16, U32Bytes(TWSX_FILE), false},
      {"transfer by memory", ICAP_XFERMECH, TWTY_UINT16, U32Bytes(TWSX_MEMORY), true},
      {"only the low half counts", ICAP_XFERMECH, TWTY_UINT16, U32Bytes(0xABCD0002), true},
      {"brightness minimum as reported", ICAP_BRIGHTNESS, TWTY_FIX32, FixBytes(-1000, 1), true},
      {"brightness minimum exactly", ICAP_BRIGHTNESS, TWTY_FIX32, FixBytes(-1000, 0), true},
      {"brightness maximum", ICAP_BRIGHTNESS, TWTY_FIX32, FixBytes(1000, 0), true},
      {"brightness default lies between", ICAP_BRIGHTNESS, TWTY_FIX32, FixBytes(0, 0), false},
      {"brightness in range but not listed", ICAP_BRIGHTNESS, TWTY_FIX32, FixBytes(500, 0), false},
      {"highlight minimum", ICAP_HIGHLIGHT, TWTY_FIX32, FixBytes(0, 0), true},
      {"highlight step", ICAP_HIGHLIGHT, TWTY_FIX32, FixBytes(1, 0), true},
      {"highlight maximum", ICAP_HIGHLIGHT, TWTY_FIX32, FixBytes(255, 0), true},
      {"highlight default", ICAP_HIGHLIGHT, TWTY_FIX32, FixBytes(128, 0), false},
      {"transfer count -1", CAP_XFERCOUNT, TWTY_INT16, U32Bytes(0x0000FFFF), true},
      {"transfer count 25", CAP_XFERCOUNT, TWTY_INT16, U32Bytes(25), true},
      {"transfer count 26", CAP_XFERCOUNT, TWTY_INT16, U32Bytes(26), false},
      {"transfer count 0", CAP_XFERCOUNT, TWTY_INT16, U32Bytes(0), false},
      {"bool true", ICAP_AUTOBRIGHT, TWTY_BOOL, U32Bytes(1), true},
      {"bool 2", ICAP_AUTOBRIGHT, TWTY_BOOL, U32Bytes(2), false},
      {"the camera's frame", ICAP_FRAMES, TWTY_FRAME, Frame(0, 0, 320, 240), true},
      {"another frame", ICAP_FRAMES, TWTY_FRAME, Frame(0, 0, 160, 120), false},
      {"halftone by name", ICAP_HALFTONES, TWTY_STR32, Str("ORDERED"), true},
      {"halftone names are exact", ICAP_HALFTONES, TWTY_STR32, Str("ordered"), false},
      {"image data set list is empty", ICAP_IMAGEDATASET, TWTY_UINT32, U32Bytes(1), false},
      {"item type must match", ICAP_XFERMECH, TWTY_UINT32, U32Bytes(TWSX_MEMORY), false},
      {"fixed point is not an integer", ICAP_BRIGHTNESS, TWTY_UINT32, U32Bytes(1000), false},
      {"bool is not uint16", ICAP_AUTOBRIGHT, TWTY_UINT16, U32Bytes(1), false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(SetRaw(c.id, c.item_type, c.item), c.accepted ? TWRC_SUCCESS : TWRC_FAILURE);
    EXPECT_EQ(host.ConditionCode(), c.accepted ? TWCC_SUCCESS : TWCC_BADVALUE);
    Ask(c.id, MSG_RESET);
  }
  EXPECT_TRUE(host.Boxes().empty());
}

TEST_F(CapabilityTest, PixelTypeChoosesTheBitDepthRecord) {
  ASSERT_EQ(host.Open(), TWRC_SUCCESS);
  const struct {
    TW_UINT16 pixel_type;
    TW_UINT16 depth;
  } cases[] = {{TWPT_GRAY, 8}, {TWPT_BW, 1}, {TWPT_RGB, 24}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.pixel_type);
    ASSERT_EQ(SetU16(ICAP_PIXELTYPE, c.pixel_type), TWRC_SUCCESS);
    auto pixel = Ask(ICAP_PIXELTYPE, MSG_GET);
    EXPECT_EQ(pixel->cap.ConType, TWON_ONEVALUE);
    EXPECT_EQ(pixel->U32At(2), c.pixel_type);

    auto depth = Ask(ICAP_BITDEPTH, MSG_GET);
    ASSERT_EQ(depth->rc, TWRC_SUCCESS);
    EXPECT_EQ(depth->cap.ConType, TWON_ENUMERATION);
    EXPECT_EQ(depth->U32At(2), 1u);
    EXPECT_EQ(depth->U32At(6), 0u);
    EXPECT_EQ(depth->U16At(14), c.depth);
    auto current = Ask(ICAP_BITDEPTH, MSG_GETCURRENT);
    EXPECT_EQ(current->U32At(2), c.depth);
    // A depth outside the pixel type's list is refused.
    EXPECT_EQ(SetU16(ICAP_BITDEPTH, c.depth == 8 ? 24 : 8), TWRC_FAILURE);
    EXPECT_EQ(SetU16(ICAP_BITDEPTH, c.depth), TWRC_SUCCESS);
  }
  EXPECT_EQ(SetU16(ICAP_PIXELTYPE, 3), TWRC_FAILURE);
  auto reset = Ask(ICAP_PIXELTYPE, MSG_RESET);
  ASSERT_EQ(reset->rc, TWRC_SUCCESS);
  EXPECT_EQ(reset->U32At(2), TWPT_RGB);
}

TEST_F(CapabilityTest, TransferMechanismSetReportAndReset) {
  ASSERT_EQ(host.Open(), TWRC_SUCCESS);
  ASSERT_EQ(SetU16(ICAP_XFERMECH, TWSX_MEMORY), TWRC_SUCCESS);
  auto get = Ask(ICAP_XFERMECH, MSG_GET);
  EXPECT_EQ(get->U32At(6), 1u);   // CurrentIndex
  EXPECT_EQ(get->U32At(10), 0u);  // DefaultIndex
  EXPECT_EQ(Ask(ICAP_XFERMECH, MSG_GETCURRENT)->U32At(2), TWSX_MEMORY);
  EXPECT_EQ(Ask(ICAP_XFERMECH, MSG_GETDEFAULT)->U32At(2), TWSX_NATIVE);

  auto reset = Ask(ICAP_XFERMECH, MSG_RESET);
  ASSERT_EQ(reset->rc, TWRC_SUCCESS);
  EXPECT_EQ(reset->condition, TWCC_SUCCESS);
  EXPECT_EQ(reset->cap.ConType, TWON_ONEVALUE);
  EXPECT_EQ(reset->U16At(0), TWTY_UINT16);
  EXPECT_EQ(reset->U32At(2), TWSX_NATIVE);
  EXPECT_EQ(Ask(ICAP_XFERMECH, MSG_GETCURRENT)->U32At(2), TWSX_NATIVE);
}

TEST_F(CapabilityTest, BrightnessMinimumTravelsBackAndForth) {
  ASSERT_EQ(host.Open(), TWRC_SUCCESS);
  auto range = Ask(ICAP_BRIGHTNESS, MSG_GET);
  ASSERT_EQ(range->cap.ConType, TWON_RANGE);
  TW_FIX32 minimum;
  std::memcpy(&minimum, range->bytes() + 2, sizeof minimum);
  EXPECT_EQ(minimum.Whole, -1000);
  EXPECT_EQ(minimum.Frac, 1);

  ASSERT_EQ(SetFix(ICAP_BRIGHTNESS, minimum.Whole, minimum.Frac), TWRC_SUCCESS);
  auto current = Ask(ICAP_BRIGHTNESS, MSG_GETCURRENT);
  EXPECT_EQ(current->ItemAt(2, 4), FixBytes(-1000, 1));
  auto again = Ask(ICAP_BRIGHTNESS, MSG_GET);
  EXPECT_EQ(again->ItemAt(18, 4), FixBytes(-1000, 1));  // CurrentValue
  EXPECT_EQ(again->ItemAt(14, 4), FixBytes(0, 0));      // DefaultValue
  EXPECT_EQ(Ask(ICAP_BRIGHTNESS, MSG_RESET)->ItemAt(2, 4), FixBytes(0, 0));
}

TEST_F(CapabilityTest, ResolutionAndScalingPairsShareOneValue) {
  ASSERT_EQ(host.Open(), TWRC_SUCCESS);
  // The camera offers one resolution and one scaling; each member of a pair
  // reports what the other was set to.
  for (auto [x, y] : {std::pair{ICAP_XRESOLUTION, ICAP_YRESOLUTION}, std::pair{ICAP_XSCALING, ICAP_YSCALING}}) {
    ASSERT_EQ(SetFix(x, 100, 0), TWRC_SUCCESS);
    EXPECT_EQ(Ask(y, MSG_GETCURRENT)->ItemAt(2, 4), FixBytes(100, 0));
    EXPECT_EQ(SetFix(y, 200, 0), TWRC_FAILURE);
    EXPECT_EQ(Ask(x, MSG_GET)->U32At(6), 0u);
  }
}

TEST_F(CapabilityTest, HalftonesAreNamedByString) {
  ASSERT_EQ(host.Open(), TWRC_SUCCESS);
  ASSERT_EQ(SetRaw(ICAP_HALFTONES, TWTY_STR32, Str("ORDERED")), TWRC_SUCCESS);
  auto get = Ask(ICAP_HALFTONES, MSG_GET);
  EXPECT_EQ(get->U32At(6), 1u);
  EXPECT_EQ(get->U32At(10), 0u);
  EXPECT_STREQ(reinterpret_cast<const char*>(get->bytes() + 14), "FLOYD/STEINBURG");
  EXPECT_STREQ(reinterpret_cast<const char*>(get->bytes() + 14 + 34), "ORDERED");
  auto current = Ask(ICAP_HALFTONES, MSG_GETCURRENT);
  EXPECT_EQ(current->ItemAt(2, 34), Str("ORDERED"));
  ASSERT_EQ(Ask(ICAP_HALFTONES, MSG_RESET)->rc, TWRC_SUCCESS);

  // A block just large enough for the name and its terminator will do.
  Item tight(std::begin("ORDERED"), std::end("ORDERED"));
  auto* block = static_cast<uint8_t*>(std::calloc(1, 2 + tight.size()));
  TW_UINT16 type = TWTY_STR32;
  std::memcpy(block, &type, 2);
  std::memcpy(block + 2, tight.data(), tight.size());
  TW_CAPABILITY cap{ICAP_HALFTONES, TWON_ONEVALUE, block};
  EXPECT_EQ(host.Call(DG_CONTROL, DAT_CAPABILITY, MSG_SET, &cap), TWRC_SUCCESS);
  std::free(block);
  EXPECT_EQ(Ask(ICAP_HALFTONES, MSG_GETCURRENT)->ItemAt(2, 34), Str("ORDERED"));
  Ask(ICAP_HALFTONES, MSG_RESET);

  // A name that runs to the end of its 34 bytes without a terminator is cut
  // at 31 characters and matches nothing.
  Item unterminated(34, 'A');
  std::memcpy(unterminated.data(), "ORDERED", 7);
  EXPECT_EQ(SetRaw(ICAP_HALFTONES, TWTY_STR32, unterminated), TWRC_FAILURE);
  EXPECT_EQ(host.ConditionCode(), TWCC_BADVALUE);
  // Nor is anything read past a block that ends before a terminator.
  Item filled(22, 'A');
  std::memcpy(filled.data(), "ORDERED", 7);
  EXPECT_EQ(SetRaw(ICAP_HALFTONES, TWTY_STR32, filled, 24), TWRC_FAILURE);
  EXPECT_EQ(Ask(ICAP_HALFTONES, MSG_GETCURRENT)->ItemAt(2, 34), Str("FLOYD/STEINBURG"));
}

TEST_F(CapabilityTest, SetRefusesContainersItCannotTrust) {
  ASSERT_EQ(host.Open(), TWRC_SUCCESS);
  for (TW_UINT16 con_type : {TWON_ENUMERATION, TWON_RANGE, TWON_ARRAY, TW_UINT16{0}, TWON_DONTCARE16}) {
    SCOPED_TRACE(con_type);
    EXPECT_EQ(SetRaw(ICAP_XFERMECH, TWTY_UINT16, U32Bytes(TWSX_MEMORY), 64, con_type), TWRC_FAILURE);
    EXPECT_EQ(host.ConditionCode(), TWCC_BADVALUE);
  }

  TW_CAPABILITY null_handle{ICAP_XFERMECH, TWON_ONEVALUE, nullptr};
  EXPECT_EQ(host.Call(DG_CONTROL, DAT_CAPABILITY, MSG_SET, &null_handle), TWRC_FAILURE);
  EXPECT_EQ(host.ConditionCode(), TWCC_BADVALUE);

  // Blocks too small for a one-value of the record's type. The source goes by
  // what the allocator says the block holds: exactly what was asked for under
  // the sanitizers (which also catch any read past it), a rounded-up chunk
  // otherwise, so the refusal itself is only certain under the sanitizers.
  for (auto [id, type, size] :
       {std::tuple{ICAP_PIXELTYPE, TWTY_UINT16, size_t{3}}, std::tuple{ICAP_FRAMES, TWTY_FRAME, size_t{17}}}) {
    SCOPED_TRACE(id);
    auto* block = static_cast<uint8_t*>(std::calloc(1, size));
    std::memcpy(block, &type, 2);
    TW_CAPABILITY cap{id, TWON_ONEVALUE, block};
    TW_UINT16 rc = host.Call(DG_CONTROL, DAT_CAPABILITY, MSG_SET, &cap);
    if (malloc_usable_size(block) == size) {
      EXPECT_EQ(rc, TWRC_FAILURE);
      EXPECT_EQ(host.ConditionCode(), TWCC_BADVALUE);
    }
    std::free(block);
  }
  Ask(ICAP_PIXELTYPE, MSG_RESET);
  EXPECT_EQ(Ask(ICAP_XFERMECH, MSG_GETCURRENT)->U32At(2), TWSX_NATIVE);

  EXPECT_EQ(host.Call(DG_CONTROL, DAT_CAPABILITY, MSG_GET, nullptr), TWRC_FAILURE);
  EXPECT_EQ(host.ConditionCode(), TWCC_BADVALUE);
  EXPECT_TRUE(host.Boxes().empty());
}

TEST_F(CapabilityTest, MessagesOutsideTheRecordsOperations) {
  ASSERT_EQ(host.Open(), TWRC_SUCCESS);
  const struct {
    TW_UINT16 id;
    TW_UINT16 msg;
    TW_UINT16 condition;
  } cases[] = {
      {ICAP_IMAGEDATASET, MSG_GETCURRENT, TWCC_CAPBADOPERATION},
      {ICAP_IMAGEDATASET, MSG_GETDEFAULT, TWCC_CAPBADOPERATION},
      {ICAP_XFERMECH, MSG_GETFIRST, TWCC_CAPUNSUPPORTED},
      {ICAP_XFERMECH, MSG_GETNEXT, TWCC_CAPUNSUPPORTED},
      {ICAP_XFERMECH, MSG_OPENDS, TWCC_CAPUNSUPPORTED},
      {0x7777, MSG_GET, TWCC_CAPUNSUPPORTED},
      {0x7777, MSG_QUERYSUPPORT, TWCC_CAPUNSUPPORTED},
      {0, MSG_GET, TWCC_CAPBADOPERATION},
      {0, MSG_SET, TWCC_CAPBADOPERATION},
      {0, MSG_RESET, TWCC_CAPBADOPERATION},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.id << "/" << c.msg);
    auto reply = Ask(c.id, c.msg);
    EXPECT_EQ(reply->rc, TWRC_FAILURE);
    EXPECT_EQ(reply->condition, c.condition);
    EXPECT_EQ(reply->cap.ConType, TWON_DONTCARE16);
    EXPECT_EQ(reply->cap.hContainer, nullptr);
  }
  // The empty record supports nothing, and says so.
  auto support = Ask(0, MSG_QUERYSUPPORT);
  ASSERT_EQ(support->rc, TWRC_SUCCESS);
  EXPECT_EQ(support->U32At(2), 0u);

  // The image data set resets to 1 and answers with the default, although
  // the default cannot be asked for on its own.
  auto reset = Ask(ICAP_IMAGEDATASET, MSG_RESET);
  ASSERT_EQ(reset->rc, TWRC_SUCCESS);
  EXPECT_EQ(reset->cap.ConType, TWON_ONEVALUE);
  EXPECT_EQ(reset->U16At(0), TWTY_UINT32);
  EXPECT_EQ(reset->U32At(2), 1u);

  // A failure followed by a success leaves nothing to report.
  Ask(0x7777, MSG_GET);
  EXPECT_EQ(Ask(ICAP_PIXELTYPE, MSG_GET)->condition, TWCC_SUCCESS);
  EXPECT_TRUE(host.Boxes().empty());
}

TEST_F(CapabilityTest, OlderApplicationsGetTheOlderCode) {
  const struct {
    TW_UINT16 major, minor;
    bool older;
  } cases[] = {{1, 5, true}, {1, 0, true}, {1, 6, false}, {2, 0, false}, {2, 5, false}, {1, 7, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.major << "." << c.minor);
    host.app.ProtocolMajor = c.major;
    host.app.ProtocolMinor = c.minor;
    ASSERT_EQ(host.Open(), TWRC_SUCCESS);
    EXPECT_EQ(Ask(0x7777, MSG_GET)->condition, c.older ? TWCC_BADCAP : TWCC_CAPUNSUPPORTED);
    EXPECT_EQ(Ask(CAP_SUPPORTEDCAPS, MSG_RESET)->condition, c.older ? TWCC_BADCAP : TWCC_CAPBADOPERATION);
    EXPECT_EQ(Ask(ICAP_XFERMECH, MSG_GETFIRST)->condition, c.older ? TWCC_BADCAP : TWCC_CAPUNSUPPORTED);
    // Codes every protocol knows stay as they are.
    EXPECT_EQ(SetU16(ICAP_XFERMECH, TWSX_FILE), TWRC_FAILURE);
    EXPECT_EQ(host.ConditionCode(), TWCC_BADVALUE);
    ASSERT_EQ(host.Close(), TWRC_SUCCESS);

    // Once the application has gone, no one is owed the older code.
    EXPECT_EQ(Ask(ICAP_XFERMECH, MSG_GET)->condition, TWCC_CAPUNSUPPORTED);
  }
}

TEST_F(CapabilityTest, ValuesOutliveCloseAndReopen) {
  ASSERT_EQ(host.Open(), TWRC_SUCCESS);
  ASSERT_EQ(SetU16(ICAP_XFERMECH, TWSX_MEMORY), TWRC_SUCCESS);
  ASSERT_EQ(SetU16(ICAP_PIXELTYPE, TWPT_GRAY), TWRC_SUCCESS);
  ASSERT_EQ(host.Close(), TWRC_SUCCESS);
  ASSERT_EQ(host.Open(), TWRC_SUCCESS);
  EXPECT_EQ(Ask(ICAP_XFERMECH, MSG_GETCURRENT)->U32At(2), TWSX_MEMORY);
  EXPECT_EQ(Ask(ICAP_BITDEPTH, MSG_GETCURRENT)->U32At(2), 8u);
  EXPECT_EQ(Ask(ICAP_XFERMECH, MSG_RESET)->U32At(2), TWSX_NATIVE);
  EXPECT_EQ(Ask(ICAP_PIXELTYPE, MSG_RESET)->U32At(2), TWPT_RGB);
}

TEST_F(CapabilityTest, NothingIsFoundWhileTheSourceIsClosed) {
  // Before the first open and after every close the table is empty.
  for (const CapRow& row : Rows()) {
    SCOPED_TRACE(row.name);
    for (TW_UINT16 msg : {MSG_GET, MSG_GETCURRENT, MSG_GETDEFAULT, MSG_RESET, MSG_QUERYSUPPORT}) {
      auto reply = Ask(row.id, msg);
      EXPECT_EQ(reply->rc, TWRC_FAILURE);
      EXPECT_EQ(reply->condition, TWCC_CAPUNSUPPORTED);
    }
    EXPECT_EQ(SetU16(row.id, 0), TWRC_FAILURE);
    EXPECT_EQ(host.ConditionCode(), TWCC_CAPUNSUPPORTED);
  }
  EXPECT_EQ(Ask(ICAP_BITDEPTH, MSG_GET)->condition, TWCC_CAPUNSUPPORTED);
  // Id 0 finds an empty record.
  EXPECT_EQ(Ask(0, MSG_GET)->condition, TWCC_CAPBADOPERATION);
  EXPECT_EQ(Ask(0, MSG_QUERYSUPPORT)->U32At(2), 0u);
  EXPECT_TRUE(host.Boxes().empty());
}

}  // namespace
