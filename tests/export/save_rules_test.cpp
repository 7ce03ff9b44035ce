// The save target's rules, the save dialog's answers and setup, the BMP writer
// and the replacement through a temporary file.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFileDialog>
#include <QImage>
#include <QTimer>

#include "export/bmp_writer.h"
#include "export/file_replace.h"
#include "export/save_target.h"
#include "export_fixture.h"
#include "platform/qt_host.h"
#include "support/temp_dir.h"
#include "ui/save_dialog.h"
#include "ui/save_dialog_qt.h"

TEST(SaveTargetTest, BaseNamesLoseOnlyTheLastExtension) {
  struct Case {
    const char* path;
    int filter;
    const char* base;
    int offset;
    const char* first_photo;
    const char* first_clip;
  };
  const Case cases[] = {
      {"/pics/photo", 1, "/pics/photo", 6, "/pics/photo001.jpg", "/pics/video001.avi"},
      {"/pics/photo.jpg", 1, "/pics/photo", 6, "/pics/photo001.jpg", "/pics/video001.avi"},
      {"/pics/trip", 2, "/pics/trip", 6, "/pics/trip001.bmp", "/pics/video001.avi"},
      {"/pics/my.trip.jpg", 1, "/pics/my.trip", 6, "/pics/my.trip001.jpg", "/pics/video001.avi"},
      // The filter decides the type, never the typed extension.
      {"/pics/holiday.jpg", 2, "/pics/holiday", 6, "/pics/holiday001.bmp", "/pics/video001.avi"},
      {"/pics/trip.", 1, "/pics/trip.", 6, "/pics/trip.001.jpg", "/pics/video001.avi"},
      // A dot in a folder name is not an extension.
      {"/my.pics/trip", 1, "/my.pics/trip", 9, "/my.pics/trip001.jpg", "/my.pics/video001.avi"},
      // The root folder.
      {"/photo.jpg", 1, "/photo", 1, "/photo001.jpg", "/video001.avi"},
      // No folder at all: clips go to the working folder.
      {"photo.jpg", 1, "photo", 0, "photo001.jpg", "./video001.avi"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    SaveTarget target;
    ASSERT_TRUE(ApplySavePath(c.path, c.filter, &target));
    EXPECT_EQ(target.save_base, c.base);
    EXPECT_EQ(target.save_type, c.filter);
    EXPECT_EQ(target.save_name_offset, c.offset);
    EXPECT_EQ(PhotoFileName(target, 1), c.first_photo);
    EXPECT_EQ(ClipFileName(target, 1), c.first_clip);
  }
}

TEST(SaveTargetTest, NumbersGrowPastThreeDigits) {
  SaveTarget target;
  ASSERT_TRUE(ApplySavePath("/pics/photo.jpg", 1, &target));
  EXPECT_EQ(PhotoFileName(target, 999), "/pics/photo999.jpg");
  EXPECT_EQ(PhotoFileName(target, 1000), "/pics/photo1000.jpg");
  EXPECT_EQ(ClipFileName(target, 1000), "/pics/video1000.avi");
}

TEST(SaveTargetTest, UnusablePathsAreRefused) {
  SaveTarget target;
  EXPECT_FALSE(ApplySavePath("", 1, &target));
  EXPECT_FALSE(ApplySavePath("/pics/", 1, &target));
  EXPECT_FALSE(ApplySavePath("/" + std::string(kMaxSavePath, 'a'), 1, &target));
}

TEST(SaveDialogTest, UnattendedAnswers) {
  struct Case {
    const char* value;
    bool accepted;
    const char* path;
    int filter;
  };
  const Case cases[] = {
      {"/pics/photo", true, "/pics/photo", kSaveFilterJpeg},
      {"/pics/photo;jpg", true, "/pics/photo", kSaveFilterJpeg},
      {"/pics/photo;bmp", true, "/pics/photo", kSaveFilterBmp},
      {"/pics/a;b", true, "/pics/a;b", kSaveFilterJpeg},
      {"", false, "", 0},
      {";bmp", false, "", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.value);
    SaveDialogChoice choice;
    EXPECT_EQ(ParseSaveAsAnswer(c.value, &choice), c.accepted);
    if (c.accepted) {
      EXPECT_EQ(choice.path, c.path);
      EXPECT_EQ(choice.filter_index, c.filter);
    }
  }
}

TEST(SaveDialogTest, UnattendedDialogCancelsWithoutAnAnswerAndKeepsTheFilter) {
  TempDir dir;
  setenv("SNAPSRC_UNATTENDED", dir.File("boxes.log").c_str(), 1);
  ResetSaveDialogState();
  SaveDialogChoice choice;
  unsetenv("SNAPSRC_SAVE_AS");
  EXPECT_FALSE(ShowSaveDialog(nullptr, &choice));
  setenv("SNAPSRC_SAVE_AS", "/pics/x;bmp", 1);
  EXPECT_TRUE(ShowSaveDialog(nullptr, &choice));
  EXPECT_EQ(save_dialog_state.filter_index, kSaveFilterBmp);
  unsetenv("SNAPSRC_SAVE_AS");
  unsetenv("SNAPSRC_UNATTENDED");
  ResetSaveDialogState();
}

TEST(SaveDialogTest, QtDialogOffersBothTypesInOrderAndStartsWithPhoto) {
  ASSERT_TRUE(EnsureQtApplication());
  for (int remembered : {kSaveFilterJpeg, kSaveFilterBmp}) {
    save_dialog_state.filter_index = remembered;
    QFileDialog dialog;
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    ConfigureSaveDialog(dialog);
    EXPECT_EQ(dialog.nameFilters(), (QStringList{"JPG File (*.jpg)", "BMP File (*.bmp)"}));
    EXPECT_EQ(dialog.selectedNameFilter(), dialog.nameFilters()[remembered - 1]);
    EXPECT_EQ(dialog.acceptMode(), QFileDialog::AcceptSave);
    EXPECT_TRUE(dialog.testOption(QFileDialog::DontConfirmOverwrite));
    EXPECT_TRUE(dialog.defaultSuffix().isEmpty());
    ASSERT_FALSE(dialog.selectedFiles().isEmpty());
    EXPECT_TRUE(dialog.selectedFiles().first().endsWith("/photo"));
  }
  ResetSaveDialogState();
}

// The real dialog, answered by a timer as a user would: a name typed with one
// extension and the other filter chosen.
TEST(SaveDialogTest, QtDialogReturnsThePathAndTheChosenFilterAndRemembersIt) {
  ASSERT_TRUE(EnsureQtApplication());
  unsetenv("SNAPSRC_UNATTENDED");
  ResetSaveDialogState();
  TempDir dir;
  for (int filter : {kSaveFilterBmp, kSaveFilterJpeg}) {
    QTimer::singleShot(0, [&] {
      auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
      ASSERT_NE(dialog, nullptr);
      dialog->setDirectory(QString::fromStdString(dir.path()));
      dialog->selectNameFilter(dialog->nameFilters()[filter - 1]);
      dialog->selectFile(QString::fromStdString(dir.File("holiday.jpg")));
      static_cast<QDialog*>(dialog)->accept();
    });
    SaveDialogChoice choice;
    ASSERT_TRUE(ShowSaveDialog(nullptr, &choice));
    EXPECT_EQ(choice.path, dir.File("holiday.jpg"));
    EXPECT_EQ(choice.filter_index, filter);
    EXPECT_EQ(save_dialog_state.filter_index, filter);
  }
  QTimer::singleShot(0, [] {
    if (QWidget* dialog = QApplication::activeModalWidget()) qobject_cast<QDialog*>(dialog)->reject();
  });
  SaveDialogChoice choice;
  EXPECT_FALSE(ShowSaveDialog(nullptr, &choice));
  ResetSaveDialogState();
}

TEST(BmpWriterTest, HeaderAndLengthOfA320x240Photo) {
  std::vector<uint8_t> header = BuildBmpHeader(320, 240);
  ASSERT_EQ(header.size(), 54u);
  EXPECT_EQ(header[0], 'B');
  EXPECT_EQ(header[1], 'M');
  EXPECT_EQ(header[2] | header[3] << 8 | header[4] << 16, 230454);
  EXPECT_EQ(header[10], 54);
  EXPECT_EQ(header[14], 40);
  EXPECT_EQ(header[26], 1);
  EXPECT_EQ(header[28], 24);
  EXPECT_EQ(header[34] | header[35] << 8 | header[36] << 16, 230400);
  EXPECT_EQ(BmpFileBytes(320, 240), 230454u);
}

TEST(BmpWriterTest, QtReadsThePixelsBack) {
  TempDir dir;
  const int w = 6, h = 3;  // 18-byte rows: the writer pads them to 20
  std::vector<uint8_t> bits(static_cast<std::size_t>(w) * h * 3);
  for (std::size_t i = 0; i < bits.size(); ++i) bits[i] = static_cast<uint8_t>(i * 7);
  ASSERT_EQ(WriteBmpFile(dir.File("a.bmp").c_str(), bits.data(), w, h), 1);
  EXPECT_EQ(ReadBytes(dir.File("a.bmp")).size(), 54u + 20u * 3);
  QImage image(QString::fromStdString(dir.File("a.bmp")));
  ASSERT_FALSE(image.isNull());
  ASSERT_EQ(image.width(), w);
  ASSERT_EQ(image.height(), h);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      const uint8_t* p = &bits[(static_cast<std::size_t>(h - 1 - y) * w + x) * 3];
      EXPECT_EQ(image.pixel(x, y), qRgb(p[2], p[1], p[0])) << x << "," << y;
    }
  }
  EXPECT_EQ(WriteBmpFile(dir.File("none/a.bmp").c_str(), bits.data(), w, h), 0);
  EXPECT_EQ(WriteBmpFile("/dev/full", bits.data(), w, h), 0);
}

TEST(FileReplaceTest, TheOldFileStaysUntilTheNewOneIsComplete) {
  TempDir dir;
  const std::string path = dir.File("photo001.jpg");
  WriteTextFile(path, "old");
  const std::string temporary = ReserveTemporaryFile(path);
  ASSERT_FALSE(temporary.empty());
  EXPECT_EQ(FolderOf(temporary), dir.path());
  EXPECT_NE(ReserveTemporaryFile(path), temporary);  // never someone else's
  EXPECT_EQ(ReadTextFile(path), "old");
  WriteTextFile(temporary, "new");
  ASSERT_TRUE(CommitTemporaryFile(temporary, path));
  EXPECT_EQ(ReadTextFile(path), "new");
  EXPECT_FALSE(FileExists(temporary));
  EXPECT_TRUE(ReserveTemporaryFile(dir.File("none/photo001.jpg")).empty());
}
