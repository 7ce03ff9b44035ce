#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "support/test_host.h"

namespace {

TEST(Identity, LoadTimeIdentityKeepsTheCallersId) {
  TestHost host;
  TW_IDENTITY identity;
  std::memset(&identity, 0x55, sizeof identity);
  identity.Id = 77;
  ASSERT_EQ(host.Call(DG_CONTROL, DAT_IDENTITY, MSG_GET, &identity), TWRC_SUCCESS);
  EXPECT_EQ(identity.Id, 77u);
  EXPECT_EQ(identity.Version.MajorNum, 1);
  EXPECT_EQ(identity.Version.MinorNum, 603);
  EXPECT_EQ(identity.Version.Language, TWLG_USA);
  EXPECT_EQ(identity.Version.Country, TWCY_USA);
  EXPECT_STREQ(identity.Version.Info, "Version 1.603 11/11/2000");
  EXPECT_EQ(identity.ProtocolMajor, 1);
  EXPECT_EQ(identity.ProtocolMinor, 6);
  // A packed field is copied out: gtest binds references, which a misaligned field cannot take.
  EXPECT_EQ(TW_UINT32{identity.SupportedGroups}, DG_CONTROL | DG_IMAGE);
  EXPECT_STREQ(identity.Manufacturer, "KORVEL TWAIN Working Group");
  EXPECT_STREQ(identity.ProductFamily, "TWAIN");
  EXPECT_STREQ(identity.ProductName, "KiddoSnap - Transfer Photos to PC");
}

TEST(Identity, OpenTakesTheManagersCopyAndCloseLetsAnyoneIn) {
  TestHost host;
  TW_IDENTITY loaded{};
  host.Call(DG_CONTROL, DAT_IDENTITY, MSG_GET, &loaded);
  host.source = loaded;
  host.source.Id = 9;
  std::strcpy(host.source.ProductName, "managed copy");
  ASSERT_EQ(host.Call(DG_CONTROL, DAT_IDENTITY, MSG_OPENDS, &host.source), TWRC_SUCCESS);

  TW_IDENTITY identity{};
  identity.Id = 5;
  ASSERT_EQ(host.Call(DG_CONTROL, DAT_IDENTITY, MSG_GET, &identity), TWRC_SUCCESS);
  EXPECT_STREQ(identity.ProductName, "managed copy");
  EXPECT_EQ(identity.Id, 5u);

  ASSERT_EQ(host.Close(), TWRC_SUCCESS);
  TW_IDENTITY stranger{};
  stranger.Id = 1234;
  EXPECT_EQ(host.CallFrom(&stranger, DG_CONTROL, DAT_IDENTITY, MSG_GET, &identity), TWRC_SUCCESS);
  EXPECT_TRUE(host.Boxes().empty());
}

TEST(Identity, SequenceErrorsShowTheirBoxes) {
  TestHost host;
  TW_IDENTITY identity{};
  EXPECT_EQ(host.Close(), TWRC_FAILURE);
  EXPECT_EQ(host.LastBoxText(), "General failure in response to MSG_CLOSEDS.  DG DAT MSG is out of expected sequence.");

  ASSERT_EQ(host.Open(), TWRC_SUCCESS);
  EXPECT_EQ(host.Open(), TWRC_FAILURE);
  EXPECT_EQ(host.LastBoxText(), "General failure in response to MSG_OPENDS.  DG DAT MSG is out of expected sequence.");
  EXPECT_EQ(host.ConditionCode(), TWCC_SEQERROR);

  EXPECT_EQ(host.Call(DG_CONTROL, DAT_IDENTITY, MSG_SET, &identity), TWRC_FAILURE);
  EXPECT_EQ(host.LastBoxText(), "General failure in response to DAT_IDENTITY.  Bad protocol error.");

  auto boxes = host.Boxes();
  ASSERT_EQ(boxes.size(), 3u);
  EXPECT_EQ(boxes[0].substr(0, boxes[0].find('\t')), "Sample Source Error");
  EXPECT_EQ(boxes[0].substr(boxes[0].rfind('\t', boxes[0].size() - 4)), "\tOK\tOK");
}

TEST(Identity, TwainNameReplacesTheProductNameWithinItsField) {
  TempDir dir;
  const std::string reg = dir.File("registry.reg");
  auto name_for = [&](const std::string& value) {
    WriteTextFile(reg, "REGEDIT4\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\KX3300]\n\"TwainName\"=\"" + value + "\"\n");
    return ProbeLoadTimeProductName(reg);
  };
  const std::string fallback = "KiddoSnap - Transfer Photos to PC";

  EXPECT_EQ(ProbeLoadTimeProductName(dir.File("absent.reg")), fallback);
  EXPECT_EQ(name_for(""), "");
  EXPECT_EQ(name_for("My Camera"), "My Camera");
  EXPECT_EQ(name_for(std::string(33, 'a')), std::string(33, 'a'));
  EXPECT_EQ(name_for(std::string(34, 'b')), std::string(33, 'b'));
  EXPECT_EQ(name_for(std::string(259, 'c')), std::string(33, 'c'));
  EXPECT_EQ(name_for(std::string(260, 'd')), fallback);  // does not fit the reader's buffer
  // Eleven three-byte characters make 33 bytes; a twelfth is not split.
  std::string chinese;
  for (int i = 0; i < 12; ++i) chinese += "相";
  EXPECT_EQ(name_for(chinese), chinese.substr(0, 33));

  // Under another key it is not seen.
  WriteTextFile(reg, "REGEDIT4\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\KX3300_2]\n\"TwainName\"=\"elsewhere\"\n");
  EXPECT_EQ(ProbeLoadTimeProductName(reg), fallback);
}

}  // namespace
