#include "ui/progress.h"
#include "ui/resources/language_state.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCoreApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QPointer>
#include <QProgressBar>
#include <QScreen>
#include <QTimer>
#include <QWidget>
#include <memory>
#include <thread>

#include "platform/qt_host.h"
#include "ui/progress_layout.h"
#include "ui/ui_state.h"

namespace {

// ---- Rules ------------------------------------------------------------------

TEST(ProgressCountTest, CountsEveryStepFromZero) {
  ProgressState state{7, 9};
  CountBegin(state, 5);
  EXPECT_EQ(ProgressCounterText(state), "0/5");
  EXPECT_EQ(ProgressBarPosition(state), 0);
  EXPECT_EQ(ProgressBarMaximum(state), 5);
  for (int i = 1; i <= 5; ++i) {
    CountStep(state);
    EXPECT_EQ(ProgressCounterText(state), std::to_string(i) + "/5");
    EXPECT_EQ(ProgressBarPosition(state), i);
  }
  // A caller stepping once too often shows it in the counter; the bar stays full.
  CountStep(state);
  EXPECT_EQ(ProgressCounterText(state), "6/5");
  EXPECT_EQ(ProgressBarPosition(state), 5);

  CountBegin(state, 3);
  EXPECT_EQ(ProgressCounterText(state), "0/3");
}

TEST(ProgressCountTest, EmptyAndNegativeTotalsKeepTheBarEmpty) {
  for (int total : {0, -4}) {
    ProgressState state{};
    CountBegin(state, total);
    CountStep(state);
    EXPECT_EQ(ProgressCounterText(state), "1/" + std::to_string(total));
    EXPECT_EQ(ProgressBarMaximum(state), 0);
    EXPECT_EQ(ProgressBarPosition(state), 0);
  }
}

TEST(ProgressLayoutTest, DialogUnitsFollowTheFont) {
  EXPECT_EQ(BaseUnitsFromFont(312, 13).x, 6);  // 52 letters of 6 pixels
  EXPECT_EQ(BaseUnitsFromFont(0, 13).x, kDefaultBaseUnits.x);
  DialogRect dialog = DialogToPixels(kProgressDialogSize, kDefaultBaseUnits);
  EXPECT_EQ(dialog.width, 390);
  EXPECT_EQ(dialog.height, 85);  // 84.5 rounds up
  DialogRect big = DialogToPixels(kProgressDialogSize, {8, 18});
  EXPECT_EQ(big.width, 520);
  EXPECT_EQ(big.height, 117);
}

TEST(ProgressLayoutTest, TemplateControlsLieInsideTheFrameAndApart) {
  const DialogRect frame = kProgressTemplate[0].rect;
  ASSERT_EQ(kProgressTemplate[0].kind, DialogControlKind::EtchedFrame);
  EXPECT_GE(frame.x, 0);
  EXPECT_LE(frame.x + frame.width, kProgressDialogSize.width);
  EXPECT_LE(frame.y + frame.height, kProgressDialogSize.height);
  auto inside = [](const DialogRect& outer, const DialogRect& r) {
    return r.x > outer.x && r.y > outer.y && r.x + r.width < outer.x + outer.width &&
           r.y + r.height < outer.y + outer.height;
  };
  auto overlap = [](const DialogRect& a, const DialogRect& b) {
    return a.x < b.x + b.width && b.x < a.x + a.width && a.y < b.y + b.height && b.y < a.y + a.height;
  };
  const std::size_t count = std::size(kProgressTemplate);
  for (std::size_t i = 1; i < count; ++i) {
    EXPECT_TRUE(inside(frame, kProgressTemplate[i].rect)) << kProgressTemplate[i].id;
    for (std::size_t j = i + 1; j < count; ++j) {
      EXPECT_FALSE(overlap(kProgressTemplate[i].rect, kProgressTemplate[j].rect))
          << kProgressTemplate[i].id << " and " << kProgressTemplate[j].id;
    }
  }
}

TEST(ProgressLayoutTest, CentringTruncates) {
  DialogRect at = CentredOnScreen(1921, 1080, 390, 85);
  EXPECT_EQ(at.x, 765);
  EXPECT_EQ(at.y, 497);
  at = CentredOnScreen(300, 60, 390, 85);  // a window larger than the screen
  EXPECT_EQ(at.x, -45);
  EXPECT_EQ(at.y, -12);
}

// ---- The dialog ---------------------------------------------------------------

class ProgressDialogTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { ASSERT_TRUE(EnsureQtApplication()); }
  void SetUp() override {
    ResetUiState();
    ResetProgressState();
  }
  void TearDown() override {
    CloseProgressDialog();
    ResetUiState();
  }

