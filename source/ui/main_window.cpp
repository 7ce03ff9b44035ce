#include "ui/main_window.h"

#include <QCoreApplication>
#include <QEvent>
#include <QWidget>

#include "platform/qt_host.h"
#include "twain/notify.h"
#include "ui/progress.h"

// A plain window stands in for the skinned one until the interface is built.
void* CreateMainWindow(void*, void* parent) {
  if (!EnsureQtApplication()) return nullptr;
  auto* window = new QWidget(TrustedWidget(parent), Qt::Window | Qt::FramelessWindowHint);
  window->setObjectName("snapsrc-main");
  window->setFixedSize(471, 349);
  return window;
}

void ReleaseMainWindow() {}

void ShowMainWindow(void* window) {
  if (QWidget* widget = TrustedWidget(window)) widget->show();
}

void DestroyMainWindow(void* window) {
  QWidget* widget = TrustedWidget(window);
  if (widget == nullptr) return;
  widget->hide();
  // The host may disable the source from inside one of the window's own
  // handlers (close request -> DSM -> host); delete only once that returns.
  widget->deleteLater();
  QCoreApplication::sendPostedEvents(widget, QEvent::DeferredDelete);
}

bool MainWindowThreadOk() { return OnQtThread(); }

// Until the window has its commands, the cancel command is just what it does.
void SendMainWindowCancel() {
  CloseProgressDialog();
  NotifyCloseDSReq();
}
