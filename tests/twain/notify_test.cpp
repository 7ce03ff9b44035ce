// Notifications and error texts, driven in-process: nothing in the host's
// reach makes the source notify before its window has buttons.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstdlib>

#include "support/test_host.h"
#include "twain/notify.h"
#include "twain/source_error.h"
#include "twain/source_state.h"

namespace {

TEST(Notify, NotificationsReachTheHostThroughTheDsm) {
  TestHost host;  // registers the host's callback with the built DSM
  source_state.state = 5;
  NotifyXferReady();
  EXPECT_EQ(source_state.state, 6);
  NotifyCloseDSReq();
  EXPECT_EQ(source_state.state, 6);
  EXPECT_EQ(TestHost::Notifications(), (std::vector<TW_UINT16>{MSG_XFERREADY, MSG_CLOSEDSREQ}));
  ResetSourceState();
}

TEST(Notify, AMissingDsmIsASilentNoOp) {
  const char* saved = std::getenv("SNAPSRC_DSM");
  std::string keep = saved ? saved : "";
  setenv("SNAPSRC_DSM", "/nonexistent/libtwaindsm.so.2", 1);
  source_state.state = 5;
  NotifyXferReady();
  EXPECT_EQ(source_state.state, 6);
  NotifyCloseDSReq();
  setenv("SNAPSRC_DSM", keep.c_str(), 1);
  ResetSourceState();
}

TEST(SourceError, EveryConditionHasItsText) {
  const struct {
    TW_UINT16 code;
    const char* text;
  } cases[] = {
      {0, "Success message from detailed error request ??"},
      {1, "Bummer error."},
      {2, "Low Memory Condition encountered, free up some memory and try again."},
      {3, "No Data Source found error."},
      {4, "Source is connected to max possible apps."},
      {5, "An operation error just occurred."},
      {6, "Bad capabilities error."},
      {7, "Unknown Error value in condition code."},
      {8, "Unknown Error value in condition code."},
      {9, "Bad protocol error."},
      {10, "Bad value error."},
      {11, "DG DAT MSG is out of expected sequence."},
      {12, "Unknown Error value in condition code."},
      {0xFFFF, "Unknown Error value in condition code."},
  };
  for (const auto& c : cases) EXPECT_STREQ(ConditionText(c.code), c.text) << c.code;
}

TEST(SourceError, BoxCarriesPrefixAndConditionText) {
  TempDir dir;
  setenv("SNAPSRC_UNATTENDED", dir.File("log").c_str(), 1);
  EXPECT_EQ(FailWithBox("General failure in response to MSG_OPENDS.  ", 7), TWRC_FAILURE);
  EXPECT_EQ(source_state.status.ConditionCode, 7);
  unsetenv("SNAPSRC_UNATTENDED");
  EXPECT_EQ(ReadTextFile(dir.File("log")),
            "Sample Source Error\tGeneral failure in response to MSG_OPENDS.  Unknown Error value in condition "
            "code.\tOK\tOK\n");
  ResetSourceState();
}

}  // namespace
