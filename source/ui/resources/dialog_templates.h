// The dialog templates as data: which controls each window has, their ids,
// kinds, places in pixels and texts in the three languages. The window and
// dialog code builds its widgets from these tables and never spells a text or
// a position itself. Qt-free.
#pragma once

#include <span>
#include <string_view>

// Resource ids of the templates; 101 and 103 are looked up at id + language
// offset, 104 is the same in every language.
constexpr int kMainWindowTemplate = 101;
constexpr int kAdjustDialogTemplate = 103;
constexpr int kProgressDialogTemplate = 104;

// Pixel size of the text of every template's controls: the fixed 64 x 16
// labels of the main window hold "Selected:" at this size.
constexpr int kDialogFontPixels = 12;

// Room a check box or radio button keeps for its mark left of its text.
constexpr int kIndicatorRoom = 22;

enum class ControlKind {
  kCell,           // owner-drawn thumbnail cell that reports clicks
  kPictureButton,  // owner-drawn push button drawn from a four-frame strip
  kLabel,          // static text on the pattern background
  kGroupBox,
  kSlider,         // horizontal
  kCheckBox,
  kRadioButton,
  kStripButton,    // owner-drawn push button drawn from the three-frame strip 402
  kEtchedFrame,
  kIcon,
  kProgressBar,
};

struct ControlRect {
  int left;
  int top;
  int width;
  int height;
};

// Texts indexed by LanguageIndex: English, Traditional Chinese, Simplified Chinese.
using LanguageTexts = std::string_view[3];

struct DialogControl {
  int id;  // -1 for controls nobody addresses (group box, fixed labels, frame)
  ControlKind kind;
  ControlRect rect;
  LanguageTexts text;
  int bitmap;        // 410..417 for picture buttons, 402 for strip buttons, 404 for the icon, else 0
  bool enabled;      // state right after the window starts
  bool hover_tracked;
  bool centred;      // text centred in its rectangle
};

struct DialogTemplate {
  int id;
  LanguageTexts title;
  int width;  // client size in pixels
  int height;
  bool per_language;  // looked up at id + language offset
  std::span<const DialogControl> controls;
};

// 0, 1 or 2 for the offsets 0, 2000 and 3000; anything else counts as English.
constexpr int LanguageIndex(int language_offset) {
  return language_offset == 2000 ? 1 : language_offset == 3000 ? 2 : 0;
}

// Main window: skin-sized, caption-less. The cells sit in a 3 x 3 grid with
// 4 pixels between them; the buttons are one frame of their strip large.
inline constexpr DialogControl kMainWindowControls[] = {
    {110, ControlKind::kCell, {53, 43, 80, 60}, {"Picture0", "Picture0", "Picture0"}, 0, false, true, false},
    {111, ControlKind::kCell, {137, 43, 80, 60}, {"Picture1", "Picture1", "Picture1"}, 0, false, true, false},
    {112, ControlKind::kCell, {221, 43, 80, 60}, {"Picture2", "Picture2", "Picture2"}, 0, false, true, false},
    {113, ControlKind::kCell, {53, 107, 80, 60}, {"Picture3", "Picture3", "Picture3"}, 0, false, true, false},
    {114, ControlKind::kCell, {137, 107, 80, 60}, {"Picture4", "Picture4", "Picture4"}, 0, false, true, false},
    {115, ControlKind::kCell, {221, 107, 80, 60}, {"Picture5", "Picture5", "Picture5"}, 0, false, true, false},
    {116, ControlKind::kCell, {53, 171, 80, 60}, {"Picture6", "Picture6", "Picture6"}, 0, false, true, false},
    {117, ControlKind::kCell, {137, 171, 80, 60}, {"Picture7", "Picture7", "Picture7"}, 0, false, true, false},
    {118, ControlKind::kCell, {221, 171, 80, 60}, {"Picture8", "Picture8", "Picture8"}, 0, false, true, false},
    // Picture buttons in the order the window sets them up; their template
    // texts are never drawn (the tooltips come from the string table).
    {120, ControlKind::kPictureButton, {192, 267, 52, 52}, {}, 410, true, true, false},
    {121, ControlKind::kPictureButton, {85, 269, 42, 42}, {}, 411, true, true, false},
    {122, ControlKind::kPictureButton, {137, 269, 42, 42}, {}, 412, true, true, false},
    {123, ControlKind::kPictureButton, {261, 267, 52, 52}, {}, 413, false, true, false},
    {124, ControlKind::kPictureButton, {7, 240, 32, 32}, {}, 414, true, true, false},
    {125, ControlKind::kPictureButton, {335, 210, 52, 52}, {}, 415, false, true, false},
    {126, ControlKind::kPictureButton, {392, 245, 52, 52}, {}, 416, false, true, false},
    {127, ControlKind::kPictureButton, {324, 268, 52, 52}, {}, 417, false, true, false},
    {128, ControlKind::kLabel, {370, 105, 64, 16}, {"Pages:", "頁數:", "页面:"}, 0, true, false, false},
    {129, ControlKind::kLabel, {370, 121, 64, 16}, {"00/00", "00/00", "00/00"}, 0, true, false, false},
    {130, ControlKind::kLabel, {370, 148, 64, 16}, {"Selected:", "選擇:", "照片:"}, 0, true, false, false},
    {131, ControlKind::kLabel, {370, 164, 64, 16}, {"00/00", "00/00", "00/00"}, 0, true, false, false},
};

