#include <gtest/gtest.h>

#include <set>
#include <string>
#include <string_view>

#include "ui/resources/string_table.h"
#include "ui/resources/strings.h"

namespace {

struct Expected {
  int id;
  std::string_view english, traditional, simplified;
  std::size_t room;  // characters the reader gives the text
};

constexpr Expected kTexts[] = {
    {110, "Download photos", "下載相片", "下载照片", kButtonTipChars},
    {111, "Photo", "相片", "照片", kPhotoWordChars},
    {112, "Previous page", "上一頁", "上一页", kButtonTipChars},
    {113, "Next page", "下一頁", "下一页", kButtonTipChars},
    {114, "Transfer photos", "傳送相片", "传送照片", kButtonTipChars},
    {115, "Close", "關閉", "关闭", kButtonTipChars},
    {116, "Select all photos", "選擇所有相片", "选择所有照片", kButtonTipChars},
    {117, "Edit image", "影像調整", "影像调整", kButtonTipChars},
    {118, "Save photos", "儲存相片", "储存照片", kMessageCaptionChars},
    {119, "Please wait...", "請稍待...", "请稍待...", kMessageTextChars},
    {120, "%s file duplicates,\n\n do you want to replace it?\n", "%s 檔案名稱重複,\n\n您是否要取代它?\n",
     "%s 档案名称重复,\n\n您是否要取代它?\n", kMessageFormatChars},
    {121, "Files are saved completely.", "檔案儲存完畢", "档案储存完毕", kSavedTextChars},
    {122, "Digital Camera not found!", "找不到數位相機!", "找不到数码相机!", kMessageTextChars},
    {123, "No photo in Digital Camera!", "數位相機內沒有照片!", "数码相机内没有相片!", kMessageTextChars},
};

std::size_t Characters(std::string_view text) {
  std::size_t n = 0;
  for (unsigned char c : text) n += (c & 0xC0) != 0x80;
  return n;
}

bool ValidUtf8(std::string_view text) {
  for (std::size_t i = 0; i < text.size();) {
    const unsigned char c = text[i];
    std::size_t extra = c < 0x80 ? 0 : (c & 0xE0) == 0xC0 ? 1 : (c & 0xF0) == 0xE0 ? 2 : (c & 0xF8) == 0xF0 ? 3 : 9;
    if (extra == 9 || i + extra >= text.size()) return false;
    for (std::size_t k = 1; k <= extra; ++k) {
      if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return false;
    }
    i += extra + 1;
  }
  return true;
}

// The printf directives of a text, "%%" excluded.
std::string Directives(std::string_view text) {
  std::string found;
  for (std::size_t i = 0; i + 1 < text.size(); ++i) {
    if (text[i] != '%') continue;
    if (text[i + 1] == '%') {
      ++i;
      continue;
    }
    found += text.substr(i, 2);
  }
  return found;
}

std::string Text(int id) {
  std::string_view text;
  return FindResourceString(id, &text) ? std::string(text) : std::string("<missing>");
}

TEST(StringTable, IdentityStrings) {
  EXPECT_EQ(Text(0), "KORVEL TWAIN Working Group");
  EXPECT_EQ(Text(1), "TWAIN");
  EXPECT_EQ(Text(2), "KiddoSnap - Transfer Photos to PC");
  EXPECT_EQ(Text(3), "Version 1.603 11/11/2000");
}

TEST(StringTable, WindowTextsInThreeLanguagesFitTheirReaders) {
  for (const Expected& e : kTexts) {
    SCOPED_TRACE(e.id);
    EXPECT_EQ(Text(e.id), e.english);
    EXPECT_EQ(Text(e.id + kLanguageTraditionalChinese), e.traditional);
    EXPECT_EQ(Text(e.id + kLanguageSimplifiedChinese), e.simplified);
    for (int offset : {0, 2000, 3000}) {
      const std::string text = Text(e.id + offset);
      EXPECT_LE(Characters(text), e.room) << offset;
      // Read through the reader's own limit, nothing is lost.
      EXPECT_EQ(ResourceText(e.id + offset, e.room), text) << offset;
    }
  }
}

TEST(StringTable, SaveFailureNamesTheFileInEveryLanguage) {
  for (int offset : {0, 2000, 3000}) {
    SCOPED_TRACE(offset);
    const std::string text = Text(124 + offset);
    ASSERT_NE(text, "<missing>");
    EXPECT_LE(Characters(text), kMessageFormatChars);
    EXPECT_EQ(Directives(text), "%s");
  }
  EXPECT_EQ(Text(124), "%s could not be saved.\n\nPlease check the disk and the folder, then try again.\n");
}

TEST(StringTable, EveryEntryIsValidUtf8AndOnlyFormatsCarryDirectives) {
  std::set<int> ids;
  for (const ResourceStringEntry& entry : kResourceStrings) {
    SCOPED_TRACE(entry.id);
    EXPECT_TRUE(ids.insert(entry.id).second) << "duplicate id";
    EXPECT_TRUE(ValidUtf8(entry.text));
    const int base = entry.id % 1000;
    // A stray directive in a plain text would read a missing argument.
    EXPECT_EQ(Directives(entry.text), base == 120 || base == 124 ? "%s" : "");
  }
  // Nothing but the identity strings and 110..124 in the three languages.
  EXPECT_EQ(ids.size(), 4u + 3u * 15u);
  for (int base = 110; base <= 124; ++base) {
    for (int offset : {0, 2000, 3000}) EXPECT_TRUE(ids.count(base + offset)) << base + offset;
  }
}

TEST(StringTable, MissingIdsAndCutsAtCharacterBoundaries) {
  char field[8];
  EXPECT_EQ(LoadResourceString(125, field, sizeof field), 0u);
  EXPECT_STREQ(field, "");
  EXPECT_EQ(LoadResourceString(1110, field, sizeof field), 0u);
  EXPECT_EQ(ResourceText(4110, 79), "");
  // "下載相片" is 12 bytes; a 8-byte field holds two characters and the terminator.
  EXPECT_EQ(LoadResourceString(2110, field, sizeof field), 6u);
  EXPECT_STREQ(field, "下載");
  EXPECT_EQ(ResourceText(3116, 2), "选择");
}

}  // namespace
