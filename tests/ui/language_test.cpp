#include <gtest/gtest.h>

#include <cstdint>

#include "ui/resources/language.h"

namespace {

TEST(Language, OffsetFromLanguageId) {
  struct Case {
    std::uint16_t lang_id;
    int offset;
  } cases[] = {
      {0x0404, 2000},  // Chinese (Taiwan)
      {0x0804, 3000},  // Chinese (PRC)
      {0x0C04, 3000},  // Chinese (Hong Kong)
      {0x1004, 3000},  // Chinese (Singapore)
      {0x1404, 3000},  // Chinese (Macau)
      {0x0004, 3000},  // Chinese, no sublanguage
      {0x0409, 0},     // English (US)
      {0x0407, 0},     // German
      {0x0411, 0},     // Japanese
      {0x0412, 0},     // Korean
      {0x0000, 0},     // neutral
      {0x0444, 0},     // Tatar: sublanguage 1 of a primary that only ends in 4
      {0x0400 | 0x104, 0},
  };
  for (const Case& c : cases) EXPECT_EQ(LanguageOffsetForLangId(c.lang_id), c.offset) << std::hex << c.lang_id;
}

TEST(Language, LocaleNamesMapToChineseSublanguagesOrNot) {
  struct Case {
    const char* locale;
    int offset;
  } cases[] = {
      {"zh_TW.UTF-8", 2000}, {"zh_TW", 2000},       {"zh_TW.Big5", 2000}, {"zh-tw", 2000},
      {"zh_CN.UTF-8", 3000}, {"zh_HK.UTF-8", 3000}, {"zh_SG", 3000},      {"zh_MO.UTF-8", 3000},
      {"zh", 3000},          {"zh_CN.GB18030@stroke", 3000},
      {"en_US.UTF-8", 0},    {"C", 0},              {"POSIX", 0},         {"C.UTF-8", 0},
      {"ja_JP.UTF-8", 0},    {"de_DE@euro", 0},     {"zhx_TW", 0},        {"", 0},
      {"_TW", 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(LanguageOffsetForLangId(LangIdFromLocaleName(c.locale)), c.offset) << c.locale;
  }
  EXPECT_EQ(LangIdFromLocaleName("zh_HK.UTF-8"), 0x0C04);
  EXPECT_EQ(LangIdFromLocaleName("zh_MO"), 0x1404);
  EXPECT_EQ(LangIdFromLocaleName(nullptr), kLangIdEnglishUs);
}

TEST(Language, LcAllThenLcMessagesThenLang) {
  EXPECT_STREQ(ChooseMessagesLocale("zh_TW", "zh_CN", "en_US"), "zh_TW");
  EXPECT_STREQ(ChooseMessagesLocale(nullptr, "zh_CN", "en_US"), "zh_CN");
  EXPECT_STREQ(ChooseMessagesLocale("", "", "zh_HK"), "zh_HK");  // set but empty counts as unset
  EXPECT_STREQ(ChooseMessagesLocale(nullptr, nullptr, "en_US"), "en_US");
  EXPECT_EQ(ChooseMessagesLocale(nullptr, "", nullptr), nullptr);
}

TEST(Language, SystemDefaultReadsTheEnvironment) {
  const char* keep[] = {"LC_ALL", "LC_MESSAGES", "LANG"};
  std::string saved[3];
  bool had[3];
  for (int i = 0; i < 3; ++i) {
    const char* v = getenv(keep[i]);
    had[i] = v != nullptr;
    if (had[i]) saved[i] = v;
  }
  setenv("LC_ALL", "", 1);
  setenv("LC_MESSAGES", "zh_TW.UTF-8", 1);
  setenv("LANG", "en_US.UTF-8", 1);
  EXPECT_EQ(LanguageOffsetForLangId(SystemDefaultLangId()), 2000);
  unsetenv("LC_MESSAGES");
  EXPECT_EQ(LanguageOffsetForLangId(SystemDefaultLangId()), 0);
  setenv("LC_ALL", "zh_SG.UTF-8", 1);
  EXPECT_EQ(LanguageOffsetForLangId(SystemDefaultLangId()), 3000);
  for (int i = 0; i < 3; ++i) {
    if (had[i]) setenv(keep[i], saved[i].c_str(), 1);
    else unsetenv(keep[i]);
  }
}

}  // namespace
