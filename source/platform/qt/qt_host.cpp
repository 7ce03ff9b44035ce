#include "platform/qt_host.h"

#include <QApplication>
#include <QThread>
#include <QWidget>
#include <cstdlib>

bool EnsureQtApplication() {
  if (QCoreApplication::instance() != nullptr) {
    return OnQtThread() && qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr;
  }
  // Qt aborts the whole process when it finds no display; a source must not take its host down.
  if (std::getenv("QT_QPA_PLATFORM") == nullptr && std::getenv("DISPLAY") == nullptr &&
      std::getenv("WAYLAND_DISPLAY") == nullptr) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
  }
  static int argc = 1;
  static char name[] = "snapsrc";
  static char* argv[] = {name, nullptr};
  new QApplication(argc, argv);  // lives as long as the process: the library is never unloaded
  return true;
}

bool OnQtThread() {
  QCoreApplication* app = QCoreApplication::instance();
  return app != nullptr && QThread::currentThread() == app->thread();
}

QWidget* TrustedWidget(void* handle) {
  if (handle == nullptr || !OnQtThread() || qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr) {
    return nullptr;
  }
  for (QWidget* widget : QApplication::allWidgets()) {
    if (static_cast<void*>(widget) == handle) return widget;
  }
  return nullptr;
}

void ProcessPendingEvents() {
  if (!OnQtThread()) return;
  QCoreApplication::sendPostedEvents();
  QCoreApplication::processEvents(QEventLoop::AllEvents);
}
