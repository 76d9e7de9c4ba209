// The program's widget style: the desktop's own, with the two pictures it
// shows at start read as what they are.
//
// Qt's style reads the arrow of the menu bar's and tool bar's extension
// button, and the frame of a group box, from picture files whose format it
// detects by asking every image format plugin installed (GIF, JPEG, SVG,
// ...): the main window would load all of them, and the libraries they bring,
// for an arrow and a frame.
#pragma once

#include <QProxyStyle>

class TProgramStyle : public QProxyStyle {
 public:
  QIcon standardIcon(StandardPixmap which, const QStyleOption* option, const QWidget* widget) const override;
  void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override;
};
