#include <gtest/gtest.h>

#include <QFile>
#include <QFont>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QImage>
#include <QRawFont>
#include <cmath>
#include <cstring>
#include <vector>

#include "ui/resources/artwork.h"
#include "ui/resources/artwork_table.h"
#include "ui/resources/dialog_templates.h"
#include "ui/resources/skin_region.h"
#include "ui/resources/string_table.h"

namespace {

double Channel(int c) {
  const double v = c / 255.0;
  return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
}

double Luminance(QRgb c) { return 0.2126 * Channel(qRed(c)) + 0.7152 * Channel(qGreen(c)) + 0.0722 * Channel(qBlue(c)); }

double Contrast(QRgb a, QRgb b) {
  double la = Luminance(a), lb = Luminance(b);
  if (la < lb) std::swap(la, lb);
  return (la + 0.05) / (lb + 0.05);
}

double Saturation(QRgb c) {
  const int hi = std::max({qRed(c), qGreen(c), qBlue(c)});
  const int lo = std::min({qRed(c), qGreen(c), qBlue(c)});
  return hi == 0 ? 0 : double(hi - lo) / hi;
}

class Artwork : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    static int argc = 1;
    static char name[] = "artwork_test";
    static char* argv[] = {name, nullptr};
    if (QGuiApplication::instance() == nullptr) app_ = new QGuiApplication(argc, argv);
  }
  static void TearDownTestSuite() {
    delete app_;
    app_ = nullptr;
  }

  // The skin's run rectangles, by the rule the window cuts its shape with.
  static std::vector<RegionRect> SkinRegion(const QImage& skin) {
    std::vector<RegionRect> rects;
    EXPECT_TRUE(SkinImageRectangles(skin, &rects));
    return rects;
  }

  static QGuiApplication* app_;
};
QGuiApplication* Artwork::app_ = nullptr;

TEST_F(Artwork, EveryPictureHasItsSizeFormatAndFrames) {
  for (const ArtworkEntry& e : kArtwork) {
    SCOPED_TRACE(e.id);
    const QImage image = LoadArtwork(e.id);
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.width(), e.width);
    EXPECT_EQ(image.height(), e.height);
    EXPECT_EQ(e.width % e.frames, 0);
    switch (e.format) {
      case ArtworkFormat::kIndexed8:
        EXPECT_EQ(image.format(), QImage::Format_Indexed8);
        EXPECT_LE(image.colorCount(), 256);
        break;
      case ArtworkFormat::kOpaque:
        EXPECT_FALSE(image.hasAlphaChannel());
        break;
      case ArtworkFormat::kAlpha:
        EXPECT_TRUE(image.hasAlphaChannel());
        // Round things: the corners are see-through.
        EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0);
        EXPECT_EQ(qAlpha(image.pixel(image.width() - 1, image.height() - 1)), 0);
        break;
    }
  }
  EXPECT_EQ(FindArtwork(401)->width, 100);
  EXPECT_EQ(FindArtwork(401)->height, 100);
  EXPECT_EQ(FindArtwork(402)->frames, 3);
  EXPECT_EQ(FindArtwork(405)->width, 20);
  EXPECT_EQ(FindArtwork(405)->height, 20);
  EXPECT_TRUE(ArtworkPath(999).isEmpty());
  EXPECT_TRUE(LoadArtwork(999).isNull());
  RegisterArtwork();  // registering again does no harm
  EXPECT_FALSE(LoadArtwork(400).isNull());
}

TEST_F(Artwork, ButtonStripsAreFourFramesOfTheButtonsSize) {
  const DialogTemplate& window = *FindDialogTemplate(kMainWindowTemplate, nullptr);
  int strips = 0;
  for (const DialogControl& c : window.controls) {
    if (c.kind != ControlKind::kPictureButton) continue;
    SCOPED_TRACE(c.id);
    ++strips;
    const ArtworkEntry* e = FindArtwork(c.bitmap);
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(c.bitmap, kFirstButtonStrip + (c.id - 120));
    EXPECT_EQ(e->frames, 4);
    EXPECT_EQ(e->width / 4, c.rect.width);
    EXPECT_EQ(e->height, c.rect.height);

    const QImage strip = LoadArtwork(c.bitmap).convertToFormat(QImage::Format_ARGB32);
    const int w = strip.width() / 4;
    double saturation[4] = {0, 0, 0, 0};
    std::vector<QImage> frames;
    for (int f = 0; f < 4; ++f) {
      const QImage frame = strip.copy(f * w, 0, w, strip.height());
      frames.push_back(frame);
      double sum = 0;
      int opaque = 0;
      for (int y = 0; y < frame.height(); ++y) {
        for (int x = 0; x < frame.width(); ++x) {
          const QRgb px = frame.pixel(x, y);
          if (qAlpha(px) < 250) continue;
          sum += Saturation(px);
          ++opaque;
        }
      }
      ASSERT_GT(opaque, w * w / 2) << "frame " << f << " is mostly empty";
      saturation[f] = sum / opaque;
    }
    // Four different looks, and the disabled one visibly grey.
    for (int a = 0; a < 4; ++a) {
      for (int b = a + 1; b < 4; ++b) EXPECT_NE(frames[a], frames[b]) << a << " " << b;
    }
    EXPECT_LT(saturation[kFrameDisabled], 0.15);
    EXPECT_GT(saturation[kFrameNormal], 0.4);
  }
  EXPECT_EQ(strips, 8);
}

