// The whole "Save photos" command on a raw store of developed scenes, with
// unattended dialogs and the virtual clock.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <QImage>
#include <iostream>

#include "avi_probe.h"
#include "camera/picture_record.h"
#include "camera/picture_table.h"
#include "export/clip_export.h"
#include "export/save_target.h"
#include "export_fixture.h"
#include "ui/progress_layout.h"
#include "ui/resources/language_state.h"
#include "ui/resources/strings.h"

namespace {

constexpr int P = kPicturePhoto;
constexpr int S = kPictureClipStart;
constexpr int F = kPictureClipFrame;

const char kSaved[] = "Save photos\tFiles are saved completely.\tOK\tOK";

std::string ReplaceBox(const std::string& path) {
  return "Save photos\t" + path + " file duplicates,\\n\\n do you want to replace it?\\n\tYesNo\tNo";
}

std::string FailedBox(const std::string& path) {
  return "Save photos\t" + path +
         " could not be saved.\\n\\nPlease check the disk and the folder, then try again.\\n\tOK\tOK";
}

bool IsJpeg(const std::vector<uint8_t>& bytes) {
  return bytes.size() > 4 && bytes[0] == 0xFF && bytes[1] == 0xD8 && bytes[bytes.size() - 2] == 0xFF &&
         bytes[bytes.size() - 1] == 0xD9;
}

std::vector<std::string> Names(std::initializer_list<const char*> names) { return {names.begin(), names.end()}; }

MessageAnswer AnswerYes(void*, std::string_view, std::string_view, MessageButtons buttons, MessageIcon) {
  return buttons == MessageButtons::YesNo ? MessageAnswer::Yes : MessageAnswer::Ok;
}

}  // namespace

class SaveCommandTest : public ExportFixture {};

TEST_F(SaveCommandTest, ThreePhotosAsNumberedJpegs) {
  // Unselected photos and clips take no number.
  Store({{P, 320, 240, true}, {P, 320, 240, false}, {S, 160, 120, false}, {F, 160, 120, false},
         {P, 320, 240, true}, {P, 352, 288, true}});
  AnswerSaveAs(Out("photo.jpg"));
  RunSave();
  EXPECT_EQ(OutFiles(), Names({"photo001.jpg", "photo002.jpg", "photo003.jpg"}));
  const int records[] = {0, 4, 5};
  for (int k = 0; k < 3; ++k) {
    const std::string path = Out("photo00" + std::to_string(k + 1) + ".jpg");
    EXPECT_TRUE(IsJpeg(ReadBytes(path))) << path;
    QImage image(QString::fromStdString(path));
    int w = 0, h = 0;
    DevelopPhoto(records[k], &w, &h);
    EXPECT_EQ(image.width(), w);
    EXPECT_EQ(image.height(), h);
  }
  EXPECT_EQ(progress_state.done, 3);
  EXPECT_EQ(progress_state.total, 3);
  EXPECT_EQ(Boxes(), std::vector<std::string>{kSaved});
  EXPECT_EQ(window_.calls, (std::vector<std::pair<int, bool>>{{123, false}, {127, false}, {127, true}, {123, true}}));
  EXPECT_EQ(clock_.clock.waits, std::vector<uint32_t>{250});
}

TEST_F(SaveCommandTest, CancelledDialogDoesNothing) {
  Store({{P, 320, 240, true}});
  AnswerSaveAs("");
  RunSave();
  EXPECT_TRUE(OutFiles().empty());
  EXPECT_TRUE(Boxes().empty());
  EXPECT_TRUE(window_.calls.empty());
}

TEST_F(SaveCommandTest, RefusedReplacementKeepsTheOldFileAndTheNumbering) {
  Store({{P, 320, 240, true}, {P, 320, 240, true}, {P, 320, 240, true}});
  WriteTextFile(Out("photo002.jpg"), "old");
  AnswerSaveAs(Out("photo.jpg"));
  RunSave();
  EXPECT_EQ(OutFiles(), Names({"photo001.jpg", "photo002.jpg", "photo003.jpg"}));
  EXPECT_EQ(ReadTextFile(Out("photo002.jpg")), "old");
  EXPECT_TRUE(IsJpeg(ReadBytes(Out("photo003.jpg"))));
  EXPECT_EQ(progress_state.done, 3);
  EXPECT_EQ(Boxes(), (std::vector<std::string>{ReplaceBox(Out("photo002.jpg")), kSaved}));
}

