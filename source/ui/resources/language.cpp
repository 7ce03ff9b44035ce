#include "ui/resources/language.h"

#include <cstdlib>
#include <string_view>

namespace {

bool EqualNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
}

}  // namespace

int LanguageOffsetForLangId(std::uint16_t lang_id) {
  const int primary = lang_id & 0x3FF;
  const int sublanguage = lang_id >> 10;
  if (primary != kLangChinese) return 0;
  return sublanguage == kSublangChineseTraditional ? 2000 : 3000;
}

std::uint16_t LangIdFromLocaleName(const char* locale) {
  if (locale == nullptr) return kLangIdEnglishUs;
  // language[_territory][.codeset][@modifier]
  std::string_view name(locale);
  name = name.substr(0, name.find_first_of(".@"));
  const std::size_t bar = name.find_first_of("_-");
  const std::string_view language = name.substr(0, bar);
  const std::string_view territory = bar == std::string_view::npos ? std::string_view() : name.substr(bar + 1);
  if (!EqualNoCase(language, "zh")) return kLangIdEnglishUs;

  struct Territory {
    std::string_view code;
    std::uint16_t sublanguage;
  };
  static constexpr Territory kTerritories[] = {
      {"TW", kSublangChineseTraditional}, {"CN", kSublangChineseSimplified}, {"HK", kSublangChineseHongKong},
      {"SG", kSublangChineseSingapore},   {"MO", kSublangChineseMacau},
  };
  for (const Territory& t : kTerritories) {
    if (EqualNoCase(territory, t.code)) return MakeLangId(kLangChinese, t.sublanguage);
  }
  return MakeLangId(kLangChinese, kSublangChineseSimplified);
}

const char* ChooseMessagesLocale(const char* lc_all, const char* lc_messages, const char* lang) {
  for (const char* value : {lc_all, lc_messages, lang}) {
    if (value != nullptr && value[0] != '\0') return value;
  }
  return nullptr;
}

std::uint16_t SystemDefaultLangId() {
  return LangIdFromLocaleName(
      ChooseMessagesLocale(std::getenv("LC_ALL"), std::getenv("LC_MESSAGES"), std::getenv("LANG")));
}
