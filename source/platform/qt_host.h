// Qt inside someone else's process: reuse the host's application object or make
// one, never let Qt abort the host, and only touch widgets on Qt's own thread.
#pragma once

class QWidget;

// Makes sure a QApplication exists; picks the offscreen platform when there is
// no display. False when the calling thread cannot own widgets.
bool EnsureQtApplication();

// True when widgets may be touched from the calling thread.
bool OnQtThread();

// The widget behind a window handle, when it is one of this process's widgets;
// null for anything else (null, an X11 id, a pointer from another toolkit).
QWidget* TrustedWidget(void* handle);

// Lets Qt deliver what is pending, without waiting for more.
void ProcessPendingEvents();