TEST_F(Artwork, SkinIsIndexedWithARedKeyInTheTopLeftCorner) {
  QFile file(ArtworkPath(kSkinBitmap));
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const QByteArray bmp = file.readAll();
  ASSERT_GE(bmp.size(), 54);
  auto u16 = [&](int at) { return int(quint8(bmp[at])) | int(quint8(bmp[at + 1])) << 8; };
  auto u32 = [&](int at) { return quint32(u16(at)) | quint32(u16(at + 2)) << 16; };
  EXPECT_EQ(bmp.left(2), "BM");
  EXPECT_EQ(u32(18), 471u);
  EXPECT_EQ(u32(22), 349u);
  EXPECT_EQ(u16(28), 8);       // bits per pixel
  EXPECT_EQ(u32(30), 0u);      // uncompressed
  const quint32 colours = u32(46) == 0 ? 256 : u32(46);
  EXPECT_LE(colours, 256u);
  EXPECT_EQ(u32(10), 14u + u32(14) + 4u * colours);  // the colour table sits between header and pixels

  const QImage skin = LoadArtwork(kSkinBitmap);
  ASSERT_EQ(skin.format(), QImage::Format_Indexed8);
  const QRgb key = skin.color(skin.pixelIndex(0, 0));
  EXPECT_EQ(qRed(key), 255);
  EXPECT_EQ(qGreen(key), 0);
  EXPECT_EQ(qBlue(key), 0);
  // One entry of the table is the key; no other colour of the body is pure red.
  int red_entries = 0;
  for (QRgb entry : skin.colorTable()) red_entries += (entry & 0xFFFFFF) == 0xFF0000;
  EXPECT_EQ(red_entries, 1);
}

TEST_F(Artwork, SkinShapeIsOneFriendlyBodyHoldingEveryControl) {
  const QImage skin = LoadArtwork(kSkinBitmap);
  const std::vector<RegionRect> region = SkinRegion(skin);
  ASSERT_FALSE(region.empty());
  const QRgb key = skin.color(skin.pixelIndex(0, 0));

  // Key pixels lie only outside the body: flooding the key from the border
  // reaches every one of them, so the body has no red pinholes.
  const int w = skin.width(), h = skin.height();
  std::vector<char> outside(std::size_t(w) * h, 0);
  std::vector<std::pair<int, int>> stack;
  auto is_key = [&](int x, int y) { return skin.color(skin.pixelIndex(x, y)) == key; };
  for (int x = 0; x < w; ++x) {
    stack.emplace_back(x, 0);
    stack.emplace_back(x, h - 1);
  }
  for (int y = 0; y < h; ++y) {
    stack.emplace_back(0, y);
    stack.emplace_back(w - 1, y);
  }
  while (!stack.empty()) {
    auto [x, y] = stack.back();
    stack.pop_back();
    if (x < 0 || y < 0 || x >= w || y >= h || outside[std::size_t(y) * w + x] || !is_key(x, y)) continue;
    outside[std::size_t(y) * w + x] = 1;
    stack.emplace_back(x + 1, y);
    stack.emplace_back(x - 1, y);
    stack.emplace_back(x, y + 1);
    stack.emplace_back(x, y - 1);
  }
  int holes = 0;
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) holes += is_key(x, y) && !outside[std::size_t(y) * w + x];
  }
  EXPECT_EQ(holes, 0);

  // Not a rectangle: the rows do not all span the same columns, and the corners are cut.
  bool varies = false;
  for (const RegionRect& r : region) varies |= r.left != region.front().left || r.right != region.front().right;
  EXPECT_TRUE(varies);
  for (auto [x, y] : {std::pair{0, 0}, {w - 1, 0}, {0, h - 1}, {w - 1, h - 1}}) EXPECT_TRUE(is_key(x, y));
  // One piece: every opaque pixel is reached from the middle of the body, so
  // no island floats loose when the window is cut.
  std::vector<char> body(std::size_t(w) * h, 0);
  stack.emplace_back(w / 2, h / 2);
  while (!stack.empty()) {
    auto [x, y] = stack.back();
    stack.pop_back();
    if (x < 0 || y < 0 || x >= w || y >= h || body[std::size_t(y) * w + x] || is_key(x, y)) continue;
    body[std::size_t(y) * w + x] = 1;
    stack.emplace_back(x + 1, y);
    stack.emplace_back(x - 1, y);
    stack.emplace_back(x, y + 1);
    stack.emplace_back(x, y - 1);
  }
  int islands = 0;
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) islands += !is_key(x, y) && !body[std::size_t(y) * w + x];
  }
  EXPECT_EQ(islands, 0);

  const DialogTemplate& window = *FindDialogTemplate(kMainWindowTemplate, nullptr);
  EXPECT_EQ(window.width, w);
  EXPECT_EQ(window.height, h);
  for (const DialogControl& c : window.controls) {
    EXPECT_TRUE(RegionCoversRect(region, c.rect.left, c.rect.top, c.rect.width, c.rect.height)) << c.id;
  }
}

