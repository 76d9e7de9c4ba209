// The program entry: where its files are, the branding file and the machine
// before anything else, then the application, the main window and the
// dialogs, and the event loop until the main window closes.
#include <cstdio>
#include <exception>
#include <memory>
#include <thread>

#include <QApplication>
#include <fontconfig/fontconfig.h>

#include "app/MessageBoxes.h"
#include "app/ProgramStyle.h"
#include "app/Unit1.h"
#include "app/UnitGlobal.h"
#include "brisklane_files.h"
#include "brisklane_machine.h"

int main(int argc, char** argv) {
  BRISKLANE_FILE_LOCATIONS files;
  try {
    files = BrisklaneFileLocations();
    LoadBrandingFile(files.DataFolder + "update.dll");
    // The machine the platform runs this process on is made now, so that one
    // that cannot be made stops start-up here, before any window.
    BrisklaneDescribeMachine();
  } catch (const std::exception& error) {
    std::fprintf(stderr, "brisklane: %s\n", error.what());
    return 1;
  }

  // The system's font configuration (its files parsed, its font caches read)
  // is loaded on the second processor while this one connects to the display
  // and sets the application up; the window's first font would load it on
  // this one, in the way of the first frame. Qt takes it over from there.
  std::jthread fontConfiguration([] { FcInit(); });

  // The menu stays in the window, as designed, also on desktops that could
  // take it into a panel; the question whether one can would cost a D-Bus
  // round trip before the window shows.
  QCoreApplication::setAttribute(Qt::AA_DontUseNativeMenuBar);
  QApplication application(argc, argv);
  QApplication::setStyle(new TProgramStyle);
  // The program ends when its main window closes, not when its last window
  // hides: it lives on in the tray.
  QApplication::setQuitOnLastWindowClosed(false);
  SetApplicationTitle(QStringLiteral("Tallowind"));
  fontConfiguration.join();

  std::unique_ptr<TForm1> mainWindow;
  try {
    mainWindow = std::make_unique<TForm1>(files);
  } catch (const std::exception& error) {
    ShowException(error);
    return 1;
  }
  mainWindow->CreateDialogs();

  // Closing the main window ends the program, also from within a dialog.
  QObject::connect(mainWindow.get(), &TForm1::Closed, &application, [] { QCoreApplication::exit(0); });
  mainWindow->ShowOnStart();
  const int result = QApplication::exec();
  mainWindow.reset();  // FormDestroy: settings, network and sharing
  return result;
}
