// What the parts of the main window share among themselves: its colours and
// the hourglass of long actions.
#pragma once

#include <QApplication>
#include <QColor>

namespace unit1 {

inline const QColor Green(0, 128, 0);
inline const QColor Red(255, 0, 0);
inline const QColor Navy(0, 0, 128);
inline const QColor Black(0, 0, 0);

// The hourglass for the life of the object, restored on every way out.
class TWaitCursor {
 public:
  TWaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
  ~TWaitCursor() { QApplication::restoreOverrideCursor(); }
  TWaitCursor(const TWaitCursor&) = delete;
  TWaitCursor& operator=(const TWaitCursor&) = delete;
};

}  // namespace unit1
