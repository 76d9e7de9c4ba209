// Brisklane's own addition to the platform, not a Windows API: where the
// program's files are on this computer. The program takes its settings file
// and its error log from here, where a Windows program would put them beside
// its executable.
#pragma once

#include <string>

// Folders end with "/".
struct BRISKLANE_FILE_LOCATIONS {
  std::string ProgramFolder;  // the folder of the running program file
  std::string DataFolder;     // read-only data: the branding file, the translation
                              // catalogs ("locale"), the shipped scenarios
  std::string SettingsFile;   // setup.ini
  std::string ErrorLog;       // ErrorLog.txt
};

// Where the running program's files are:
// - A program folder that holds its own data (the branding file beside the
//   program: the build, a portable copy) is the data folder too; the settings
//   file and the error log sit beside the program while the user may create
//   files there.
// - Otherwise the program is installed (<prefix>/bin): its data is in
//   <prefix>/share/brisklane. There, and for a program folder the user may
//   not write into, setup.ini is in $XDG_CONFIG_HOME/brisklane (default
//   ~/.config/brisklane) and ErrorLog.txt in $XDG_STATE_HOME/brisklane
//   (default ~/.local/state/brisklane); a variable that is not an absolute
//   path counts as unset. These two folders are made (mode 0700) when they
//   are missing; when that fails, writing the file fails later as it would
//   in a folder without rights.
// Throws std::runtime_error naming the fault when the program file or the
// user's home folder cannot be found: call it before any window, to stop
// start-up with that message.
BRISKLANE_FILE_LOCATIONS BrisklaneFileLocations();

// The running program's DataFolder alone, as above; it needs no home folder
// and makes no folder. Throws std::runtime_error when the program file
// cannot be found.
std::string BrisklaneDataFolder();
