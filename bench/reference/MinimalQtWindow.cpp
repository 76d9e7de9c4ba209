// The reference of the start-up measure: the smallest Qt Widgets program that
// shows a window with one label, of the size the argument gives
// ("<width>x<height>", by default the main window's 580 x 560).
#include <QApplication>
#include <QLabel>
#include <QMainWindow>
#include <QSize>
#include <QStringList>

namespace {

QSize SizeFromArguments() {
  const QStringList arguments = QCoreApplication::arguments();
  const QStringList parts = arguments.size() > 1 ? arguments[1].split(u'x') : QStringList();
  if (parts.size() == 2 && parts[0].toInt() > 0 && parts[1].toInt() > 0) return {parts[0].toInt(), parts[1].toInt()};
  return {580, 560};
}

}  // namespace

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  QMainWindow window;
  window.setCentralWidget(new QLabel(QStringLiteral("Minimal Qt Widgets program")));
  window.setFixedSize(SizeFromArguments());
  window.show();
  return QApplication::exec();
}
