// Which of the three languages the source speaks. The choice works on a
// Windows-style language id (primary language in the low 10 bits, sublanguage
// above), which the locale is first mapped to. Qt-free.
#pragma once

#include <cstdint>

constexpr std::uint16_t kLangChinese = 0x04;
constexpr std::uint16_t kSublangChineseTraditional = 1;  // Taiwan
constexpr std::uint16_t kSublangChineseSimplified = 2;   // PRC
constexpr std::uint16_t kSublangChineseHongKong = 3;
constexpr std::uint16_t kSublangChineseSingapore = 4;
constexpr std::uint16_t kSublangChineseMacau = 5;
constexpr std::uint16_t kLangIdEnglishUs = 0x0409;

constexpr std::uint16_t MakeLangId(std::uint16_t primary, std::uint16_t sublanguage) {
  return static_cast<std::uint16_t>((sublanguage << 10) | primary);
}

// 0 (English), 2000 (Traditional Chinese) or 3000 (Simplified Chinese).
int LanguageOffsetForLangId(std::uint16_t lang_id);

// The language id of one locale name such as "zh_TW.UTF-8" or "de_DE@euro".
// Chinese locales get their sublanguage ("zh" alone counts as the PRC); every
// other locale, "C" and "POSIX" included, maps to US English, since the source
// only tells Chinese from the rest.
std::uint16_t LangIdFromLocaleName(const char* locale);

// The locale that decides the messages' language: the first of LC_ALL,
// LC_MESSAGES and LANG that is set and not empty (null when none is).
const char* ChooseMessagesLocale(const char* lc_all, const char* lc_messages, const char* lang);

// The stand-in for the system's default language: the process environment
// read through ChooseMessagesLocale and LangIdFromLocaleName.
std::uint16_t SystemDefaultLangId();
