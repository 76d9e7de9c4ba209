// The hourglass of a long action, for the main window and the troubleshooter.
#pragma once

#include <QApplication>

// The hourglass for the life of the object, restored on every way out.
class TWaitCursor {
 public:
  TWaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
  ~TWaitCursor() { QApplication::restoreOverrideCursor(); }
  TWaitCursor(const TWaitCursor&) = delete;
  TWaitCursor& operator=(const TWaitCursor&) = delete;
};
