#include "ui/busy_cursor.h"

#include <QCursor>
#include <QGuiApplication>

#include "camera/camera_commands.h"
#include "camera/picture_store.h"
#include "platform/qt_host.h"
#include "ui/progress.h"
#include "ui/ui_state.h"

namespace {

bool download_running = false;

// Only the window's events: the cursor pushed by the guard stays on Qt's
// cursor stack through them, so there is nothing to set again.
void PumpMainWindow() { PumpMessages(ui_state.main_window); }

class RunningFlag {
 public:
  RunningFlag() { download_running = true; }
  ~RunningFlag() { download_running = false; }
  RunningFlag(const RunningFlag&) = delete;
  RunningFlag& operator=(const RunningFlag&) = delete;
};

}  // namespace

BusyCursor::BusyCursor()
    : shown_(OnQtThread() && qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr) {
  if (shown_) QGuiApplication::setOverrideCursor(Qt::WaitCursor);
}

BusyCursor::~BusyCursor() {
  if (shown_) QGuiApplication::restoreOverrideCursor();
}

bool DownloadWithWaitCursor(void* owner, DownloadFailure* failure) {
  if (failure != nullptr) *failure = DownloadFailure::None;
  // A nested download would open the camera the running one still reads and
  // rebuild the table under it.
  if (download_running) {
    if (failure != nullptr) *failure = DownloadFailure::Busy;
    return false;
  }
  if (!PictureStoreReady()) {
    if (failure != nullptr) *failure = DownloadFailure::NoStore;
    return false;
  }
  RunningFlag running;
  BusyCursor cursor;
  if (!OpenCamera(owner)) return false;
  return DownloadPictures(owner, PumpMainWindow, failure);
}

bool DownloadRunning() { return download_running; }
