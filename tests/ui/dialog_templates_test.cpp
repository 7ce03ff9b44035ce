#include <gtest/gtest.h>

#include <string_view>

#include "ui/resources/dialog_templates.h"

namespace {

bool Overlap(const ControlRect& a, const ControlRect& b) {
  return a.left < b.left + b.width && b.left < a.left + a.width && a.top < b.top + b.height &&
         b.top < a.top + a.height;
}

TEST(DialogTemplates, LookupByIdAndLanguageOffset) {
  int offset = -1;
  const DialogTemplate* main = FindDialogTemplate(2101, &offset);
  ASSERT_NE(main, nullptr);
  EXPECT_EQ(main->id, 101);
  EXPECT_EQ(offset, 2000);
  ASSERT_NE(FindDialogTemplate(3103, &offset), nullptr);
  EXPECT_EQ(offset, 3000);
  ASSERT_NE(FindDialogTemplate(104, &offset), nullptr);
  EXPECT_EQ(offset, 0);
  // The progress dialog has one template for all languages.
  EXPECT_EQ(FindDialogTemplate(2104, nullptr), nullptr);
  EXPECT_EQ(FindDialogTemplate(102, nullptr), nullptr);
  EXPECT_EQ(FindDialogTemplate(1101, nullptr), nullptr);
}

TEST(DialogTemplates, MainWindowControlsAndPlaces) {
  const DialogTemplate& main = *FindDialogTemplate(101, nullptr);
  EXPECT_EQ(main.width, 471);
  EXPECT_EQ(main.height, 349);
  // Cells 110..118 on a 3 x 3 grid, 84 pixels apart across and 64 down.
  for (int i = 0; i < 9; ++i) {
    const DialogControl* cell = FindDialogControl(main, 110 + i);
    ASSERT_NE(cell, nullptr);
    EXPECT_EQ(cell->kind, ControlKind::kCell);
    EXPECT_EQ(cell->rect.left, 53 + 84 * (i % 3));
    EXPECT_EQ(cell->rect.top, 43 + 64 * (i / 3));
    EXPECT_EQ(cell->rect.width, 80);
    EXPECT_EQ(cell->rect.height, 60);
    EXPECT_FALSE(cell->enabled);
    EXPECT_TRUE(cell->hover_tracked);
  }
  struct Button {
    int id, bitmap, left, top, size;
    bool enabled;
  } buttons[] = {
      {120, 410, 192, 267, 52, true}, {121, 411, 85, 269, 42, true},   {122, 412, 137, 269, 42, true},
      {123, 413, 261, 267, 52, false}, {124, 414, 7, 240, 32, true},   {125, 415, 335, 210, 52, false},
      {126, 416, 392, 245, 52, false}, {127, 417, 324, 268, 52, false},
  };
  for (const Button& b : buttons) {
    SCOPED_TRACE(b.id);
    const DialogControl* c = FindDialogControl(main, b.id);
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(c->kind, ControlKind::kPictureButton);
    EXPECT_EQ(c->bitmap, b.bitmap);
    EXPECT_EQ(c->rect.left, b.left);
    EXPECT_EQ(c->rect.top, b.top);
    EXPECT_EQ(c->rect.width, b.size);
    EXPECT_EQ(c->rect.height, b.size);
    EXPECT_EQ(c->enabled, b.enabled);
    EXPECT_TRUE(c->hover_tracked);
  }
  // The buttons are set up in this order (the tooltips and the hover registry follow it).
  int order = 0;
  for (const DialogControl& c : main.controls) {
    if (c.kind == ControlKind::kPictureButton) {
      EXPECT_EQ(c.id, 120 + order++);
    }
  }
  EXPECT_EQ(order, 8);
  // No two controls of the window overlap.
  for (const DialogControl& a : main.controls) {
    for (const DialogControl& b : main.controls) {
      if (&a != &b) {
        EXPECT_FALSE(Overlap(a.rect, b.rect)) << a.id << " " << b.id;
      }
    }
  }
}

TEST(DialogTemplates, MainWindowLabelsPerLanguage) {
  const DialogTemplate& main = *FindDialogTemplate(101, nullptr);
  struct Label {
    int id;
    std::string_view en, tw, cn;
  } labels[] = {
      {128, "Pages:", "頁數:", "页面:"},
      {129, "00/00", "00/00", "00/00"},
      {130, "Selected:", "選擇:", "照片:"},
      {131, "00/00", "00/00", "00/00"},
  };
  const int tops[] = {105, 121, 148, 164};
  for (int i = 0; i < 4; ++i) {
    const DialogControl* c = FindDialogControl(main, labels[i].id);
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(c->kind, ControlKind::kLabel);
    EXPECT_FALSE(c->hover_tracked);
    EXPECT_EQ(c->rect.left, 370);
    EXPECT_EQ(c->rect.top, tops[i]);
    EXPECT_EQ(c->rect.width, 64);
    EXPECT_EQ(c->rect.height, 16);
    EXPECT_EQ(ControlText(*c, 0), labels[i].en);
    EXPECT_EQ(ControlText(*c, 2000), labels[i].tw);
    EXPECT_EQ(ControlText(*c, 3000), labels[i].cn);
    EXPECT_EQ(ControlText(*c, 1234), labels[i].en);  // unknown offsets speak English
  }
}

TEST(DialogTemplates, AdjustmentDialogTextsPerLanguage) {
  const DialogTemplate& dialog = *FindDialogTemplate(103, nullptr);
  EXPECT_EQ(DialogTitle(dialog, 0), "ImageProcess");
  EXPECT_EQ(DialogTitle(dialog, 2000), "影像處理");
  EXPECT_EQ(DialogTitle(dialog, 3000), "影像处理");

  struct Text {
    ControlKind kind;
    std::string_view en, tw, cn;
  } texts[] = {
      {ControlKind::kGroupBox, "ImageProcess", "影像處理", "影像处理"},
      {ControlKind::kLabel, "Brightness:", "亮度:", "亮度:"},
      {ControlKind::kLabel, "Contrast:", "對比:", "对比:"},
      {ControlKind::kCheckBox, "Increase Resolution", "數位放大", "数位放大"},
      {ControlKind::kRadioButton, "High Quality Mode", "優質模式", "优质模式"},
      {ControlKind::kRadioButton, "Normal Quality Mode", "高速模式", "高速模式"},
      {ControlKind::kStripButton, "OK", "確定", "确定"},
      {ControlKind::kStripButton, "Default", "預設值", "默认值"},
  };
  for (const Text& t : texts) {
    bool found = false;
    for (const DialogControl& c : dialog.controls) {
      if (c.kind != t.kind || ControlText(c, 0) != t.en) continue;
      found = true;
      EXPECT_EQ(ControlText(c, 2000), t.tw) << t.en;
      EXPECT_EQ(ControlText(c, 3000), t.cn) << t.en;
    }
    EXPECT_TRUE(found) << t.en;
  }

  struct Id {
    int id;
    ControlKind kind;
    std::string_view en;
  } ids[] = {
      {101, ControlKind::kSlider, ""},          {102, ControlKind::kLabel, "0"},
      {103, ControlKind::kSlider, ""},          {104, ControlKind::kLabel, "0"},
      {105, ControlKind::kCheckBox, "Increase Resolution"},
      {106, ControlKind::kRadioButton, "High Quality Mode"},
      {107, ControlKind::kRadioButton, "Normal Quality Mode"},
      {1, ControlKind::kStripButton, "OK"},     {108, ControlKind::kStripButton, "Default"},
  };
  for (const Id& i : ids) {
    const DialogControl* c = FindDialogControl(dialog, i.id);
    ASSERT_NE(c, nullptr) << i.id;
    EXPECT_EQ(c->kind, i.kind) << i.id;
    EXPECT_EQ(ControlText(*c, 0), i.en) << i.id;
  }
  // Cancel (2) comes from Escape and the close box; it has no control.
  EXPECT_EQ(FindDialogControl(dialog, 2), nullptr);
  for (int id : {1, 108}) {
    const DialogControl* c = FindDialogControl(dialog, id);
    EXPECT_EQ(c->bitmap, 402);
    EXPECT_EQ(c->rect.width, 72);  // one frame of the 216 x 36 strip
    EXPECT_EQ(c->rect.height, 36);
    EXPECT_TRUE(c->hover_tracked);
  }
  for (const DialogControl& c : dialog.controls) {
    EXPECT_LE(c.rect.left + c.rect.width, dialog.width) << c.id;
    EXPECT_LE(c.rect.top + c.rect.height, dialog.height) << c.id;
  }
}

TEST(DialogTemplates, ProgressDialog) {
  const DialogTemplate& dialog = *FindDialogTemplate(104, nullptr);
  EXPECT_FALSE(dialog.per_language);
  const DialogControl* text = FindDialogControl(dialog, 101);
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(ControlText(*text, 0), "Please wait...");
  EXPECT_TRUE(text->centred);
  ASSERT_NE(FindDialogControl(dialog, 204), nullptr);
  EXPECT_EQ(FindDialogControl(dialog, 204)->kind, ControlKind::kProgressBar);
  ASSERT_NE(FindDialogControl(dialog, 102), nullptr);
  bool icon = false, frame = false;
  for (const DialogControl& c : dialog.controls) {
    icon |= c.kind == ControlKind::kIcon && c.bitmap == 404;
    frame |= c.kind == ControlKind::kEtchedFrame;
    EXPECT_LE(c.rect.left + c.rect.width, dialog.width) << c.id;
    EXPECT_LE(c.rect.top + c.rect.height, dialog.height) << c.id;
  }
  EXPECT_TRUE(icon);
  EXPECT_TRUE(frame);
}

}  // namespace
