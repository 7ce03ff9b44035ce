#include "camera/whole_file.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/memory.h"
#include "support/temp_dir.h"

namespace {

TEST(WholeFile, WritesReplacesAndReadsBack) {
  TempDir dir;
  std::string path = dir.File("0000.bar");
  ASSERT_TRUE(WriteWholeFile(path.c_str(), "a longer first version", 22));
  ASSERT_TRUE(WriteWholeFile(path.c_str(), "second", 6));
  std::size_t length = 0;
  void* block = ReadWholeFile(path.c_str(), &length);
  ASSERT_NE(block, nullptr);
  EXPECT_EQ(length, 6u);
  EXPECT_EQ(std::memcmp(block, "second", 6), 0);
  FreeBlock(block);

  ASSERT_TRUE(WriteWholeFile(path.c_str(), nullptr, 0));
  block = ReadWholeFile(path.c_str(), &length);
  ASSERT_NE(block, nullptr);
  EXPECT_EQ(length, 0u);
  FreeBlock(block);
}

TEST(WholeFile, FailuresAreReportedNotHidden) {
  TempDir dir;
  EXPECT_FALSE(WriteWholeFile(dir.File("missing/dir/x.bar").c_str(), "x", 1));
  EXPECT_FALSE(WriteWholeFile(dir.path().c_str(), "x", 1));  // a directory
  EXPECT_FALSE(WriteWholeFile("/dev/full", "x", 1));         // the disk is full
  EXPECT_EQ(ReadWholeFile(dir.File("absent.bar").c_str()), nullptr);
  EXPECT_EQ(ReadWholeFile(dir.path().c_str()), nullptr);
}

}  // namespace
