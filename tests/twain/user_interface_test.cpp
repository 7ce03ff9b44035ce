#include <gtest/gtest.h>

#include "support/test_host.h"

namespace {

const char kSeq[] = "DG DAT MSG is out of expected sequence.";

TEST(UserInterface, EnableWithoutUiStillShowsTheWindow) {
  TestHost host;
  ASSERT_EQ(host.Open(), TWRC_SUCCESS);
  EXPECT_EQ(host.Enable(false), TWRC_CHECKSTATUS);
  TW_EVENT event{};
  EXPECT_EQ(host.Call(DG_CONTROL, DAT_EVENT, MSG_PROCESSEVENT, &event), TWRC_DSEVENT);
  EXPECT_EQ(host.Disable(), TWRC_SUCCESS);
  EXPECT_TRUE(host.Boxes().empty());
}

TEST(UserInterface, EnableAndDisableOutOfSequence) {
  TestHost host;
  EXPECT_EQ(host.Enable(), TWRC_FAILURE);  // state 3
  EXPECT_EQ(host.LastBoxText(), std::string("General failure in response to MSG_ENABLEDS.  ") + kSeq);
  EXPECT_EQ(host.Disable(), TWRC_FAILURE);
  EXPECT_EQ(host.LastBoxText(), std::string("General failure in response to MSG_DISABLEDS.  ") + kSeq);

  ASSERT_EQ(host.Open(), TWRC_SUCCESS);
  EXPECT_EQ(host.Disable(), TWRC_FAILURE);  // state 4
  EXPECT_EQ(host.LastBoxText(), std::string("General failure in response to MSG_DISABLEDS.  ") + kSeq);

  ASSERT_EQ(host.Enable(), TWRC_SUCCESS);
  EXPECT_EQ(host.Enable(), TWRC_FAILURE);  // state 5
  EXPECT_EQ(host.LastBoxText(), std::string("General failure in response to MSG_ENABLEDS.  ") + kSeq);
  EXPECT_EQ(host.ConditionCode(), TWCC_SEQERROR);

  TW_USERINTERFACE ui{1, 0, nullptr};
  EXPECT_EQ(host.Call(DG_CONTROL, DAT_USERINTERFACE, MSG_ENABLEDSUIONLY, &ui), TWRC_FAILURE);
  EXPECT_EQ(host.LastBoxText(), "General failure in response to DAT_USERINTERFACE.  Bad protocol error.");
  EXPECT_EQ(host.Disable(), TWRC_SUCCESS);
  EXPECT_EQ(host.Disable(), TWRC_FAILURE);
}

TEST(UserInterface, CloseWhileEnabledLeavesTheWindowUp) {
  TestHost host;
  ASSERT_EQ(host.Open(), TWRC_SUCCESS);
  ASSERT_EQ(host.Enable(), TWRC_SUCCESS);
  EXPECT_EQ(host.Close(), TWRC_SUCCESS);
  TW_EVENT event{};
  EXPECT_EQ(host.Call(DG_CONTROL, DAT_EVENT, MSG_PROCESSEVENT, &event), TWRC_DSEVENT);
  // Reopened and enabled again, the source replaces the old window instead of leaving it behind.
  ASSERT_EQ(host.Open(), TWRC_SUCCESS);
  EXPECT_EQ(host.Disable(), TWRC_FAILURE);
  ASSERT_EQ(host.Enable(), TWRC_SUCCESS);
  ASSERT_EQ(host.Disable(), TWRC_SUCCESS);
  EXPECT_EQ(host.Call(DG_CONTROL, DAT_EVENT, MSG_PROCESSEVENT, &event), TWRC_NOTDSEVENT);
}

TEST(UserInterface, AForeignParentHandleIsNeverTouched) {
  TestHost host;
  ASSERT_EQ(host.Open(), TWRC_SUCCESS);
  int not_a_widget = 0;
  EXPECT_EQ(host.Enable(true, &not_a_widget), TWRC_SUCCESS);
  EXPECT_EQ(host.Disable(), TWRC_SUCCESS);
  EXPECT_EQ(host.Enable(true, reinterpret_cast<void*>(0x3a00007)), TWRC_SUCCESS);  // an X11 window id
}

}  // namespace
