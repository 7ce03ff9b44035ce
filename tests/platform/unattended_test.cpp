#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/message_box.h"
#include "support/temp_dir.h"

namespace {

TEST(Unattended, BoxesAreLoggedOneLineEachAndAnsweredSafely) {
  TempDir dir;
  std::string log = dir.File("boxes.log");
  setenv("SNAPSRC_UNATTENDED", log.c_str(), 1);

  EXPECT_EQ(ShowMessageBox(nullptr, "Caption", "line one\nline\ttwo", MessageButtons::Ok), MessageAnswer::Ok);
  EXPECT_EQ(ShowMessageBox(nullptr, "Save photos", "replace?", MessageButtons::YesNo), MessageAnswer::No);
  unsetenv("SNAPSRC_UNATTENDED");

  EXPECT_EQ(ReadTextFile(log),
            "Caption\tline one\\nline\\ttwo\tOK\tOK\n"
            "Save photos\treplace?\tYesNo\tNo\n");
}

}  // namespace
