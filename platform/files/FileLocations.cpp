#include "files/FileLocations.h"

#include <unistd.h>

#include <stdexcept>
#include <system_error>

#include "files/UserFolders.h"

namespace plat {
namespace {

namespace fs = std::filesystem;

// The branding file: the program reads it at every start, so a folder that
// holds it holds the program's data.
const char* const BrandingFileName = "update.dll";
const char* const SettingsFileName = "setup.ini";
const char* const ErrorLogName = "ErrorLog.txt";
// Below the configuration and state folders.
const char* const ProgramFolderName = "brisklane";

// A missing folder is made with the XDG base directory rules' mode; a folder
// that cannot be made is left to the writer, who reports it.
void makeUserFolder(const fs::path& folder) {
  std::error_code error;
  if (fs::create_directories(folder, error)) fs::permissions(folder, fs::perms::owner_all, error);
}

}  // namespace

ProgramPlace examineProgramFolder(const fs::path& folder) {
  std::error_code error;
  return {.programFolder = folder,
          .holdsData = fs::is_regular_file(folder / BrandingFileName, error),
          .writable = ::access(folder.c_str(), W_OK) == 0};
}

fs::path runningProgramFolder() {
  std::error_code error;
  const fs::path program = fs::read_symlink("/proc/self/exe", error);
  if (error) throw std::runtime_error("the program file cannot be found: " + error.message());
  return program.parent_path();
}

fs::path dataFolder(const ProgramPlace& place) {
  return place.holdsData ? place.programFolder : (place.programFolder / BRISKLANE_DATA_FROM_PROGRAM).lexically_normal();
}

fs::path runningDataFolder() { return dataFolder(examineProgramFolder(runningProgramFolder())); }

FileLocations locateFiles(const ProgramPlace& place, const fs::path& configHome, const fs::path& stateHome) {
  FileLocations files;
  files.programFolder = place.programFolder;
  files.dataFolder = dataFolder(place);
  if (place.holdsData && place.writable) {
    files.settingsFile = place.programFolder / SettingsFileName;
    files.errorLog = place.programFolder / ErrorLogName;
  } else {
    files.settingsFile = configHome / ProgramFolderName / SettingsFileName;
    files.errorLog = stateHome / ProgramFolderName / ErrorLogName;
  }
  return files;
}

FileLocations runningProgramFiles() {
  const ProgramPlace place = examineProgramFolder(runningProgramFolder());
  FileLocations files = locateFiles(place, configHome(), stateHome());
  for (const fs::path& file : {files.settingsFile, files.errorLog}) {
    if (file.parent_path() != place.programFolder) makeUserFolder(file.parent_path());
  }
  return files;
}

}  // namespace plat
