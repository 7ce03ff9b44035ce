// DS_Entry's own steps: the connection check, events, and dispatch refusals.
#include <gtest/gtest.h>

#include "support/test_host.h"

namespace {

TEST(Entry, OnlyTheConnectedApplicationIsServed) {
  TestHost host;
  TW_IDENTITY stranger{};
  stranger.Id = 42;
  TW_IDENTITY identity{};
  // Before any application connects, anyone may ask.
  EXPECT_EQ(host.CallFrom(&stranger, DG_CONTROL, DAT_IDENTITY, MSG_GET, &identity), TWRC_SUCCESS);

  ASSERT_EQ(host.Open(), TWRC_SUCCESS);
  host.Call(DG_CONTROL, DAT_IDENTITY, 0x7777, &identity);  // leaves BADPROTOCOL behind
  size_t boxes = host.Boxes().size();

  TW_STATUS status{};
  EXPECT_EQ(host.CallFrom(&stranger, DG_CONTROL, DAT_STATUS, MSG_GET, &status), TWRC_FAILURE);
  EXPECT_EQ(host.CallFrom(&stranger, DG_CONTROL, DAT_IDENTITY, MSG_CLOSEDS, &identity), TWRC_FAILURE);
  EXPECT_EQ(host.CallFrom(nullptr, DG_CONTROL, DAT_STATUS, MSG_GET, &status), TWRC_FAILURE);
  EXPECT_EQ(host.Boxes().size(), boxes);
  // Neither the state nor the condition moved.
  EXPECT_EQ(host.ConditionCode(), TWCC_BADPROTOCOL);
  EXPECT_EQ(host.Close(), TWRC_SUCCESS);
}

TEST(Entry, EventsBelongToTheSourceOnlyWhileItsWindowExists) {
  TestHost host;
  TW_EVENT event{nullptr, 0x1234};
  EXPECT_EQ(host.Call(DG_CONTROL, DAT_EVENT, MSG_PROCESSEVENT, &event), TWRC_NOTDSEVENT);
  ASSERT_EQ(host.Open(), TWRC_SUCCESS);
  EXPECT_EQ(host.Call(DG_CONTROL, DAT_EVENT, MSG_PROCESSEVENT, &event), TWRC_NOTDSEVENT);

  ASSERT_EQ(host.Enable(), TWRC_SUCCESS);
  EXPECT_EQ(host.Call(DG_CONTROL, DAT_EVENT, MSG_PROCESSEVENT, &event), TWRC_DSEVENT);
  EXPECT_EQ(event.TWMessage, MSG_NULL);

  // The message decides, whatever the group and data argument type.
  event.TWMessage = 0x1234;
  EXPECT_EQ(host.Call(DG_CONTROL, DAT_STATUS, MSG_PROCESSEVENT, &event), TWRC_DSEVENT);
  EXPECT_EQ(host.Call(DG_IMAGE, DAT_IMAGEINFO, MSG_PROCESSEVENT, &event), TWRC_DSEVENT);
  EXPECT_EQ(host.Call(7, 0x4321, MSG_PROCESSEVENT, &event), TWRC_DSEVENT);
  EXPECT_EQ(event.TWMessage, MSG_NULL);

  ASSERT_EQ(host.Disable(), TWRC_SUCCESS);
  EXPECT_EQ(host.Call(DG_CONTROL, DAT_EVENT, MSG_PROCESSEVENT, &event), TWRC_NOTDSEVENT);
  EXPECT_TRUE(host.Boxes().empty());
}

TEST(Entry, RefusedGroupsAndTypesShowNoBox) {
  TestHost host;
  ASSERT_EQ(host.Open(), TWRC_SUCCESS);
  TW_STATUS status{};

  // An unknown group leaves the condition as it was.
  EXPECT_EQ(host.Call(4, DAT_STATUS, MSG_GET, &status), TWRC_FAILURE);
  EXPECT_EQ(host.Call(0, DAT_STATUS, MSG_GET, &status), TWRC_FAILURE);
  EXPECT_EQ(host.ConditionCode(), TWCC_SUCCESS);

  // An unknown data argument type in a known group is a protocol error.
  const TW_UINT16 unknown_control[] = {DAT_EVENT, DAT_PARENT, DAT_NULL, 0x7FFF};
  for (TW_UINT16 dat : unknown_control) {
    EXPECT_EQ(host.Call(DG_CONTROL, dat, MSG_GET, &status), TWRC_FAILURE) << dat;
    EXPECT_EQ(host.ConditionCode(), TWCC_BADPROTOCOL) << dat;
  }
  EXPECT_EQ(host.Call(DG_IMAGE, DAT_IDENTITY, MSG_GET, &status), TWRC_FAILURE);
  EXPECT_EQ(host.ConditionCode(), TWCC_BADPROTOCOL);
  EXPECT_TRUE(host.Boxes().empty());
}

TEST(Entry, NullDataIsRefusedWithoutABox) {
  TestHost host;
  EXPECT_EQ(host.Call(DG_CONTROL, DAT_IDENTITY, MSG_GET, nullptr), TWRC_FAILURE);
  EXPECT_EQ(host.ConditionCode(), TWCC_BADVALUE);
  EXPECT_EQ(host.Call(DG_CONTROL, DAT_IDENTITY, MSG_OPENDS, nullptr), TWRC_FAILURE);
  EXPECT_EQ(host.ConditionCode(), TWCC_BADVALUE);
  EXPECT_EQ(host.Call(DG_CONTROL, DAT_STATUS, MSG_GET, nullptr), TWRC_FAILURE);

  ASSERT_EQ(host.Open(), TWRC_SUCCESS);
  EXPECT_EQ(host.Call(DG_CONTROL, DAT_USERINTERFACE, MSG_ENABLEDS, nullptr), TWRC_FAILURE);
  EXPECT_EQ(host.ConditionCode(), TWCC_BADVALUE);
  ASSERT_EQ(host.Enable(), TWRC_SUCCESS);
  EXPECT_EQ(host.Call(DG_CONTROL, DAT_EVENT, MSG_PROCESSEVENT, nullptr), TWRC_FAILURE);
  EXPECT_EQ(host.ConditionCode(), TWCC_BADVALUE);
  EXPECT_TRUE(host.Boxes().empty());
}

TEST(Entry, StatusIsReadOnceThenCleared) {
  TestHost host;
  TW_IDENTITY identity{};
  host.Call(DG_CONTROL, DAT_IDENTITY, MSG_CLOSEDS, &identity);  // out of sequence in state 3
  TW_STATUS status{0xFFFF, 0xFFFF};
  EXPECT_EQ(host.Call(DG_CONTROL, DAT_STATUS, MSG_GET, &status), TWRC_SUCCESS);
  EXPECT_EQ(status.ConditionCode, TWCC_SEQERROR);
  EXPECT_EQ(status.Reserved, 0);
  EXPECT_EQ(host.Call(DG_CONTROL, DAT_STATUS, MSG_GET, &status), TWRC_SUCCESS);
  EXPECT_EQ(status.ConditionCode, TWCC_SUCCESS);

  EXPECT_EQ(host.Call(DG_CONTROL, DAT_STATUS, MSG_SET, &status), TWRC_FAILURE);
  EXPECT_EQ(host.LastBoxText(), "General failure in response to DAT_STATUS.  Bad protocol error.");
  EXPECT_EQ(host.ConditionCode(), TWCC_BADPROTOCOL);
}

}  // namespace
