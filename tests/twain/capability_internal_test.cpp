// The capability storage behind DS_Entry, driven in-process: what the image
// transfer reads and what no host can reach.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "twain/capability_table.h"
#include "twain/entry.h"
#include "twain/fix32.h"
#include "twain/source_state.h"

namespace {

class CapabilityStore : public ::testing::Test {
 protected:
  CapabilityStore() {
    ResetSourceState();
    ResetCapabilities();
    InitCapabilities();
  }
  ~CapabilityStore() override {
    ResetCapabilities();
    ResetSourceState();
  }

  TW_UINT16 Set(TW_UINT16 id, TW_UINT16 item_type, TW_UINT32 item) {
    auto* block = static_cast<TW_ONEVALUE*>(std::calloc(1, sizeof(TW_ONEVALUE)));
    block->ItemType = item_type;
    block->Item = item;
    TW_CAPABILITY cap{id, TWON_ONEVALUE, block};
    TW_UINT16 rc = SourceEntry(nullptr, DG_CONTROL, DAT_CAPABILITY, MSG_SET, &cap);
    std::free(block);
    return rc;
  }

  TW_UINT32 Current(TW_UINT16 id) {
    TW_CAPABILITY cap{id, 0, nullptr};
    EXPECT_EQ(SourceEntry(nullptr, DG_CONTROL, DAT_CAPABILITY, MSG_GETCURRENT, &cap), TWRC_SUCCESS);
    TW_UINT32 item = 0;
    if (cap.hContainer != nullptr) item = static_cast<TW_ONEVALUE*>(cap.hContainer)->Item;
    std::free(cap.hContainer);
    return item;
  }
};

TEST_F(CapabilityStore, AccessorsReadTheCurrentValues) {
  EXPECT_EQ(GetCurrentPixelType(), TWPT_RGB);
  EXPECT_EQ(GetCurrentBitDepth(TWPT_BW), 1);
  EXPECT_EQ(GetCurrentBitDepth(TWPT_GRAY), 8);
  EXPECT_EQ(GetCurrentBitDepth(TWPT_RGB), 24);
  EXPECT_EQ(GetCurrentBitDepth(3), 0);
  EXPECT_EQ(GetCurrentResolution(), 100.0f);

  ASSERT_EQ(Set(ICAP_PIXELTYPE, TWTY_UINT16, TWPT_GRAY), TWRC_SUCCESS);
  EXPECT_EQ(GetCurrentPixelType(), TWPT_GRAY);
  // Closing the source keeps what the host chose.
  ReleaseCapabilities();
  EXPECT_EQ(GetCurrentPixelType(), TWPT_GRAY);
  InitCapabilities();
  EXPECT_EQ(Current(ICAP_PIXELTYPE), TWPT_GRAY);
}

TEST_F(CapabilityStore, PairsShareTheirStorage) {
  for (auto [x, y] : {std::pair{ICAP_XRESOLUTION, ICAP_YRESOLUTION}, std::pair{ICAP_XSCALING, ICAP_YSCALING}}) {
    const CapabilityRecord* rx = FindCapability(x);
    const CapabilityRecord* ry = FindCapability(y);
    ASSERT_NE(rx, nullptr);
    ASSERT_NE(ry, nullptr);
    EXPECT_EQ(rx->list, ry->list);
    EXPECT_EQ(rx->default_value, ry->default_value);
    EXPECT_EQ(rx->current, ry->current);
  }
  // Only 100 is offered, so no host can show the sharing; a stored value can.
  CapabilityRecord* rx = FindCapability(ICAP_XRESOLUTION);
  float stored = 200.0f;
  std::memcpy(rx->current->items, &stored, sizeof stored);
  EXPECT_EQ(GetCurrentResolution(), 200.0f);
  TW_UINT32 reported = Current(ICAP_YRESOLUTION);
  TW_FIX32 fix;
  std::memcpy(&fix, &reported, sizeof fix);
  EXPECT_EQ(fix.Whole, 200);
  EXPECT_EQ(fix.Frac, 0);
}

TEST_F(CapabilityStore, TheTableHasFortyRecordsAndAnEmptyOne) {
  size_t used = 0;
  for (const CapabilityRecord& record : capability_table) used += record.id != 0 ? 1 : 0;
  EXPECT_EQ(used, 40u);
  EXPECT_EQ(capability_table[kCapabilityRecordCount - 1].id, 0);
  EXPECT_EQ(capability_table[kCapabilityRecordCount - 1].operations, 0u);
  ReleaseCapabilities();
  for (const CapabilityRecord& record : capability_table) EXPECT_EQ(record.id, 0);
}

}  // namespace
