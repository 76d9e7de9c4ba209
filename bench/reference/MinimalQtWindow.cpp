// The reference of the start-up and idle measures: the smallest Qt Widgets
// program that shows a window of the main window's size with one label.
#include <QApplication>
#include <QLabel>
#include <QMainWindow>

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  QMainWindow window;
  window.setCentralWidget(new QLabel(QStringLiteral("Minimal Qt Widgets program")));
  window.resize(580, 560);
  window.show();
  return QApplication::exec();
}
