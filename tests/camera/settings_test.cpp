#include "camera/settings.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "support/temp_dir.h"

namespace {

class SettingsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetSettings();
    path_ = dir_.File("registry.reg");
    setenv("SNAPSRC_REGISTRY", path_.c_str(), 1);
  }
  void TearDown() override { ResetSettings(); }

  void Write(const std::string& body) { WriteTextFile(path_, "REGEDIT4\n\n" + body); }

  TempDir dir_;
  std::string path_;
};

TEST_F(SettingsTest, KeyFollowsTheCameraModel) {
  const struct {
    int model;
    const char* key;
  } cases[] = {
      {0, "SOFTWARE\\KX3300"},    {1, "SOFTWARE\\KX3300"},    {2, "SOFTWARE\\KX3300_2"},
      {3, "SOFTWARE\\KX3300_3"},  {8, "SOFTWARE\\KX3300_3"},  {4, "SOFTWARE\\KX3300_4"},
      {9, "SOFTWARE\\KX3300_4"},  {7, "SOFTWARE\\KX3300_7"},  {10, "SOFTWARE\\KX3300_10"},
      {12, "SOFTWARE\\KX3300_12"}, {31, "SOFTWARE\\KX3300_31"},
  };
  for (const auto& c : cases) {
    SelectSettingsKey(c.model);
    EXPECT_STREQ(settings_state.settings_key, c.key) << "model " << c.model;
  }
}

TEST_F(SettingsTest, ReadsUseTheKeyOfTheLastCamera) {
  Write("[HKEY_LOCAL_MACHINE\\SOFTWARE\\KX3300]\n\"DeviceName\"=\"Base\"\n"
        "[HKEY_LOCAL_MACHINE\\SOFTWARE\\KX3300_3]\n\"DeviceName\"=\"Model eight\"\n");
  char name[kDeviceNameSize];
  ASSERT_TRUE(ReadDeviceName(name));
  EXPECT_STREQ(name, "Base");
  SelectSettingsKey(8);
  ASSERT_TRUE(ReadDeviceName(name));
  EXPECT_STREQ(name, "Model eight");
}

TEST_F(SettingsTest, DeviceNameMustFitFortyBytesWithItsTerminator) {
  std::string fits(39, 'x');
  Write("[HKEY_LOCAL_MACHINE\\SOFTWARE\\KX3300]\n\"DeviceName\"=\"" + fits + "\"\n");
  char name[kDeviceNameSize];
  std::memset(name, 0, sizeof name);
  ASSERT_TRUE(ReadDeviceName(name));
  EXPECT_EQ(std::string(name), fits);

  Write("[HKEY_LOCAL_MACHINE\\SOFTWARE\\KX3300]\n\"DeviceName\"=\"" + std::string(40, 'x') + "\"\n");
  EXPECT_FALSE(ReadDeviceName(name));

  Write("[HKEY_LOCAL_MACHINE\\SOFTWARE\\KX3300]\n\"DeviceName\"=\"\"\n");
  ASSERT_TRUE(ReadDeviceName(name));
  EXPECT_STREQ(name, "");
}

TEST_F(SettingsTest, MissingValuesWrongTypesAndMissingFileGiveDefaults) {
  Write("[HKEY_LOCAL_MACHINE\\SOFTWARE\\KX3300]\n"
        "\"NotDelete\"=\"1\"\n"         // a string where a number is read
        "\"bar_path\"=dword:00000001\n"  // a number where a string is read
        "\"QQ_ZOOM\"=dword:00000002\n");
  char buffer[kSettingStringSize];
  EXPECT_EQ(ReadSettingNumber("NotDelete"), 0u);
  EXPECT_EQ(ReadSettingString("bar_path", buffer), 0u);
  EXPECT_EQ(ReadSettingNumber("QQ_ZOOM"), 2u);
  EXPECT_EQ(ReadSettingNumber("PH_ZOOM4X"), 0u);
  EXPECT_EQ(ReadSettingString("bar_ip", buffer), 0u);

  setenv("SNAPSRC_REGISTRY", dir_.File("absent.reg").c_str(), 1);
  EXPECT_EQ(ReadSettingNumber("QQ_ZOOM"), 0u);
  EXPECT_FALSE(ReadDeviceName(buffer));
}

TEST_F(SettingsTest, StringsUpTo260BytesWithTheTerminator) {
  char buffer[kSettingStringSize];
  Write("[HKEY_LOCAL_MACHINE\\SOFTWARE\\KX3300]\n\"bar_path\"=\"" + std::string(259, 'p') + "\"\n");
  EXPECT_EQ(ReadSettingString("bar_path", buffer), 260u);
  Write("[HKEY_LOCAL_MACHINE\\SOFTWARE\\KX3300]\n\"bar_path\"=\"" + std::string(260, 'p') + "\"\n");
  EXPECT_EQ(ReadSettingString("bar_path", buffer), 0u);
}

TEST_F(SettingsTest, EveryReadSeesTheFileAsItIsNow) {
  Write("[HKEY_LOCAL_MACHINE\\SOFTWARE\\KX3300]\n\"NotDelete\"=dword:00000001\n");
  EXPECT_EQ(ReadSettingNumber("NotDelete"), 1u);
  Write("[HKEY_LOCAL_MACHINE\\SOFTWARE\\KX3300]\n");
  EXPECT_EQ(ReadSettingNumber("NotDelete"), 0u);
}

}  // namespace