  static QWidget* Dialog() { return static_cast<QWidget*>(ProgressDialogWindow()); }
  static QString Text(int id) {
    auto* label = Dialog()->findChild<QLabel*>(QString::number(id));
    return label != nullptr ? label->text() : QStringLiteral("<missing>");
  }
  static QProgressBar* Bar() { return Dialog()->findChild<QProgressBar*>(QString::number(kProgressBarId)); }

  static int OpenDialogs() {
    int open = 0;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
      if (widget->objectName() == QStringLiteral("progress-dialog-104")) ++open;
    }
    return open;
  }
};

TEST_F(ProgressDialogTest, SaysPleaseWaitInTheWindowsLanguage) {
  const struct {
    int offset;
    const char* text;
  } cases[] = {
      {0, "Please wait..."},
      {2000, "請稍待..."},
      {3000, "请稍待..."},
      {1000, "Please wait..."},  // no such language: the template's own text
  };
  for (const auto& c : cases) {
    language_state.language_offset = c.offset;
    OpenProgressDialog(nullptr);
    ASSERT_NE(Dialog(), nullptr);
    EXPECT_EQ(Text(kProgressTextId), QString::fromUtf8(c.text)) << c.offset;
  }
}

TEST_F(ProgressDialogTest, OpensShownOnTopWithoutCaptionAndCentred) {
  OpenProgressDialog(nullptr);
  QWidget* dialog = Dialog();
  ASSERT_NE(dialog, nullptr);
  EXPECT_TRUE(dialog->isVisible());
  EXPECT_TRUE(dialog->isWindow());
  EXPECT_TRUE(dialog->windowFlags() & Qt::FramelessWindowHint);
  EXPECT_TRUE(dialog->windowFlags() & Qt::WindowStaysOnTopHint);
  QRect screen = QGuiApplication::primaryScreen()->geometry();
  EXPECT_EQ(dialog->x(), screen.x() + (screen.width() - dialog->width()) / 2);
  EXPECT_EQ(dialog->y(), screen.y() + (screen.height() - dialog->height()) / 2);
  EXPECT_GT(dialog->width(), dialog->height() * 3);  // 260 × 52 units, in whatever font
  for (int id : {kProgressTextId, kProgressCounterId, kProgressBarId, kProgressIconId}) {
    QWidget* control = dialog->findChild<QWidget*>(QString::number(id));
    ASSERT_NE(control, nullptr) << id;
    EXPECT_TRUE(dialog->rect().contains(control->geometry())) << id;
  }
  auto* icon = dialog->findChild<QLabel*>(QString::number(kProgressIconId));
  EXPECT_FALSE(icon->pixmap().isNull());

  dialog->close();  // nothing in it lets the user dismiss it
  EXPECT_TRUE(dialog->isVisible());
}

TEST_F(ProgressDialogTest, CounterAndBarFollowTheCount) {
  OpenProgressDialog(nullptr);
  ProgressBegin(5);
  EXPECT_EQ(Text(kProgressCounterId), "0/5");
  EXPECT_EQ(Bar()->minimum(), 0);
  EXPECT_EQ(Bar()->maximum(), 5);
  EXPECT_EQ(Bar()->value(), 0);
  ProgressStep();
  ProgressStep();
  EXPECT_EQ(Text(kProgressCounterId), "2/5");
  EXPECT_EQ(Bar()->value(), 2);

  ProgressBegin(0);  // never the busy animation
  EXPECT_EQ(Text(kProgressCounterId), "0/0");
  EXPECT_GT(Bar()->maximum(), Bar()->minimum());
  EXPECT_EQ(Bar()->value(), 0);
}

