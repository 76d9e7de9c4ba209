#include "brisklane_files.h"

#include "files/FileLocations.h"

namespace {

std::string folderText(const std::filesystem::path& folder) {
  std::string text = folder.string();
  if (!text.ends_with('/')) text += '/';
  return text;
}

}  // namespace

BRISKLANE_FILE_LOCATIONS BrisklaneFileLocations() {
  const plat::FileLocations files = plat::runningProgramFiles();
  return {.ProgramFolder = folderText(files.programFolder),
          .DataFolder = folderText(files.dataFolder),
          .SettingsFile = files.settingsFile.string(),
          .ErrorLog = files.errorLog.string()};
}

std::string BrisklaneDataFolder() { return folderText(plat::runningDataFolder()); }
