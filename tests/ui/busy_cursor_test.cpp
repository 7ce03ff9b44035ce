// The wait cursor and the download command under it, against virtual cameras.
#include "ui/busy_cursor.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QCursor>
#include <QGuiApplication>
#include <cstdlib>
#include <optional>

#include "camera/camera_fixture.h"
#include "camera/picture_store.h"
#include "platform/qt_host.h"

extern "C" __attribute__((visibility("default"), used)) const char* __lsan_default_suppressions() {
  return "leak:libfontconfig.so\n";
}

namespace {

std::optional<Qt::CursorShape> CurrentOverride() {
  const QCursor* cursor = QGuiApplication::overrideCursor();
  if (cursor == nullptr) return std::nullopt;
  return cursor->shape();
}

TEST(BusyCursorTest, ShowsTheWaitCursorWhileItLivesAndNests) {
  ASSERT_TRUE(EnsureQtApplication());
  EXPECT_EQ(CurrentOverride(), std::nullopt);
  {
    BusyCursor outer;
    EXPECT_EQ(CurrentOverride(), Qt::WaitCursor);
    {
      BusyCursor inner;
      EXPECT_EQ(CurrentOverride(), Qt::WaitCursor);
    }
    EXPECT_EQ(CurrentOverride(), Qt::WaitCursor);
  }
  EXPECT_EQ(CurrentOverride(), std::nullopt);
}

class DownloadCommandTest : public CameraFixture {
 protected:
  void SetUp() override {
    ASSERT_TRUE(EnsureQtApplication());
    CameraFixture::SetUp();
    tmp_ = dir_.File("tmp");
    ASSERT_EQ(mkdir(tmp_.c_str(), 0700), 0);
    setenv("TMPDIR", tmp_.c_str(), 1);
    ResetPictureStore();
    ASSERT_TRUE(CreatePictureStore());
  }
  void TearDown() override {
    QCoreApplication::processEvents();
    ResetPictureStore();
    unsetenv("TMPDIR");
    CameraFixture::TearDown();
  }
  std::string tmp_;
};

TEST_F(DownloadCommandTest, TheWaitCursorStaysThroughTheDownloadAndASecondOneIsRefused) {
  SimCamConfig config;
  config.pictures = {MakePhoto(320, 240, 1), MakePhoto(160, 120, 2)};
  Serve(config);
  std::optional<Qt::CursorShape> seen;
  bool running_seen = false;
  bool nested_result = true;
  DownloadFailure nested_failure = DownloadFailure::None;
  // Runs from the download's pump, like a click on the download button.
  QMetaObject::invokeMethod(
      QCoreApplication::instance(),
      [&] {
        seen = CurrentOverride();
        running_seen = DownloadRunning();
        nested_result = DownloadWithWaitCursor(nullptr, &nested_failure);
      },
      Qt::QueuedConnection);
  DownloadFailure failure = DownloadFailure::NoStore;
  EXPECT_TRUE(DownloadWithWaitCursor(nullptr, &failure));
  EXPECT_EQ(failure, DownloadFailure::None);
  EXPECT_EQ(seen, Qt::WaitCursor);
  EXPECT_TRUE(running_seen);
  EXPECT_FALSE(nested_result);
  EXPECT_EQ(nested_failure, DownloadFailure::Busy);
  EXPECT_EQ(picture_table.picture_count, 2);
  EXPECT_EQ(CurrentOverride(), std::nullopt);
  EXPECT_FALSE(DownloadRunning());
}

TEST_F(DownloadCommandTest, EveryFailureRestoresTheCursor) {
  const struct {
    const char* name;
    bool serve;
    int pictures;
    int gone_after;
    bool store;
    DownloadFailure failure;
    std::size_t boxes;
  } cases[] = {
      {"no camera", false, 0, -1, true, DownloadFailure::None, 1},
      {"no pictures", true, 0, -1, true, DownloadFailure::None, 1},
      {"gone at once", true, 2, 1, true, DownloadFailure::NoPictures, 1},
      {"no store", true, 2, -1, false, DownloadFailure::NoStore, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ResetAll();
    WriteTextFile(dir_.File("boxes.log"), "");
    if (c.serve) {
      SimCamConfig config;
      for (int i = 0; i < c.pictures; ++i) config.pictures.push_back(MakePhoto(160, 120, 1));
      config.gone_after = c.gone_after;
      Serve(config, std::string("cam-") + std::to_string(&c - cases));
    }
    if (!c.store) ResetPictureStore();
    DownloadFailure failure = DownloadFailure::Busy;
    EXPECT_FALSE(DownloadWithWaitCursor(nullptr, &failure));
    EXPECT_EQ(failure, c.failure);
    EXPECT_EQ(Boxes().size(), c.boxes);
    EXPECT_EQ(CurrentOverride(), std::nullopt);
    EXPECT_FALSE(DownloadRunning());
    EXPECT_EQ(camera_channel.capture_filter, nullptr);
    servers_.clear();
  }
}

}  // namespace