TEST_F(Artwork, TheShapeDoesNotDependOnHowTheSkinIsHeld) {
  // A skin converted to true colour keeps its shape; a format without a rule gives none.
  const QImage skin = LoadArtwork(kSkinBitmap);
  const std::vector<RegionRect> indexed = SkinRegion(skin);
  for (QImage::Format format : {QImage::Format_RGB32, QImage::Format_RGB888, QImage::Format_ARGB32}) {
    std::vector<RegionRect> rects;
    EXPECT_TRUE(SkinImageRectangles(skin.convertToFormat(format), &rects)) << format;
    EXPECT_EQ(rects, indexed) << format;
  }
  std::vector<RegionRect> rects = indexed;
  EXPECT_FALSE(SkinImageRectangles(skin.convertToFormat(QImage::Format_Mono), &rects));
  EXPECT_TRUE(rects.empty());

  const QCursor hand = LoadHandCursor();
  EXPECT_EQ(hand.hotSpot(), QPoint(kHandCursorHotX, kHandCursorHotY));
  EXPECT_EQ(hand.pixmap().size(), QSize(32, 32));
}

TEST_F(Artwork, SeatsSetTheControlsApartFromTheBody) {
  // The thumbnails sit in a dark screen and the counters on a light panel, so
  // a cell's empty fill and the blue counter text both stand out.
  const QImage skin = LoadArtwork(kSkinBitmap).convertToFormat(QImage::Format_RGB32);
  const DialogTemplate& window = *FindDialogTemplate(kMainWindowTemplate, nullptr);
  for (const DialogControl& c : window.controls) {
    if (c.kind == ControlKind::kCell) {
      // Just outside the cell: its slot in the screen.
      EXPECT_LT(Luminance(skin.pixel(c.rect.left - 1, c.rect.top + c.rect.height / 2)), 0.08) << c.id;
    } else if (c.kind == ControlKind::kLabel) {
      EXPECT_GT(Contrast(skin.pixel(c.rect.left + c.rect.width / 2, c.rect.top + 1), qRgb(0, 0, 255)), 4.5) << c.id;
    }
  }
}

TEST_F(Artwork, PatternKeepsBlueTextReadable) {
  const QImage pattern = LoadArtwork(kPatternBitmap);
  double worst = 100;
  for (int y = 0; y < pattern.height(); ++y) {
    for (int x = 0; x < pattern.width(); ++x) worst = std::min(worst, Contrast(pattern.pixel(x, y), qRgb(0, 0, 255)));
  }
  EXPECT_GE(worst, 4.5);  // the usual bar for body text
}

TEST_F(Artwork, DialogStripLeavesRoomForAWhiteLabel) {
  const QImage strip = LoadArtwork(kDialogButtonStrip);
  const int w = strip.width() / 3;
  EXPECT_EQ(w, 72);
  const DialogTemplate& dialog = *FindDialogTemplate(kAdjustDialogTemplate, nullptr);
  EXPECT_EQ(FindDialogControl(dialog, 1)->rect.width, w);
  EXPECT_EQ(FindDialogControl(dialog, 1)->rect.height, strip.height());
  for (int f = 0; f < 3; ++f) {
    // The middle of each frame, where the label goes, is plain and dark enough for white.
    for (int y = 12; y < 24; ++y) {
      for (int x = f * w + 12; x < f * w + w - 12; ++x) {
        const QRgb px = strip.pixel(x, y);
        ASSERT_EQ(qAlpha(px), 255) << f << " " << x << "," << y;
        ASSERT_GE(Contrast(px, qRgb(255, 255, 255)), 3.0) << f << " " << x << "," << y;
      }
    }
  }
}