TEST_F(SaveCommandTest, NoCompletionMessageWhenEveryReplacementIsRefused) {
  Store({{P, 320, 240, true}, {S, 160, 120, true}});
  WriteTextFile(Out("photo001.jpg"), "old photo");
  WriteTextFile(Out("video001.avi"), "old clip");
  AnswerSaveAs(Out("photo.jpg"));
  RunSave();
  // Clips come before photos.
  EXPECT_EQ(Boxes(), (std::vector<std::string>{ReplaceBox(Out("video001.avi")), ReplaceBox(Out("photo001.jpg"))}));
  EXPECT_EQ(ReadTextFile(Out("photo001.jpg")), "old photo");
  EXPECT_EQ(progress_state.done, 2);
}

TEST_F(SaveCommandTest, BaseNamesAndFileTypes) {
  struct Case {
    const char* answer;
    const char* first;
    bool bmp;
  };
  const Case cases[] = {
      {"trip;bmp", "trip001.bmp", true},
      {"my.trip.jpg", "my.trip001.jpg", false},
      {"holiday.jpg;bmp", "holiday001.bmp", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.answer);
    Store({{P, 320, 240, true}});
    AnswerSaveAs(Out(c.answer));
    RunSave();
    const std::vector<uint8_t> bytes = ReadBytes(Out(c.first));
    ASSERT_FALSE(bytes.empty());
    EXPECT_EQ(bytes[0], c.bmp ? 'B' : 0xFF);
    std::remove(Out(c.first).c_str());
    EXPECT_TRUE(OutFiles().empty());
  }
}

TEST_F(SaveCommandTest, BmpPhotoHasTheDevelopedPixels) {
  Store({{P, 320, 240, true}});
  AnswerSaveAs(Out("photo;bmp"));
  RunSave();
  const std::vector<uint8_t> bytes = ReadBytes(Out("photo001.bmp"));
  EXPECT_EQ(bytes.size(), 230454u);
  int w = 0, h = 0;
  const std::vector<uint8_t> developed = DevelopPhoto(0, &w, &h);
  ASSERT_EQ(w, 320);
  ASSERT_EQ(h, 240);
  ASSERT_GE(bytes.size(), 54 + developed.size());
  EXPECT_TRUE(std::equal(developed.begin(), developed.end(), bytes.begin() + 54));
  QImage image(QString::fromStdString(Out("photo001.bmp")));
  ASSERT_EQ(image.size(), QSize(320, 240));
  for (int y : {0, 119, 239}) {
    for (int x : {0, 160, 319}) {
      const uint8_t* p = &developed[(static_cast<std::size_t>(239 - y) * 320 + x) * 3];
      EXPECT_EQ(image.pixel(x, y), qRgb(p[2], p[1], p[0])) << x << "," << y;
    }
  }
}

TEST_F(SaveCommandTest, ClipsAroundAnUnselectedOneAndPhotosAfterThem) {
  Store({{S, 160, 120, true}, {F, 160, 120, false}, {F, 160, 120, false},
         {S, 160, 120, false}, {F, 160, 120, false},
         {P, 320, 240, true},
         {S, 352, 288, true}, {F, 352, 288, false}});
  AnswerSaveAs(Out("photo.jpg"));
  RunSave();
  EXPECT_EQ(OutFiles(), Names({"photo001.jpg", "video001.avi", "video002.avi"}));
  struct Expected {
    const char* name;
    int start;
    int frames;
  };
  for (const Expected& e : {Expected{"video001.avi", 0, 3}, Expected{"video002.avi", 6, 2}}) {
    SCOPED_TRACE(e.name);
    const PictureRecord& clip = picture_table.records[e.start];
    AviProbe probe;
    ASSERT_TRUE(ProbeAvi(Out(e.name), &probe));
    EXPECT_EQ(probe.complaints, "");
    EXPECT_EQ(probe.codec_name, "rawvideo");
    EXPECT_EQ(probe.codec_tag, "IYUV");
    EXPECT_EQ(probe.frame_rate, "6/1");
    EXPECT_EQ(probe.frames, e.frames);
    EXPECT_EQ(probe.width, clip.width);
    EXPECT_EQ(probe.height, clip.height);
    std::vector<std::vector<uint8_t>> decoded = DecodeAviFrames(Out(e.name), clip.width, clip.height);
    ASSERT_EQ(decoded.size(), static_cast<std::size_t>(e.frames));
    for (int j = 0; j < e.frames; ++j) {
      const double psnr =
          Psnr(decoded[j], FlipRows(DevelopFrame(e.start, e.start + j), clip.width, clip.height));
      std::cout << "[ figures ] " << e.name << " frame " << j << ": PSNR " << psnr << " dB\n";
      EXPECT_GT(psnr, 30.0);
    }
  }
  EXPECT_EQ(progress_state.done, 3);
  EXPECT_EQ(progress_state.total, 3);
  EXPECT_EQ(Boxes(), std::vector<std::string>{kSaved});
  EXPECT_EQ(window_.wait_cursor, (std::vector<bool>{true, false, true, false}));
}

