// The source's string resources, addressed by id + language offset
// (0 English, 2000 Traditional Chinese, 3000 Simplified Chinese). UTF-8.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

constexpr int kLanguageEnglish = 0;
constexpr int kLanguageTraditionalChinese = 2000;
constexpr int kLanguageSimplifiedChinese = 3000;

// Finds a resource; false when the id does not exist.
bool FindResourceString(int id, std::string_view* text);

// Copies the resource into a fixed field of `size` bytes, terminator included,
// cut at a character boundary; returns the bytes copied without the
// terminator, 0 (and an empty field) when the id does not exist.
std::size_t LoadResourceString(int id, char* buffer, std::size_t size);

// The resource cut to at most `max_chars` characters; empty when missing.
std::string ResourceText(int id, std::size_t max_chars);

// The longest prefix of `text` that fits `max_bytes` without splitting a character.
std::size_t Utf8PrefixBytes(std::string_view text, std::size_t max_bytes);

// Room the readers give each text, in characters without the terminator.
constexpr std::size_t kButtonTipChars = 79;       // tooltips of buttons 120..127 (110, 112..118)
constexpr std::size_t kPhotoWordChars = 15;       // 111 inside a picture's tooltip
constexpr std::size_t kMessageCaptionChars = 31;  // 118 as a message box caption
constexpr std::size_t kMessageFormatChars = 259;  // 120 and 124, before the path goes in
constexpr std::size_t kSavedTextChars = 63;       // 121
constexpr std::size_t kMessageTextChars = 259;    // 119, 122, 123
