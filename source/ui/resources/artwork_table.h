// The source's pictures: resource id, file inside the embedded art folder,
// size and frame layout. The generator writes exactly these, the window loads
// them, and the tests hold the files to these sizes. Qt-free.
#pragma once

#include <string_view>

constexpr int kSkinBitmap = 400;
constexpr int kPatternBitmap = 401;
constexpr int kDialogButtonStrip = 402;
constexpr int kHandCursor = 403;
constexpr int kProgressIcon = 404;
constexpr int kClipMarker = 405;
constexpr int kFirstButtonStrip = 410;  // 410..417 in the order of buttons 120..127

enum class ArtworkFormat {
  kIndexed8,  // 8 bits per pixel with a colour table (the skin: its key must stay one exact colour)
  kOpaque,    // 24-bit colour, no transparency
  kAlpha,     // 32-bit colour with alpha (round buttons, cursor, icon)
};

struct ArtworkEntry {
  int id;
  std::string_view file;
  int width;
  int height;
  int frames;  // equal-width frames side by side
  ArtworkFormat format;
};

inline constexpr ArtworkEntry kArtwork[] = {
    {400, "skin.bmp", 471, 349, 1, ArtworkFormat::kIndexed8},
    {401, "pattern.png", 100, 100, 1, ArtworkFormat::kOpaque},
    {402, "dialog_buttons.png", 216, 36, 3, ArtworkFormat::kAlpha},
    {403, "hand_cursor.png", 32, 32, 1, ArtworkFormat::kAlpha},
    {404, "progress_icon.png", 32, 32, 1, ArtworkFormat::kAlpha},
    {405, "clip_marker.png", 20, 20, 1, ArtworkFormat::kOpaque},
    {410, "button_download.png", 208, 52, 4, ArtworkFormat::kAlpha},
    {411, "button_previous.png", 168, 42, 4, ArtworkFormat::kAlpha},
    {412, "button_next.png", 168, 42, 4, ArtworkFormat::kAlpha},
    {413, "button_transfer.png", 208, 52, 4, ArtworkFormat::kAlpha},
    {414, "button_close.png", 128, 32, 4, ArtworkFormat::kAlpha},
    {415, "button_select_all.png", 208, 52, 4, ArtworkFormat::kAlpha},
    {416, "button_edit_image.png", 208, 52, 4, ArtworkFormat::kAlpha},
    {417, "button_save.png", 208, 52, 4, ArtworkFormat::kAlpha},
};

// Frames of a picture-button strip, left to right.
enum ButtonFrame { kFrameNormal = 0, kFrameHover = 1, kFramePressed = 2, kFrameDisabled = 3 };

// The pixel of the hand cursor that points: the tip of the index finger.
constexpr int kHandCursorHotX = 11;
constexpr int kHandCursorHotY = 1;

// The skin's key colour, outside the window's shape.
constexpr unsigned kSkinKeyRed = 255, kSkinKeyGreen = 0, kSkinKeyBlue = 0;

constexpr const ArtworkEntry* FindArtwork(int id) {
  for (const ArtworkEntry& entry : kArtwork) {
    if (entry.id == id) return &entry;
  }
  return nullptr;
}