TEST_F(SaveCommandTest, ThirtyFrameClipLastsFiveSeconds) {
  std::vector<StoredPicture> pictures{{S, 160, 120, true}};
  for (int j = 1; j < 30; ++j) pictures.push_back({F, 160, 120, false});
  Store(pictures);
  AnswerSaveAs(Out("photo.jpg"));
  RunSave();
  AviProbe probe;
  ASSERT_TRUE(ProbeAvi(Out("video001.avi"), &probe));
  EXPECT_EQ(probe.complaints, "");
  EXPECT_EQ(probe.frames, 30);
  EXPECT_NEAR(probe.duration, 5.0, 1e-3);
  std::vector<std::vector<uint8_t>> decoded = DecodeAviFrames(Out("video001.avi"), 160, 120);
  ASSERT_EQ(decoded.size(), 30u);
  double worst = 99.0, sum = 0.0;
  for (int j = 0; j < 30; ++j) {
    const double psnr = Psnr(decoded[j], FlipRows(DevelopFrame(0, j), 160, 120));
    worst = std::min(worst, psnr);
    sum += psnr;
  }
  std::cout << "[ figures ] 30-frame 160x120 clip against the developed frames: mean PSNR " << sum / 30
            << " dB, worst " << worst << " dB\n";
  EXPECT_GT(worst, 30.0);
}

TEST_F(SaveCommandTest, ClipStartAsTheLastRecordGivesOneFrame) {
  Store({{P, 320, 240, false}, {S, 160, 120, true}});
  AnswerSaveAs(Out("photo.jpg"));
  RunSave();
  AviProbe probe;
  ASSERT_TRUE(ProbeAvi(Out("video001.avi"), &probe));
  EXPECT_EQ(probe.complaints, "");
  EXPECT_EQ(probe.frames, 1);
}

TEST_F(SaveCommandTest, RefusedClipUsesUpItsNumber) {
  Store({{S, 160, 120, true}, {F, 160, 120, false}, {S, 160, 120, true}});
  WriteTextFile(Out("video001.avi"), "old");
  AnswerSaveAs(Out("photo.jpg"));
  RunSave();
  EXPECT_EQ(OutFiles(), Names({"video001.avi", "video002.avi"}));
  EXPECT_EQ(ReadTextFile(Out("video001.avi")), "old");
  AviProbe probe;
  ASSERT_TRUE(ProbeAvi(Out("video002.avi"), &probe));
  EXPECT_EQ(probe.complaints, "");
  EXPECT_EQ(probe.frames, 1);
  EXPECT_EQ(progress_state.done, 2);
}

TEST_F(SaveCommandTest, FrameTakenFromTheNextFileWhenUseNextIsSet) {
  Store({{S, 160, 120, true}, {F, 160, 120, false}, {F, 160, 120, false}});
  picture_table.records[1].use_next = 1;
  EXPECT_EQ(ClipFrameFile(0, 1), 2);
  EXPECT_EQ(ClipFrameFile(0, 2), 2);
  picture_table.records[2].use_next = 1;  // would read past the table
  EXPECT_EQ(ClipFrameFile(0, 2), -1);
  picture_table.records[2].use_next = 0;
  AnswerSaveAs(Out("photo.jpg"));
  RunSave();
  std::vector<std::vector<uint8_t>> decoded = DecodeAviFrames(Out("video001.avi"), 160, 120);
  ASSERT_EQ(decoded.size(), 3u);
  EXPECT_GT(Psnr(decoded[1], FlipRows(DevelopFrame(0, 2), 160, 120)), 35.0);
}

TEST_F(SaveCommandTest, MissingClipFrameKeepsTheClipsTiming) {
  std::vector<StoredPicture> pictures{{S, 160, 120, true}};
  for (int j = 1; j < 6; ++j) pictures.push_back({F, 160, 120, false});
  Store(pictures);
  RemoveRawFile(2);
  TruncateRawFile(5, 100);
  AnswerSaveAs(Out("photo.jpg"));
  RunSave();
  AviProbe probe;
  ASSERT_TRUE(ProbeAvi(Out("video001.avi"), &probe));
  EXPECT_EQ(probe.complaints, "");
  EXPECT_EQ(probe.frames, 6);
  EXPECT_NEAR(probe.duration, 1.0, 1e-3);
  std::vector<std::vector<uint8_t>> decoded = DecodeAviFrames(Out("video001.avi"), 160, 120);
  ASSERT_EQ(decoded.size(), 6u);
  EXPECT_EQ(decoded[2], decoded[1]);
  EXPECT_EQ(decoded[5], decoded[4]);
  EXPECT_GT(Psnr(decoded[3], FlipRows(DevelopFrame(0, 3), 160, 120)), 35.0);
  EXPECT_EQ(Boxes(), std::vector<std::string>{kSaved});
}

