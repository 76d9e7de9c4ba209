#include "app/TabSheet.h"

QSize TTabSheet::sizeHint() const { return isHidden() ? QSize(0, 0) : QWidget::sizeHint(); }

QSize TTabSheet::minimumSizeHint() const { return isHidden() ? QSize(0, 0) : QWidget::minimumSizeHint(); }

bool TTabSheet::hasHeightForWidth() const { return !isHidden() && QWidget::hasHeightForWidth(); }

int TTabSheet::heightForWidth(int width) const { return isHidden() ? -1 : QWidget::heightForWidth(width); }