TEST_F(Artwork, CursorIconAndClipMarker) {
  const QImage hand = LoadArtwork(kHandCursor);
  ASSERT_TRUE(QRect(0, 0, 32, 32).contains(kHandCursorHotX, kHandCursorHotY));
  // The hot spot is on the finger tip: drawn there, nothing drawn above it.
  EXPECT_GT(qAlpha(hand.pixel(kHandCursorHotX, kHandCursorHotY)), 0);
  for (int y = 0; y < kHandCursorHotY; ++y) EXPECT_LT(qAlpha(hand.pixel(kHandCursorHotX, y)), 40);

  const QImage icon = LoadArtwork(kProgressIcon);
  EXPECT_GT(qAlpha(icon.pixel(16, 16)), 200);

  // Readable over any thumbnail: both very dark and very light parts.
  const QImage marker = LoadArtwork(kClipMarker);
  double darkest = 1, lightest = 0;
  for (int y = 0; y < marker.height(); ++y) {
    for (int x = 0; x < marker.width(); ++x) {
      darkest = std::min(darkest, Luminance(marker.pixel(x, y)));
      lightest = std::max(lightest, Luminance(marker.pixel(x, y)));
    }
  }
  EXPECT_LT(darkest, 0.05);
  EXPECT_GT(lightest, 0.6);
}

TEST_F(Artwork, EveryTemplateTextFitsItsControlInEveryLanguage) {
  QFont font(QStringList{"DejaVu Sans", "WenQuanYi Micro Hei"});
  font.setPixelSize(kDialogFontPixels);
  const QFontMetrics metrics(font);
  for (const DialogTemplate& d : kDialogTemplates) {
    for (const DialogControl& c : d.controls) {
      if (c.kind == ControlKind::kCell || c.kind == ControlKind::kPictureButton) continue;  // texts never drawn
      for (int offset : {0, 2000, 3000}) {
        const std::string_view t = ControlText(c, offset);
        const QString text = QString::fromUtf8(t.data(), qsizetype(t.size()));
        int room = c.rect.width;
        if (c.kind == ControlKind::kCheckBox || c.kind == ControlKind::kRadioButton) room -= kIndicatorRoom;
        if (c.kind == ControlKind::kGroupBox || c.kind == ControlKind::kStripButton) room -= 16;
        EXPECT_LE(metrics.horizontalAdvance(text), room) << d.id << "/" << c.id << " " << t;
        EXPECT_LE(metrics.height(), c.rect.height + 1) << d.id << "/" << c.id;
      }
    }
  }
}

TEST_F(Artwork, ACjkFontDrawsEveryChineseText) {
  const QStringList traditional = QFontDatabase::families(QFontDatabase::TraditionalChinese);
  const QStringList simplified = QFontDatabase::families(QFontDatabase::SimplifiedChinese);
  ASSERT_FALSE(traditional.isEmpty()) << "no Traditional Chinese font: install fonts-wqy-microhei";
  ASSERT_FALSE(simplified.isEmpty()) << "no Simplified Chinese font: install fonts-wqy-microhei";

  // Every character the source may show in Chinese, from the strings and the templates.
  QString texts;
  for (const ResourceStringEntry& e : kResourceStrings) {
    if (e.id >= 2000) texts += QString::fromUtf8(e.text.data(), qsizetype(e.text.size()));
  }
  for (const DialogTemplate& d : kDialogTemplates) {
    for (const DialogControl& c : d.controls) {
      for (int offset : {2000, 3000}) {
        const std::string_view t = ControlText(c, offset);
        texts += QString::fromUtf8(t.data(), qsizetype(t.size()));
      }
    }
  }
  bool drawn = false;
  for (const QString& family : traditional) {
    if (!simplified.contains(family)) continue;
    const QRawFont raw = QRawFont::fromFont(QFont(family));
    bool all = raw.isValid();
    for (QChar ch : texts) {
      if (ch.unicode() >= 0x2E80 && !raw.supportsCharacter(ch)) {
        all = false;
        break;
      }
    }
    drawn |= all;
  }
  EXPECT_TRUE(drawn) << "no installed font covers every Chinese text";
}

}  // namespace