TEST_F(ProgressDialogTest, ASecondOpenReplacesTheFirst) {
  OpenProgressDialog(nullptr);
  QPointer<QWidget> first = Dialog();
  ProgressBegin(3);
  OpenProgressDialog(nullptr);
  EXPECT_TRUE(first.isNull());
  ASSERT_NE(Dialog(), nullptr);
  EXPECT_EQ(OpenDialogs(), 1);
  ProgressStep();
  EXPECT_EQ(Text(kProgressCounterId), "1/3");

  CloseProgressDialog();
  EXPECT_EQ(Dialog(), nullptr);
  EXPECT_EQ(OpenDialogs(), 0);
  CloseProgressDialog();
  ProgressStep();  // counting on without a dialog is harmless
  EXPECT_EQ(progress_state.done, 2);
}

TEST_F(ProgressDialogTest, GoesWithItsOwner) {
  auto owner = std::make_unique<QWidget>();
  OpenProgressDialog(owner.get());
  ASSERT_NE(Dialog(), nullptr);
  EXPECT_EQ(Dialog()->parentWidget(), owner.get());
  EXPECT_TRUE(Dialog()->isWindow());
  owner.reset();
  EXPECT_EQ(Dialog(), nullptr);
  ProgressBegin(2);
  ProgressStep();
  CloseProgressDialog();
}

TEST_F(ProgressDialogTest, AForeignOwnerHandleIsNeverTouched) {
  int not_a_window = 0;
  OpenProgressDialog(&not_a_window);
  ASSERT_NE(Dialog(), nullptr);
  EXPECT_EQ(Dialog()->parentWidget(), nullptr);
}

// ---- The pump -------------------------------------------------------------------

class EventCounter : public QObject {
 public:
  bool event(QEvent* event) override {
    if (event->type() == QEvent::User) ++delivered;
    return QObject::event(event);
  }
  int delivered = 0;
};

TEST_F(ProgressDialogTest, PumpDeliversWhatIsPendingAndNeverWaits) {
  EventCounter counter;
  QCoreApplication::postEvent(&counter, new QEvent(QEvent::User));
  QCoreApplication::postEvent(&counter, new QEvent(QEvent::User));
  EXPECT_EQ(counter.delivered, 0);
  ASSERT_TRUE(PumpMessages(nullptr));
  EXPECT_EQ(counter.delivered, 2);

  // Nothing pending now but a timer far in the future: a pump that waited would
  // return only once it had fired.
  bool fired = false;
  QTimer later;
  later.setSingleShot(true);
  QObject::connect(&later, &QTimer::timeout, [&fired] { fired = true; });
  later.start(3600 * 1000);
  EXPECT_TRUE(PumpMessages(nullptr));
  EXPECT_FALSE(fired);
  EXPECT_EQ(counter.delivered, 2);
}

TEST_F(ProgressDialogTest, PumpServesTheDialogToo) {
  OpenProgressDialog(nullptr);
  EventCounter counter;
  QCoreApplication::postEvent(&counter, new QEvent(QEvent::User));
  EXPECT_TRUE(PumpMessages(ProgressDialogWindow()));
  EXPECT_EQ(counter.delivered, 1);
}

TEST_F(ProgressDialogTest, OtherThreadsAreRefused) {
  EventCounter counter;
  QCoreApplication::postEvent(&counter, new QEvent(QEvent::User));
  bool pumped = true;
  void* seen = reinterpret_cast<void*>(1);
  std::thread other([&] {
    pumped = PumpMessages(nullptr);
    OpenProgressDialog(nullptr);
    seen = ProgressDialogWindow();
  });
  other.join();
  EXPECT_FALSE(pumped);
  EXPECT_EQ(seen, nullptr);
  EXPECT_EQ(counter.delivered, 0);
  EXPECT_EQ(Dialog(), nullptr);
  PumpMessages(nullptr);
  EXPECT_EQ(counter.delivered, 1);
}

}  // namespace
