// The one decision where the program's files are (see brisklane_files.h for
// the rule), kept apart from the facts it rests on so that both cases can be
// examined anywhere.
#pragma once

#include <filesystem>

namespace plat {

struct FileLocations {
  std::filesystem::path programFolder;
  std::filesystem::path dataFolder;
  std::filesystem::path settingsFile;
  std::filesystem::path errorLog;
};

// What the decision rests on.
struct ProgramPlace {
  std::filesystem::path programFolder;
  bool holdsData = false;  // the branding file is beside the program
  bool writable = false;   // the user may create files in the program folder
};

// The facts about a program folder, as the file system tells them now.
ProgramPlace examineProgramFolder(const std::filesystem::path& folder);

// The folder of the running program file. Throws std::runtime_error when the
// system cannot tell it.
std::filesystem::path runningProgramFolder();

// Where a program in that place reads its data from.
std::filesystem::path dataFolder(const ProgramPlace& place);

// The data folder of the running program. Throws std::runtime_error when the
// system cannot tell the program's folder.
std::filesystem::path runningDataFolder();

// The whole decision, with the user's configuration and state folders given.
FileLocations locateFiles(const ProgramPlace& place, const std::filesystem::path& configHome,
                          const std::filesystem::path& stateHome);

// The decision for the running program and this user; the folders of the
// settings file and the error log are made (mode 0700) when they are
// missing and not beside the program.
FileLocations runningProgramFiles();

}  // namespace plat
