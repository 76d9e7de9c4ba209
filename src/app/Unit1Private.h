// What the parts of the main window share among themselves: its colours and
// the hourglass of long actions.
#pragma once

#include <QColor>

#include "app/WaitCursor.h"

namespace unit1 {

inline const QColor Green(0, 128, 0);
inline const QColor Red(255, 0, 0);
inline const QColor Navy(0, 0, 128);
inline const QColor Black(0, 0, 0);

}  // namespace unit1