// Image adjustment dialog. Buttons 1 and 108 are one frame (72 x 36) of the
// strip; the check box 105 is hidden at start when the installation does not
// offer the resolution increase.
inline constexpr DialogControl kAdjustDialogControls[] = {
    {-1, ControlKind::kGroupBox, {10, 6, 300, 170}, {"ImageProcess", "影像處理", "影像处理"}, 0, true, false, false},
    {-1, ControlKind::kLabel, {24, 34, 88, 18}, {"Brightness:", "亮度:", "亮度:"}, 0, true, false, false},
    {101, ControlKind::kSlider, {114, 32, 142, 22}, {}, 0, true, false, false},
    {102, ControlKind::kLabel, {262, 34, 36, 18}, {"0", "0", "0"}, 0, true, false, false},
    {-1, ControlKind::kLabel, {24, 66, 88, 18}, {"Contrast:", "對比:", "对比:"}, 0, true, false, false},
    {103, ControlKind::kSlider, {114, 64, 142, 22}, {}, 0, true, false, false},
    {104, ControlKind::kLabel, {262, 66, 36, 18}, {"0", "0", "0"}, 0, true, false, false},
    {105, ControlKind::kCheckBox, {24, 96, 272, 20}, {"Increase Resolution", "數位放大", "数位放大"}, 0, true, false, false},
    {106, ControlKind::kRadioButton, {24, 120, 272, 20}, {"High Quality Mode", "優質模式", "优质模式"}, 0, true, false, false},
    {107, ControlKind::kRadioButton, {24, 144, 272, 20}, {"Normal Quality Mode", "高速模式", "高速模式"}, 0, true, false, false},
    {1, ControlKind::kStripButton, {56, 188, 72, 36}, {"OK", "確定", "确定"}, 402, true, true, true},
    {108, ControlKind::kStripButton, {192, 188, 72, 36}, {"Default", "預設值", "默认值"}, 402, true, true, true},
};

// Progress dialog: no caption, a thin frame, the same in every language.
inline constexpr DialogControl kProgressDialogControls[] = {
    {-1, ControlKind::kEtchedFrame, {6, 6, 378, 73}, {}, 0, true, false, false},
    {-1, ControlKind::kIcon, {18, 26, 32, 32}, {}, 404, true, false, false},
    {101, ControlKind::kLabel, {62, 14, 310, 18}, {"Please wait...", "Please wait...", "Please wait..."}, 0, true, false, true},
    {204, ControlKind::kProgressBar, {62, 35, 310, 16}, {}, 0, true, false, false},
    {102, ControlKind::kLabel, {62, 55, 310, 18}, {"", "", ""}, 0, true, false, true},
};

inline constexpr DialogTemplate kDialogTemplates[] = {
    {kMainWindowTemplate, {"", "", ""}, 471, 349, true, kMainWindowControls},
    {kAdjustDialogTemplate, {"ImageProcess", "影像處理", "影像处理"}, 320, 236, true, kAdjustDialogControls},
    {kProgressDialogTemplate, {"", "", ""}, 390, 85, false, kProgressDialogControls},
};

// The template for a resource id as the window asks for it (base id + language
// offset, or 104 alone); null for ids that do not exist, such as 2104.
// `language_offset` (may be null) receives the offset the id carried.
const DialogTemplate* FindDialogTemplate(int resource_id, int* language_offset);

// The control with `id` in a template; null when it has none.
const DialogControl* FindDialogControl(const DialogTemplate& dialog, int id);

inline std::string_view ControlText(const DialogControl& control, int language_offset) {
  return control.text[LanguageIndex(language_offset)];
}

inline std::string_view DialogTitle(const DialogTemplate& dialog, int language_offset) {
  return dialog.title[LanguageIndex(language_offset)];
}