TEST_F(SaveCommandTest, UndecodablePhotosAreReportedAndKeepTheirNumbers) {
  Store({{P, 320, 240, true}, {P, 320, 240, true}, {P, 320, 240, true}, {P, 320, 240, true}});
  RemoveRawFile(1);
  TruncateRawFile(2, 1000);
  AnswerSaveAs(Out("photo.jpg"));
  RunSave();
  EXPECT_EQ(OutFiles(), Names({"photo001.jpg", "photo004.jpg"}));
  EXPECT_EQ(progress_state.done, 4);
  EXPECT_EQ(Boxes(), (std::vector<std::string>{FailedBox(Out("photo002.jpg")), kSaved}));
}

TEST_F(SaveCommandTest, NothingWrittenMeansNoCompletionMessage) {
  Store({{S, 160, 120, true}, {P, 320, 240, true}});
  AnswerSaveAs(dir_.File("no/such/folder/photo.jpg"));
  RunSave();
  EXPECT_EQ(Boxes(), std::vector<std::string>{FailedBox(dir_.File("no/such/folder/video001.avi"))});
  EXPECT_EQ(progress_state.done, 2);
}

TEST_F(SaveCommandTest, ClipWithNoDecodableFrameIsNotWritten) {
  Store({{S, 160, 120, true}, {F, 160, 120, false}, {P, 320, 240, true}});
  RemoveRawFile(0);
  RemoveRawFile(1);
  AnswerSaveAs(Out("photo.jpg"));
  RunSave();
  EXPECT_EQ(OutFiles(), Names({"photo001.jpg"}));
  EXPECT_EQ(Boxes(), (std::vector<std::string>{FailedBox(Out("video001.avi")), kSaved}));
}

TEST_F(SaveCommandTest, AFolderInTheWayIsReportedNotReplaced) {
  Store({{P, 320, 240, true}, {P, 320, 240, true}});
  ASSERT_EQ(mkdir(Out("photo001.jpg").c_str(), 0700), 0);
  AnswerSaveAs(Out("photo.jpg"));
  RunSave();
  EXPECT_TRUE(IsJpeg(ReadBytes(Out("photo002.jpg"))));
  EXPECT_EQ(Boxes(), (std::vector<std::string>{FailedBox(Out("photo001.jpg")), kSaved}));
}

TEST_F(SaveCommandTest, AgreedReplacementSwapsInTheCompleteFile) {
  Store({{P, 320, 240, true}, {P, 320, 240, true}, {S, 160, 120, true}});
  WriteTextFile(Out("photo001.jpg"), "old one");
  WriteTextFile(Out("photo002.jpg"), "old two");
  WriteTextFile(Out("video001.avi"), "old clip");
  RemoveRawFile(1);  // the second photo cannot be made
  save_message_box = AnswerYes;
  AnswerSaveAs(Out("photo.jpg"));
  RunSave();
  EXPECT_TRUE(IsJpeg(ReadBytes(Out("photo001.jpg"))));
  // The user agreed, but no new photo came about: the old one is still there.
  EXPECT_EQ(ReadTextFile(Out("photo002.jpg")), "old two");
  AviProbe probe;
  ASSERT_TRUE(ProbeAvi(Out("video001.avi"), &probe));
  EXPECT_EQ(probe.complaints, "");
  EXPECT_EQ(probe.frames, 1);
  // No temporary file is left behind.
  EXPECT_EQ(OutFiles(), Names({"photo001.jpg", "photo002.jpg", "video001.avi"}));
}

TEST_F(SaveCommandTest, LauncherModeLeavesTheTransferButtonOff) {
  Store({{P, 320, 240, true}});
  window_.launcher = true;
  AnswerSaveAs(Out("photo.jpg"));
  RunSave();
  EXPECT_EQ(window_.calls, (std::vector<std::pair<int, bool>>{{123, false}, {127, false}, {127, true}}));
}

TEST_F(SaveCommandTest, MessagesSpeakTheWindowsLanguage) {
  Store({{P, 320, 240, true}});
  language_state.language_offset = kLanguageSimplifiedChinese;
  AnswerSaveAs(Out("photo.jpg"));
  RunSave();
  EXPECT_EQ(Boxes(), std::vector<std::string>{"储存照片\t档案储存完毕\tOK\tOK"});
}
