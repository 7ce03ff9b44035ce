// The progress dialog as a Qt window: a thin shell over progress_layout, which
// holds its counting and its template.
#include <QApplication>
#include <QCloseEvent>
#include <QFont>
#include <QFontMetrics>
#include <QFrame>
#include <QIcon>
#include <QLabel>
#include <QPointer>
#include <QProgressBar>
#include <QScreen>
#include <QStyle>
#include <QWidget>
#include <algorithm>
#include <string>

#include "platform/qt_host.h"
#include "ui/progress.h"
#include "ui/progress_layout.h"
#include "ui/resources/language_state.h"
#include "ui/resources/strings.h"

namespace {

// Stands in for icon resource 404 until the source's own artwork is drawn.
QIcon ProgressIcon() { return QApplication::style()->standardIcon(QStyle::SP_MessageBoxInformation); }

constexpr char kTemplateText[] = "Please wait...";

// A modeless dialog without a caption. Nothing in it answers the user: Escape
// and the window manager's close leave it up, as the opener owns its life.
class ProgressWindow final : public QWidget {
 public:
  explicit ProgressWindow(QWidget* owner)
      : QWidget(owner, Qt::Dialog | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {}

 protected:
  void closeEvent(QCloseEvent* event) override { event->ignore(); }
};

QPointer<QWidget> progress_dialog;

QString ControlName(int id) { return QString::number(id); }

QRect ToQRect(const DialogRect& r) { return QRect(r.x, r.y, r.width, r.height); }

QWidget* MakeControl(const DialogControl& control, QWidget* dialog, DialogBaseUnits units) {
  QWidget* widget = nullptr;
  switch (control.kind) {
    case DialogControlKind::EtchedFrame: {
      auto* frame = new QFrame(dialog);
      frame->setFrameStyle(QFrame::Box | QFrame::Sunken);  // Qt's etched line
      widget = frame;
      break;
    }
    case DialogControlKind::Icon: {
      auto* icon = new QLabel(dialog);
      QRect box = ToQRect(DialogToPixels(control.rect, units));
      int side = std::min(box.width(), box.height());
      icon->setPixmap(ProgressIcon().pixmap(side, side));
      icon->setAlignment(Qt::AlignCenter);
      widget = icon;
      break;
    }
    case DialogControlKind::CentredText:
    case DialogControlKind::Text: {
      auto* label = new QLabel(dialog);
      label->setAlignment(control.kind == DialogControlKind::CentredText ? Qt::AlignCenter
                                                                         : Qt::AlignLeft | Qt::AlignVCenter);
      label->setTextFormat(Qt::PlainText);
      widget = label;
      break;
    }
    case DialogControlKind::ProgressBar: {
      auto* bar = new QProgressBar(dialog);
      bar->setTextVisible(false);
      bar->setRange(0, 1);
      bar->setValue(0);
      widget = bar;
      break;
    }
  }
  widget->setObjectName(ControlName(control.id));
  widget->setGeometry(ToQRect(DialogToPixels(control.rect, units)));
  return widget;
}

QWidget* BuildProgressDialog(QWidget* owner) {
  auto* dialog = new ProgressWindow(owner);
  dialog->setObjectName(QStringLiteral("progress-dialog-%1").arg(kProgressDialogId));

  // The template's font; where it is missing, its nearest sans serif stands in,
  // and the layout follows whatever font that turned out to be.
  QFont font(QStringLiteral("MS Sans Serif"));
  font.setPointSize(8);
  font.setStyleHint(QFont::SansSerif);
  dialog->setFont(font);
  QFontMetrics metrics(dialog->font());
  DialogBaseUnits units = BaseUnitsFromFont(
      metrics.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz")),
      metrics.height());

  QRect size = ToQRect(DialogToPixels(kProgressDialogSize, units));
  dialog->setFixedSize(size.size());

  // The thin modal frame round the whole dialog.
  auto* border = new QFrame(dialog);
  border->setFrameStyle(QFrame::Panel | QFrame::Raised);
  border->setLineWidth(1);
  border->setGeometry(0, 0, size.width(), size.height());

  for (const DialogControl& control : kProgressTemplate) MakeControl(control, dialog, units);

  std::string text = ResourceText(kPleaseWaitStringId + language_state.language_offset, kPleaseWaitMaxChars);
  if (text.empty()) text = kTemplateText;
  if (auto* label = dialog->findChild<QLabel*>(ControlName(kProgressTextId))) {
    label->setText(QString::fromStdString(text));
  }
  dialog->hide();  // the opener shows it
  return dialog;
}

void ShowCounter() {
  if (progress_dialog.isNull()) return;
  if (auto* counter = progress_dialog->findChild<QLabel*>(ControlName(kProgressCounterId))) {
    counter->setText(QString::fromStdString(ProgressCounterText(progress_state)));
  }
  if (auto* bar = progress_dialog->findChild<QProgressBar*>(ControlName(kProgressBarId))) {
    // Qt shows a range of 0..0 as "busy"; an empty count is an empty bar.
    bar->setRange(0, std::max(ProgressBarMaximum(progress_state), 1));
    bar->setValue(ProgressBarPosition(progress_state));
  }
}

}  // namespace

void OpenProgressDialog(void* owner) {
  if (!OnQtThread()) return;
  CloseProgressDialog();
  QWidget* owner_widget = TrustedWidget(owner);
  QWidget* dialog = BuildProgressDialog(owner_widget);
  progress_dialog = dialog;

  QScreen* screen = owner_widget != nullptr ? owner_widget->screen() : QGuiApplication::primaryScreen();
  if (screen != nullptr) {
    QRect area = screen->geometry();
    DialogRect at = CentredOnScreen(area.width(), area.height(), dialog->width(), dialog->height());
    dialog->move(area.x() + at.x, area.y() + at.y);
  }
  dialog->show();
  dialog->raise();
  dialog->activateWindow();
}

void CloseProgressDialog() {
  if (!OnQtThread() || progress_dialog.isNull()) return;
  // Deleted at once, so a dialog opened next is the only one there is.
  delete progress_dialog.data();
  progress_dialog = nullptr;
}

void ProgressBegin(int total) {
  CountBegin(progress_state, total);
  if (OnQtThread()) ShowCounter();
}

void ProgressStep() {
  CountStep(progress_state);
  if (OnQtThread()) ShowCounter();
}

void* ProgressDialogWindow() { return OnQtThread() ? progress_dialog.data() : nullptr; }

bool PumpMessages(void*) {
  if (!OnQtThread()) return false;
  ProcessPendingEvents();
  return true;
}
