#include "platform/registry_file.h"

#include <gtest/gtest.h>

namespace {

constexpr char kKey[] = "HKEY_LOCAL_MACHINE\\SOFTWARE\\KX3300";

constexpr char kFile[] =
    "REGEDIT4\r\n"
    "\r\n"
    "; the camera chip's key\r\n"
    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\KX3300]\r\n"
    "\"DeviceName\"=\"KX3300A\"\r\n"
    "\"NotDelete\"=dword:0000000f\r\n"
    "\"Quoted\"=\"a \\\"b\\\" c:\\\\dir\"\r\n"
    "\"Binary\"=hex:01,02\r\n"
    "\"Broken\"=dword:xyz\r\n"
    "\"Unterminated\"=\"abc\r\n"
    "\r\n"
    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\KX3300_3]\r\n"
    "\"DeviceName\"=\"Other\"\r\n";

TEST(RegistryFile, FindsValuesOfEachKind) {
  auto name = FindRegistryValue(kFile, kKey, "DeviceName");
  ASSERT_TRUE(name);
  EXPECT_EQ(name->type, RegistryValue::Type::String);
  EXPECT_EQ(name->text, "KX3300A");

  auto number = FindRegistryValue(kFile, kKey, "NotDelete");
  ASSERT_TRUE(number);
  EXPECT_EQ(number->type, RegistryValue::Type::Number);
  EXPECT_EQ(number->number, 15u);

  auto quoted = FindRegistryValue(kFile, kKey, "Quoted");
  ASSERT_TRUE(quoted);
  EXPECT_EQ(quoted->text, "a \"b\" c:\\dir");

  auto binary = FindRegistryValue(kFile, kKey, "Binary");
  ASSERT_TRUE(binary);
  EXPECT_EQ(binary->type, RegistryValue::Type::Other);
}

TEST(RegistryFile, KeysAndNamesIgnoreLetterCaseAndSectionsStayApart) {
  auto value = FindRegistryValue(kFile, "hkey_local_machine\\software\\kx3300_3", "devicename");
  ASSERT_TRUE(value);
  EXPECT_EQ(value->text, "Other");
  EXPECT_FALSE(FindRegistryValue(kFile, "HKEY_LOCAL_MACHINE\\SOFTWARE\\KX3300_4", "DeviceName"));
}

TEST(RegistryFile, MalformedLinesCountAsMissing) {
  EXPECT_FALSE(FindRegistryValue(kFile, kKey, "Broken"));
  EXPECT_FALSE(FindRegistryValue(kFile, kKey, "Unterminated"));
  EXPECT_FALSE(FindRegistryValue("", kKey, "DeviceName"));
  EXPECT_FALSE(FindRegistryValue("[HKEY_LOCAL_MACHINE\\SOFTWARE\\KX3300\n\"A\"=\"b\"", kKey, "A"));
  EXPECT_FALSE(FindRegistryValue("[x]\n\"A\"=dword:123456789", "x", "A"));  // more than 32 bits
}

TEST(RegistryFile, LaterDefinitionWins) {
  auto value = FindRegistryValue("[k]\n\"A\"=dword:1\n[other]\n[k]\n\"A\"=dword:2\n", "k", "A");
  ASSERT_TRUE(value);
  EXPECT_EQ(value->number, 2u);
}

}  // namespace
