// A page of the main window's page control, which takes part in the
// window's layout only while it is the page shown.
//
// A stack of pages is as large as its largest page, so each layout pass of
// the window measured every page, shown or not: at start that was laying out
// all the texts of the two hidden pages before the first frame, which shows
// none of them. The window has a fixed size, so the hidden pages' sizes never
// decide anything; a page is measured and laid out when it is shown (Qt asks
// the layouts again when a widget is shown or hidden).
#pragma once

#include <QWidget>

class TTabSheet : public QWidget {
 public:
  using QWidget::QWidget;

  QSize sizeHint() const override;
  QSize minimumSizeHint() const override;
  bool hasHeightForWidth() const override;
  int heightForWidth(int width) const override;
};
